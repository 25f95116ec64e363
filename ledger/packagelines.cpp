#include "packagelines.h"

#include "amounts.h"
#include "ledgersql.h"
#include "sqllog.h"
#include "sqltext.h"

using LedgerSql::execSingle;

namespace {

QVariant optionalNumber(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant(QVariant::Double);
}

std::optional<double> numberOrNone(const QVariant &v)
{
    if (v.isNull() || v.toString().isEmpty())
        return std::nullopt;
    return v.toDouble();
}

// A line from a read of: code, name, list price, uses, unit price, total, cycle, remark.
PackageLine lineOf(const QVariantList &r)
{
    PackageLine l;
    l.itemId = r.value(0).toString();
    l.itemName = r.value(1).toString();
    if (!r.value(2).isNull())
        l.listCents = yuanToCents(r.value(2).toDouble());
    l.uses = r.value(3).toDouble();
    l.unitCents = yuanToCents(r.value(4).toDouble());
    l.totalCents = yuanToCents(r.value(5).toDouble());
    l.cycleDays = numberOrNone(r.value(6));
    l.remark = r.value(7).toString();
    return l;
}

} // namespace

namespace PackageLines {

void clear()
{
    execSingle(QStringLiteral("delete from temptaocanxiangmuliebiao"));
}

bool loadPackage(const QString &packageId)
{
    clear();
    // Stored lines have no number of their own: they were written in the
    // editor's order, and are read back in it.
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select a.xiangmuID,b.name,coalesce(b.xiaoshoujiage,a.yuanjia),a.fuwucishu,a.youhuijiage,"
                       "a.heji,a.zhouqi,b.beizhu from taocanmingxi a left join fuwuxiangmu b on a.xiangmuID=b.ID "
                       "where a.taocanID=? order by a.rowid"),
        {packageId});
    for (const QVariantList &r : rows) {
        if (!add(lineOf(r))) {
            qCWarning(lcSql) << "插入 temptaocanxiangmuliebiao错误";
            return false;
        }
    }
    return true;
}

bool add(const PackageLine &l)
{
    return execSingle(QStringLiteral("insert into temptaocanxiangmuliebiao(xiangmuID,xiangmuname,yuanjia,fuwucishu,"
                                     "youhuijiage,heji,zhouqi,beizhu,hanghao) values(?,?,?,?,?,?,?,?,"
                                     "(select coalesce(max(hanghao),0)+1 from temptaocanxiangmuliebiao))"),
                      {l.itemId, l.itemName, l.listCents ? QVariant(centsToYuan(*l.listCents)) : QVariant(QVariant::Double),
                       l.uses, centsToYuan(l.unitCents), centsToYuan(l.totalCents), optionalNumber(l.cycleDays),
                       l.remark})
           == 1;
}

bool removeItem(const QString &itemId)
{
    return execSingle(QStringLiteral("delete from temptaocanxiangmuliebiao where xiangmuID=?"), {itemId}) >= 0;
}

QList<PackageLine> lines()
{
    QList<PackageLine> out;
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select xiangmuID,xiangmuname,yuanjia,fuwucishu,youhuijiage,heji,zhouqi,beizhu "
                       "from temptaocanxiangmuliebiao order by hanghao"));
    for (const QVariantList &r : rows) {
        out << lineOf(r);
    }
    return out;
}

QString totalText()
{
    const QVariant sum = LedgerSql::value(QStringLiteral("select ROUND(SUM(heji),3) from temptaocanxiangmuliebiao"));
    return sum.isNull() || sum.toString().isEmpty() ? QStringLiteral("0") : moneyText(sum.toDouble());
}

} // namespace PackageLines
