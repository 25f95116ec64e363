#ifndef LISTCELLDELEGATE_H
#define LISTCELLDELEGATE_H

#include <QStyledItemDelegate>

// How every list of the program shows its cells to a person, whatever its
// statement: money with its two decimals ("36.10"), a voided sale struck
// through and its reversing document greyed (where the eye is, not only in a
// 备注 column at the far right), and the old misspelling 代金卷 of stored rows
// as 代金券. The values themselves (exports, totals, row access) are untouched.
class ListCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Whether a column of this caption holds money: amounts, prices, balances,
    // takings; not counts, uses, points, rates or discounts.
    static bool isMoneyCaption(const QString &caption);
    // The text a cell of the column shows for its value.
    static QString shownText(const QString &caption, const QVariant &value);
    // Which state a row is in, by its 状态 or 备注 column: 1 voided, 2 the
    // reversal of a voided sale, 0 neither.
    static int rowState(const QModelIndex &index);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

#endif
