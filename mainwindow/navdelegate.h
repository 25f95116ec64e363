#ifndef NAVDELEGATE_H
#define NAVDELEGATE_H

#include <QFont>
#include <QStyledItemDelegate>

class NavListView;
class QFontMetrics;

// Paints the rows of the navigation list: background by state, the expand
// glyph of a category from the icon font, the text, a separator and a badge.
class NavDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit NavDelegate(NavListView *view);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // The text a badge shows for an info text: the number, "999+" above 999,
    // ".." when it does not fit into maxWidth; empty when the info is no number.
    static QString badgeText(const QString &info, const QFontMetrics &metrics, int maxWidth);

    bool iconFontLoaded() const { return !m_iconFamily.isEmpty(); }

private:
    NavListView *m_view;
    QString m_iconFamily;
};

#endif
