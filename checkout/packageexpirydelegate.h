#ifndef PACKAGEEXPIRYDELEGATE_H
#define PACKAGEEXPIRYDELEGATE_H

#include "listcelldelegate.h"

// The checkout's package list as every list shows it, and a use whose date
// has passed marked where the cashier looks before choosing it: "已过期" after
// the date, in red.
class PackageExpiryDelegate : public ListCellDelegate
{
    Q_OBJECT
public:
    using ListCellDelegate::ListCellDelegate;
    static const char kExpiryCaption[]; // 到期日期

    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

#endif
