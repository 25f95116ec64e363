#include "ruleslists.h"

#include "dbsetconfig.h"
#include "sqllog.h"
#include "sqlstatements.h"

namespace {

const QString kColumns = QStringLiteral("(xiangmuID,xiangmuming,xiaoshoujiage,chengbenjiage,type,beizhu) ");

// The service items, each under the kind the list gives them (bound).
QString serviceItemsInto(const QString &table)
{
    return QStringLiteral("INSERT INTO ") + table + kColumns
           + QStringLiteral("SELECT ID as 项目ID , name as 项目名称,xiaoshoujiage as 销售价格,chengbenjiage  as  成本价格, "
                            "cast(? as text) as 类型, beizhu as 备注  from fuwuxiangmu ORDER BY ID");
}

// Issuing a card earns a commission too; its rules are kept per card type.
QString cardTypesInto(const QString &table)
{
    return QStringLiteral("INSERT INTO ") + table + kColumns
           + QStringLiteral("SELECT name as 项目ID, name as 项目名称, max(jiage) as 销售价格, '0' as 成本价格, '会员卡' as 类型, "
                            "max(beizhu) as 备注 from huiyuanka GROUP BY name ORDER BY name");
}

// delete + the three inserts; a failing insert is reported and the next one still runs
void refillList(const QString &table, const QString &serviceType, bool withCards)
{
    const QString failText = QStringLiteral("插入临时列表 ") + table + QStringLiteral("故障");
    SqlStatements::execSql(QStringLiteral("delete from ") + table + QStringLiteral(" "));
    const QStringList inserts = {
        QStringLiteral("INSERT INTO ") + table + kColumns
            + QStringLiteral("SELECT taocanID as 项目ID , max(name) as 项目名称,max(zongjia) as 销售价格,'0'  as  成本价格, "
                             "'套餐'  as 类型, max(beizhu) as 备注  from taocanmingxi  GROUP BY taocanID ORDER BY taocanID"),
        QStringLiteral("INSERT INTO ") + table + kColumns
            + QStringLiteral("SELECT ID as 项目ID , name as 项目名称,xiaoshoujiage as 销售价格,jinhuojiage  as  成本价格, "
                             "'产品'  as 类型, beizhu as 备注  from chanpin  ORDER BY ID"),
    };
    for (const QString &sql : inserts) {
        if (!SqlStatements::execSql(sql))
            qCWarning(lcSql).noquote() << failText;
    }
    if (!SqlStatements::execSql(serviceItemsInto(table), {serviceType}))
        qCWarning(lcSql).noquote() << failText;
    if (withCards && !SqlStatements::execSql(cardTypesInto(table)))
        qCWarning(lcSql).noquote() << failText;
}

} // namespace

void refillTichengList()
{
    refillList(QStringLiteral("temptichengliebiao"), QStringLiteral("服务项目"), true);
}

void refillCuxiaoList()
{
    refillList(QStringLiteral("tempcuxiaoliebiao"), QStringLiteral("项目"), false);
}

void fillItemList2(const QString &table, const QString &serviceType, const QString &failText)
{
    // Every row of a package repeats its selling price, so the price is taken
    // once per package (MAX), not summed over the package's lines: a sum would
    // multiply the price by the number of lines and skew every promotion
    // computed from it.
    SqlStatements::execSql(QStringLiteral("delete from ") + table);
    if (!SqlStatements::execSql(QStringLiteral("INSERT INTO ") + table + kColumns
                    + QStringLiteral("SELECT taocanID as 项目ID , max(name) as 项目名称,ROUND(MAX(zongjia),3) as 销售价格,'0'  as  成本价格, "
                                     "'套餐'  as 类型, max(beizhu) as 备注  from taocanmingxi  GROUP BY taocanID ORDER BY taocanID")))
        qCWarning(lcSql).noquote() << failText;
    if (!SqlStatements::execSql(QStringLiteral("INSERT INTO ") + table + kColumns
                    + QStringLiteral("SELECT ID as 项目ID , name as 项目名称,xiaoshoujiage as 销售价格,jinhuojiage  as  成本价格, "
                                     "'产品'  as 类型, beizhu as 备注  from chanpin  ORDER BY ID")))
        qCWarning(lcSql).noquote() << failText + QStringLiteral(" chanpin");
    if (!SqlStatements::execSql(serviceItemsInto(table), {serviceType}))
        qCWarning(lcSql).noquote() << failText + QStringLiteral(" fuwuxiangmu");
    if (table == QLatin1String("temptichengliebiao2") && !SqlStatements::execSql(cardTypesInto(table)))
        qCWarning(lcSql).noquote() << failText + QStringLiteral(" huiyuanka");
}

void installRulesListRefills()
{
    setTempTableRefill(QStringLiteral("temptichengliebiao_db"), refillTichengList);
    setTempTableRefill(QStringLiteral("tempcuxiaoliebiao_db"), refillCuxiaoList);
}

QStringList findPromotion(const QString &itemId, const QString &itemName, const QString &cardType)
{
    return SqlStatements::queryRow(
        QStringLiteral("select xiangmuID,xiangmumingcheng ,huiyuanleixing,xiaoshoujiage,youhuifangshi,youhuizekou,zuizhongjiage "
                       "from cuxiao where xiangmuID=? and xiangmumingcheng=? and huiyuanleixing=?"),
        {itemId, itemName, cardType});
}

ViewFilter rulesOfItem(const QString &itemId, const QString &itemType)
{
    return ViewFilter(QStringLiteral("a.xiangmuID=? and a.xiangmuleixing=?"), {itemId, itemType});
}
