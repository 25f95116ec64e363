#include "listcelldelegate.h"

#include "sqltext.h"
#include "takingsread.h"

#include <QAbstractItemModel>
#include <QPalette>

namespace {
const QString kOldVoucher = QStringLiteral("代金卷");
} // namespace

bool ListCellDelegate::isMoneyCaption(const QString &caption)
{
    for (const char *word : {"数", "积分", "比例", "折扣", "率", "编号", "单号", "卡号", "方式", "类"})
        if (caption.contains(QString::fromUtf8(word)))
            return false;
    for (const char *word : {"金额", "价", "实收", "实付", "应收", "欠款", "收入", "余额", "优惠", "储值", "赠送",
                             "预收款", "现金", "差额", "业绩", "合计", "提成", "未用套餐"})
        if (caption.contains(QString::fromUtf8(word)))
            return true;
    return false;
}

QString ListCellDelegate::shownText(const QString &caption, const QVariant &value)
{
    if (value.isNull())
        return QString();
    const QString text = value.toString();
    if (isMoneyCaption(caption)) {
        bool number = false;
        const double v = text.toDouble(&number);
        if (number)
            return moneyShown(v);
    }
    // A REAL column read back carries the binary remainder of its sums
    // (348.65999999999997): points as their 合计 shows them, at most two
    // decimals; any other number with its own digits, not the remainder's.
    if (value.userType() == QMetaType::Double || value.userType() == QMetaType::Float) {
        const double v = value.toDouble();
        return caption.contains(QStringLiteral("积分")) ? moneyText(v) : QString::number(v, 'g', 15);
    }
    if (text.contains(kOldVoucher)) {
        // "现金+代金卷": each method under its name of today.
        QStringList parts = text.split(QLatin1Char('+'));
        for (QString &p : parts)
            p = TakingsRead::methodName(p);
        return parts.join(QLatin1Char('+'));
    }
    return text;
}

int ListCellDelegate::rowState(const QModelIndex &index)
{
    const QAbstractItemModel *m = index.model();
    if (!m)
        return 0;
    for (int c = m->columnCount() - 1; c >= 0; --c) {
        const QString caption = m->headerData(c, Qt::Horizontal).toString();
        if (caption != QStringLiteral("状态") && caption != QStringLiteral("备注"))
            continue;
        const QString text = m->index(index.row(), c).data().toString();
        if (text == QStringLiteral("已作废"))
            return 1;
        if (text.contains(QStringLiteral("作废冲销")))
            return 2;
    }
    return 0;
}

void ListCellDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QString caption = index.model()->headerData(index.column(), Qt::Horizontal).toString();
    if (option->features & QStyleOptionViewItem::HasDisplay)
        option->text = shownText(caption, index.data());
    if (isMoneyCaption(caption))
        option->displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    switch (rowState(index)) {
    case 1:
        option->font.setStrikeOut(true);
        option->palette.setColor(QPalette::Text, QColor(0x99, 0x99, 0x99));
        option->palette.setColor(QPalette::HighlightedText, QColor(0xdd, 0xdd, 0xdd));
        break;
    case 2:
        option->font.setItalic(true);
        option->palette.setColor(QPalette::Text, QColor(0x99, 0x99, 0x99));
        break;
    default:
        break;
    }
}
