#include "productbook.h"
#include "enginedriver.h"
#include "ledgersql.h"

namespace ProductBook {

bool exists(const QString &productId)
{
    return LedgerSql::value(QStringLiteral("select 1 from chanpin where ID=?"), {productId}).isValid();
}

bool codeHasMovements(const QString &productId)
{
    return LedgerSql::value(QStringLiteral("select 1 from chanpinrukumingxi where chanpinID=? and rukuID!='000000' limit 1"),
                            {productId})
        .isValid();
}

std::optional<double> purchasePrice(const QString &productId)
{
    const QVariant price = LedgerSql::value(QStringLiteral("select jinhuojiage from chanpin where ID=?"), {productId});
    if (price.isNull() || price.toString().isEmpty())
        return std::nullopt;
    return price.toDouble();
}

std::optional<double> stockLevel(const QString &productId)
{
    const QList<QVariantList> rows =
        LedgerSql::rows(QStringLiteral("select kucunxiaxian from chanpin where ID=?"), {productId});
    if (rows.size() != 1 || rows.first().isEmpty())
        return std::nullopt;
    return rows.first().first().toDouble();
}

bool setStockLevel(const QString &productId, double level)
{
    if (!EngineDriver::current().hasColumn(QStringLiteral("chanpin"), QStringLiteral("kucunxiaxian")))
        return true;
    return LedgerSql::exec(QStringLiteral("update chanpin set kucunxiaxian=? where ID=?"), {level, productId}) >= 0;
}

} // namespace ProductBook
