#include "navdelegate.h"

#include "appresources.h"
#include "navlistview.h"
#include "navmodel.h"

#include <QDebug>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

namespace {
const int kBadgeMaxWidth = 44;

QString loadIconFamily()
{
    static QString family;
    static bool tried = false;
    if (!tried) {
        tried = true;
        initAppResources();
        const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/image/fontawesome-webfont.ttf"));
        const QStringList families = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        if (families.isEmpty())
            qDebug() << "load fontawesome-webfont.ttf error";
        else
            family = families.contains(QStringLiteral("FontAwesome")) ? QStringLiteral("FontAwesome")
                                                                      : families.first();
    }
    return family;
}
} // namespace

NavDelegate::NavDelegate(NavListView *view)
    : QStyledItemDelegate(view), m_view(view), m_iconFamily(loadIconFamily())
{
}

QSize NavDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const
{
    const auto *node = index.data(Qt::UserRole).value<const NavModel::TreeNode *>();
    return QSize(50, node && node->level == 1 ? 50 : 40);
}

QString NavDelegate::badgeText(const QString &info, const QFontMetrics &metrics, int maxWidth)
{
    bool ok = false;
    const qlonglong n = info.trimmed().toLongLong(&ok);
    if (!ok)
        return QString();
    const QString text = n > 999 ? QStringLiteral("999+") : QString::number(n);
    return metrics.horizontalAdvance(text) + 10 > maxWidth ? QStringLiteral("..") : text;
}

void NavDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const
{
    const auto *node = index.data(Qt::UserRole).value<const NavModel::TreeNode *>();
    if (!node)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    const QRect rect = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const bool hover = option.state & QStyle::State_MouseOver;
    const QColor bg = selected ? m_view->colorBgSelected()
                               : hover ? m_view->colorBgHover() : m_view->colorBgNormal();
    const QColor fg = selected ? m_view->colorTextSelected()
                               : hover ? m_view->colorTextHover() : m_view->colorTextNormal();
    painter->fillRect(rect, bg);

    int right = rect.right() - 10;
    if (node->level == 1 && !m_iconFamily.isEmpty()) {
        const bool triangle = m_view->icoStyle() == NavListView::IcoStyle_Triangle;
        QFont iconFont(m_iconFamily);
        iconFont.setPixelSize(triangle ? 18 : 13);
        ushort glyph;
        if (triangle)
            glyph = node->collapsed ? 0xf0da : 0xf0d7;
        else
            glyph = node->collapsed ? 0xf067 : 0xf068;
        const QRect iconRect(rect.right() - 34, rect.top() + (rect.height() - 24) / 2, 24, 24);
        painter->setFont(iconFont);
        if (m_view->icoColorBg()) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(fg);
            painter->drawEllipse(iconRect);
            painter->setPen(bg);
        } else {
            painter->setPen(fg);
        }
        painter->drawText(iconRect, Qt::AlignCenter, QString(QChar(glyph)));
        right = iconRect.left() - 6;
    }

    QFont textFont(QStringLiteral("Microsoft Yahei"));
    textFont.setPixelSize(node->level == 1 ? 15 : 14);
    textFont.setBold(node->level == 1);
    painter->setFont(textFont);
    painter->setPen(fg);
    const int left = rect.left() + (node->level == 1 ? 16 : 36);
    painter->drawText(QRect(left, rect.top(), right - left, rect.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, node->text);

    if (m_view->lineVisible()) {
        painter->setPen(QPen(m_view->colorLine(), 1));
        painter->drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    }

    if (m_view->infoVisible() && !node->info.isEmpty()) {
        QFont badgeFont(QStringLiteral("Microsoft Yahei"));
        badgeFont.setPixelSize(11);
        const QFontMetrics fm(badgeFont);
        const QString text = badgeText(node->info, fm, kBadgeMaxWidth);
        if (!text.isEmpty()) {
            const int w = qMax(20, qMin(kBadgeMaxWidth, fm.horizontalAdvance(text) + 10));
            const QRect badge(right - w, rect.top() + (rect.height() - 18) / 2, w, 18);
            QPainterPath path;
            path.addRoundedRect(badge, 9, 9);
            painter->fillPath(path, selected ? fg : QColor(231, 76, 60));
            painter->setFont(badgeFont);
            painter->setPen(selected ? bg : QColor(Qt::white));
            painter->drawText(badge, Qt::AlignCenter, text);
        }
    }
    painter->restore();
}
