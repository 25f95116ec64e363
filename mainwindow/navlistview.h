#ifndef NAVLISTVIEW_H
#define NAVLISTVIEW_H

#include <QColor>
#include <QListView>
#include <QStringList>

class NavModel;
class NavDelegate;

// The two-level navigation list at the left of the main window.
class NavListView : public QListView
{
    Q_OBJECT
    Q_PROPERTY(bool infoVisible READ infoVisible WRITE setInfoVisible)
    Q_PROPERTY(bool lineVisible READ lineVisible WRITE setLineVisible)
    Q_PROPERTY(bool icoColorBg READ icoColorBg WRITE setIcoColorBg)
    Q_PROPERTY(IcoStyle icoStyle READ icoStyle WRITE setIcoStyle)
    Q_PROPERTY(QColor colorLine READ colorLine WRITE setColorLine)
    Q_PROPERTY(QColor colorBgNormal READ colorBgNormal WRITE setColorBgNormal)
    Q_PROPERTY(QColor colorBgSelected READ colorBgSelected WRITE setColorBgSelected)
    Q_PROPERTY(QColor colorBgHover READ colorBgHover WRITE setColorBgHover)
    Q_PROPERTY(QColor colorTextNormal READ colorTextNormal WRITE setColorTextNormal)
    Q_PROPERTY(QColor colorTextSelected READ colorTextSelected WRITE setColorTextSelected)
    Q_PROPERTY(QColor colorTextHover READ colorTextHover WRITE setColorTextHover)

public:
    enum IcoStyle { IcoStyle_Cross = 0, IcoStyle_Triangle = 1 };
    Q_ENUM(IcoStyle)

    explicit NavListView(QWidget *parent = nullptr);

    NavModel *navModel() const { return m_model; }
    NavDelegate *navDelegate() const { return m_delegate; }

    bool infoVisible() const { return m_infoVisible; }
    bool lineVisible() const { return m_lineVisible; }
    bool icoColorBg() const { return m_icoColorBg; }
    IcoStyle icoStyle() const { return m_icoStyle; }
    QColor colorLine() const { return m_colorLine; }
    QColor colorBgNormal() const { return m_colorBgNormal; }
    QColor colorBgSelected() const { return m_colorBgSelected; }
    QColor colorBgHover() const { return m_colorBgHover; }
    QColor colorTextNormal() const { return m_colorTextNormal; }
    QColor colorTextSelected() const { return m_colorTextSelected; }
    QColor colorTextHover() const { return m_colorTextHover; }

public slots:
    void setData(const QStringList &listItem);
    void setInfoVisible(bool visible);
    void setLineVisible(bool visible);
    void setIcoColorBg(bool bg);
    void setIcoStyle(IcoStyle style);
    void setColorLine(const QColor &color);
    void setColorBgNormal(const QColor &color);
    void setColorBgSelected(const QColor &color);
    void setColorBgHover(const QColor &color);
    void setColorTextNormal(const QColor &color);
    void setColorTextSelected(const QColor &color);
    void setColorTextHover(const QColor &color);

private:
    NavModel *m_model;
    NavDelegate *m_delegate;
    bool m_infoVisible = true;
    bool m_lineVisible = true;
    bool m_icoColorBg = false;
    IcoStyle m_icoStyle = IcoStyle_Cross;
    QColor m_colorLine{214, 216, 224};
    QColor m_colorBgNormal{239, 241, 250};
    QColor m_colorBgSelected{133, 153, 216};
    QColor m_colorBgHover{209, 216, 240};
    QColor m_colorTextNormal{58, 58, 58};
    QColor m_colorTextSelected{255, 255, 255};
    QColor m_colorTextHover{59, 59, 59};
};

#endif
