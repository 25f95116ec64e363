#include "packagedraft.h"

#include "ledgersql.h"

using LedgerSql::execSingle;

namespace {
const QString kColumns = QStringLiteral("insert into temphuiyuantaocan(huiyuanID,xiangmuID,xiangmuname,yuanjia,"
                                        "shengyucishu,youhui,heji,bencishu,shishou,zongcishu,xiaofeicishu) ");
}

namespace PackageDraft {

void clear()
{
    execSingle(QStringLiteral("delete from temphuiyuantaocan"));
}

void listHeld(const QString &memberId)
{
    clear();
    execSingle(kColumns
                   + QStringLiteral("select huiyuanID,xiangmuID,name,xiaoshoujiage,shengyucishu,xiaoshoujiage,0,0,0,"
                                    "zongcishu,xiaofeicishu from huiyuantaocan a,fuwuxiangmu b where "
                                    "a.xiangmuID=b.ID and huiyuanID=?"),
               {memberId});
}

void listPackage(const QString &memberId, const QString &packageId)
{
    clear();
    if (memberId.isEmpty())
        return;
    execSingle(kColumns
                   + QStringLiteral("select ?,a.xiangmuID,coalesce(b.name,a.xiangmuID),coalesce(b.xiaoshoujiage,a.yuanjia),"
                                    "a.fuwucishu,coalesce(b.xiaoshoujiage,a.yuanjia),0,a.fuwucishu,0,a.fuwucishu,0 "
                                    "from taocanmingxi a left join fuwuxiangmu b on a.xiangmuID=b.ID where a.taocanID=?"),
               {memberId, packageId});
}

bool addPackage(const QString &memberId, const QString &packageId)
{
    // Package codes are typed by people ("A01"): compared as text.
    return execSingle(kColumns
                          + QStringLiteral("select ?,xiangmuID,name,yuanjia,fuwucishu,youhuijiage,heji,fuwucishu,zongjia,"
                                           "fuwucishu,0 from taocanmingxi where taocanID=? order by rowid"),
                      {memberId, packageId})
           >= 0;
}

bool addItem(const QString &memberId, const QString &itemId, const QString &name, double listPrice,
             double uses, double unitPrice, double total)
{
    return execSingle(kColumns + QStringLiteral("values(?,?,?,?,?,?,?,?,?,?,0)"),
                      {memberId, itemId, name, listPrice, uses, unitPrice, total, uses, total, uses})
           == 1;
}

QString packagePrice(const QString &packageId)
{
    const QString price =
        LedgerSql::value(QStringLiteral("select max(zongjia) from taocanmingxi where taocanID=?"), {packageId}).toString();
    return price.isEmpty() ? QStringLiteral("0") : price;
}

qint64 lastRow()
{
    return LedgerSql::value(QStringLiteral("select coalesce(max(rowid),0) from temphuiyuantaocan")).toLongLong();
}

bool chargeAfter(qint64 row, double *charge)
{
    const QList<QVariantList> rows =
        LedgerSql::rows(QStringLiteral("select shishou from temphuiyuantaocan where rowid>? order by rowid LIMIT 1"), {row});
    if (rows.isEmpty())
        return false;
    *charge = rows.first().value(0).toDouble();
    return true;
}

bool anyUsesToBuy()
{
    return LedgerSql::value(QStringLiteral("select 1 from temphuiyuantaocan where bencishu>0 LIMIT 1")).isValid();
}

QList<Item> itemsToBuy()
{
    QList<Item> out;
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select a.xiangmuID, coalesce(max(b.name),max(a.xiangmuname)), sum(a.bencishu) from temphuiyuantaocan a "
                       "left join fuwuxiangmu b on a.xiangmuID=b.ID where a.bencishu>0 group by a.xiangmuID order by a.xiangmuID"));
    for (const QVariantList &r : rows)
        out << Item{r.value(0).toString(), r.value(1).toString(), r.value(2).toDouble()};
    return out;
}

} // namespace PackageDraft
