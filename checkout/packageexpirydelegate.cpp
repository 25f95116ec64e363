#include "packageexpirydelegate.h"

#include "packageexpiry.h"

#include <QAbstractItemModel>

const char PackageExpiryDelegate::kExpiryCaption[] = "到期日期";

void PackageExpiryDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    ListCellDelegate::initStyleOption(option, index);
    if (index.model()->headerData(index.column(), Qt::Horizontal).toString() != QString::fromUtf8(kExpiryCaption))
        return;
    const QString until = index.data().toString();
    if (!PackageExpiry::isPast(until))
        return;
    option->text = until + QStringLiteral(" 已过期");
    option->palette.setColor(QPalette::Text, Qt::red);
    option->palette.setColor(QPalette::HighlightedText, Qt::red);
}
