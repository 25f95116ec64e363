#include "shopcatalogue.h"

#include <QSqlDatabase>
#include <QSqlRecord>

namespace ShopCatalogue {

bool hasColumn(const QString &table, const QString &column)
{
    const QSqlRecord r = QSqlDatabase::database().record(table);
    for (int i = 0; i < r.count(); ++i)
        if (r.fieldName(i).compare(column, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace ShopCatalogue
