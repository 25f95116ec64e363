#include "navlistview.h"

#include "navdelegate.h"
#include "navmodel.h"

NavListView::NavListView(QWidget *parent)
    : QListView(parent), m_model(new NavModel(this)), m_delegate(new NavDelegate(this))
{
    setMouseTracking(true); // the delegate paints the row under the mouse
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setModel(m_model);
    setItemDelegate(m_delegate);
    connect(this, &QListView::doubleClicked, m_model, &NavModel::collapse);
}

void NavListView::setData(const QStringList &listItem) { m_model->setData(listItem); }

// Every setter repaints, since the delegate reads the properties while painting.
void NavListView::setInfoVisible(bool visible) { m_infoVisible = visible; viewport()->update(); }
void NavListView::setLineVisible(bool visible) { m_lineVisible = visible; viewport()->update(); }
void NavListView::setIcoColorBg(bool bg) { m_icoColorBg = bg; viewport()->update(); }
void NavListView::setIcoStyle(IcoStyle style) { m_icoStyle = style; viewport()->update(); }
void NavListView::setColorLine(const QColor &c) { m_colorLine = c; viewport()->update(); }
void NavListView::setColorBgNormal(const QColor &c) { m_colorBgNormal = c; viewport()->update(); }
void NavListView::setColorBgSelected(const QColor &c) { m_colorBgSelected = c; viewport()->update(); }
void NavListView::setColorBgHover(const QColor &c) { m_colorBgHover = c; viewport()->update(); }
void NavListView::setColorTextNormal(const QColor &c) { m_colorTextNormal = c; viewport()->update(); }
void NavListView::setColorTextSelected(const QColor &c) { m_colorTextSelected = c; viewport()->update(); }
void NavListView::setColorTextHover(const QColor &c) { m_colorTextHover = c; viewport()->update(); }
