#include "rulebook.h"

#include "conflictretry.h"
#include "dbrecords.h"
#include "dbsetconfig.h"
#include "ledgersql.h"
#include "operatorstore.h"
#include "ruleslists.h"
#include "sqllog.h"
#include "sqlstatements.h"
#include "sqltext.h"
#include "textlimits.h"
#include "transactionscope.h"

using LedgerSql::refuse;

namespace {

const QString kAllMembers = QStringLiteral("所有会员");
const QString kAllEmployees = QStringLiteral("所有员工");

// The working tables' own statements (TEMP, this connection's): a failure is
// said in the debug output, as the editors always did, and the save refuses
// what did not land.
void work(const QString &sql, const QVariantList &values, const char *failText)
{
    if (LedgerSql::execSingle(sql, values) < 0)
        qCWarning(lcSql).noquote() << QString::fromUtf8(failText);
}

void createTemp(const QString &entry)
{
    createWorkingTable(entry);
}

// The item is still in the catalogue: another desk may have deleted it while
// the editor was open.
bool itemExists(const QString &itemId, const QString &itemType)
{
    QString sql;
    if (itemType == QStringLiteral("套餐"))
        sql = QStringLiteral("select 1 from taocanmingxi where taocanID=? LIMIT 1");
    else if (itemType == QStringLiteral("产品"))
        sql = QStringLiteral("select 1 from chanpin where ID=? LIMIT 1");
    else if (itemType == QStringLiteral("会员卡"))
        sql = QStringLiteral("select 1 from huiyuanka where name=? LIMIT 1");
    else
        sql = QStringLiteral("select 1 from fuwuxiangmu where ID=? LIMIT 1");
    return LedgerSql::value(sql, {itemId}).isValid();
}

// Checks that hold whatever another desk does: before the transaction.
QString planRefusal(const QString &itemId, const QString &itemType, const QStringList &types)
{
    if (itemId.isEmpty() || itemType.isEmpty())
        return QStringLiteral("请先选择一个项目");
    for (const QString &t : types) {
        const QString tooLong = TextLimits::refusal(QStringLiteral("类型名称"), t, TextLimits::kName);
        if (!tooLong.isEmpty())
            return tooLong;
    }
    return QString();
}

LedgerResult finish(TransactionScope &tx, const char *what)
{
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QString::fromUtf8(what), tx.firstError()));
    return LedgerResult::success(QString());
}

LedgerResult savePromotionsOnce(const PromotionPlan &p, const QString &op)
{
    QStringList types;
    for (const PromotionRule &r : p.rules)
        types << r.cardType;
    const QString why = planRefusal(p.itemId, p.itemType, types);
    if (!why.isEmpty())
        return LedgerResult::failure(why);
    if (!p.start.isValid() || !p.end.isValid() || p.start > p.end)
        return LedgerResult::failure(QStringLiteral("促销开始日期不能晚于结束日期"));
    TransactionScope tx;
    // Looked up inside the save, whatever key or page reached the editor.
    if (!OperatorStore::requireSettingsRight(op))
        return finish(tx, "保存促销设置失败");
    if (!itemExists(p.itemId, p.itemType)) {
        refuse(QStringLiteral("该项目已被删除，促销设置未保存"));
        return finish(tx, "保存促销设置失败");
    }
    LedgerSql::exec(QStringLiteral("delete from cuxiaoshezhi where xiangmuID=? and xiangmuleixing=?"),
                    {p.itemId, p.itemType});
    const QString start = p.start.toString(Qt::ISODate);
    const QString end = p.end.toString(Qt::ISODate);
    for (const PromotionRule &r : p.rules)
        LedgerSql::execOne(QStringLiteral("insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,starttime,endtime,"
                                          "huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner) values(?,?,?,?,?,?,?,?)"),
                           {p.itemId, p.itemType, start, end, r.cardType, r.method, r.ratio, r.finalPrice},
                           QStringLiteral("促销设置未能写入"));
    LedgerSql::log(op, QStringLiteral("促销设置  项目：") + p.itemId);
    return finish(tx, "保存促销设置失败");
}

LedgerResult saveCommissionsOnce(const CommissionPlan &p, const QString &op)
{
    QStringList types;
    for (const CommissionPlanRule &r : p.rules)
        types << r.employeeType;
    const QString why = planRefusal(p.itemId, p.itemType, types);
    if (!why.isEmpty())
        return LedgerResult::failure(why);
    for (const CommissionPlanRule &r : p.rules)
        if (!(r.ratio >= 0) || !(r.amount >= 0) || r.ratio > 1e9 || r.amount > 1e9)
            return LedgerResult::failure(QStringLiteral("提成数值不能小于0"));
    TransactionScope tx;
    if (!OperatorStore::requireSettingsRight(op))
        return finish(tx, "保存提成设置失败");
    if (!itemExists(p.itemId, p.itemType)) {
        refuse(QStringLiteral("该项目已被删除，提成设置未保存"));
        return finish(tx, "保存提成设置失败");
    }
    LedgerSql::exec(QStringLiteral("delete from tichengshezhi where xiangmuID=? and xiangmuleixing=?"),
                    {p.itemId, p.itemType});
    for (const CommissionPlanRule &r : p.rules)
        LedgerSql::execOne(QStringLiteral("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,"
                                          "tichengfangshi,jisuanfanshi,tichengbili,tichengjiner) values(?,?,?,?,?,?,?)"),
                           {p.itemId, p.itemType, r.employeeType, r.mode, r.method, r.ratio, r.amount},
                           QStringLiteral("提成设置未能写入"));
    LedgerSql::log(op, QStringLiteral("提成设置  项目：") + p.itemId);
    return finish(tx, "保存提成设置失败");
}

} // namespace

LedgerResult RuleBook::savePromotions(const PromotionPlan &plan, const QString &operatorName)
{
    return retryOnConflict([&] { return savePromotionsOnce(plan, operatorName); });
}

LedgerResult RuleBook::saveCommissions(const CommissionPlan &plan, const QString &operatorName)
{
    return retryOnConflict([&] { return saveCommissionsOnce(plan, operatorName); });
}

QString RuleBook::promotionWorkCondition(WorkRows rows)
{
    switch (rows) {
    case WorkRows::None:
        // The base statement alone would aggregate everything.
        return QStringLiteral(" and 1=0 GROUP BY huiyuanleixing");
    case WorkRows::Everybody:
        return QStringLiteral(" and huiyuanleixing='所有会员' GROUP BY huiyuanleixing ORDER BY huiyuanleixing");
    case WorkRows::PerType:
        break;
    }
    return QStringLiteral(" and huiyuanleixing!='所有会员' GROUP BY huiyuanleixing ORDER BY huiyuanleixing");
}

QString RuleBook::commissionWorkCondition(WorkRows rows)
{
    switch (rows) {
    case WorkRows::None:
        // The base statement alone would aggregate everything.
        return QStringLiteral(" and 1=0 GROUP BY yuangongleixing ORDER BY yuangongleixing");
    case WorkRows::Everybody:
        return QStringLiteral(" and yuangongleixing='所有员工' GROUP BY yuangongleixing ORDER BY yuangongleixing");
    case WorkRows::PerType:
        break;
    }
    return QStringLiteral(" and yuangongleixing!='所有员工' GROUP BY yuangongleixing ORDER BY yuangongleixing");
}

// ---- the promotion editor's working rows ---------------------------------------

void RuleBook::openPromotionWork()
{
    createTemp(QStringLiteral("tempcuxiaoliebiao2_db"));
    createTemp(QStringLiteral("tempcuxiaoshezhi_db"));
    // The working copy may survive a crash of an earlier session: start empty.
    work(QStringLiteral("delete from tempcuxiaoshezhi"), {}, "清空临时列表 tempcuxiaoshezhi故障");
    fillItemList2(QStringLiteral("tempcuxiaoliebiao2"), QStringLiteral("项目"),
                  QStringLiteral("插入临时列表 tempcuxiaoliebiao故障"));
}

void RuleBook::closePromotionWork()
{
    SqlStatements::execSql(QStringLiteral("drop table tempcuxiaoshezhi"));
    SqlStatements::execSql(QStringLiteral("drop table tempcuxiaoliebiao2"));
}

PromotionPlan RuleBook::loadPromotionWork(const QString &itemId, const QString &itemType)
{
    PromotionPlan p;
    p.itemId = itemId;
    p.itemType = itemType;
    work(QStringLiteral("insert into tempcuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili,"
                        "cuxiaojiner) select b.xiangmuID,b.type,a.huiyuanleixing,a.cuxiaofangshi,a.cuxiaobili,"
                        "a.cuxiaojiner from cuxiaoshezhi a, tempcuxiaoliebiao2 b where a.xiangmuleixing=b.type and "
                        "a.xiangmuID=b.xiangmuID and a.xiangmuID=? and b.type=?"),
         {itemId, itemType}, "插入临时列表tempcuxiaoshezhi故障");
    const QVariantList period = LedgerSql::rows(QStringLiteral("select min(substr(starttime,1,10)),max(substr(endtime,1,10)) "
                                                               "from cuxiaoshezhi where xiangmuID=? and xiangmuleixing=?"),
                                                {itemId, itemType})
                                    .value(0);
    p.start = QDate::fromString(period.value(0).toString(), Qt::ISODate);
    p.end = QDate::fromString(period.value(1).toString(), Qt::ISODate);
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select a.huiyuanleixing,min(a.cuxiaofangshi),min(a.cuxiaobili),min(a.cuxiaojiner) "
                            "from tempcuxiaoshezhi a, tempcuxiaoliebiao2 b where a.xiangmuleixing=b.type and "
                            "a.xiangmuID=b.xiangmuID group by a.huiyuanleixing order by a.huiyuanleixing")))
        p.rules << PromotionRule{r.value(0).toString(), r.value(1).toString(), r.value(2).toDouble(),
                                 r.value(3).toDouble()};
    return p;
}

void RuleBook::addCardTypesToPromotionWork(const QString &itemId, const QString &itemType)
{
    work(QStringLiteral("insert into tempcuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili,"
                        "cuxiaojiner) select b.xiangmuID,b.type,a.name,'无优惠',1,min(b.xiaoshoujiage) from huiyuanka a, "
                        "tempcuxiaoliebiao2 b where b.xiangmuID=? and b.type=? and not exists (select 1 from "
                        "tempcuxiaoshezhi t where t.huiyuanleixing=a.name) group by b.xiangmuID,b.type,a.name order by b.xiangmuID,b.type,a.name"),
         {itemId, itemType}, "插入临时列表 tempcuxiaoshezhi故障");
}

void RuleBook::setPromotionWork(const PromotionRule &rule)
{
    work(QStringLiteral("update tempcuxiaoshezhi set cuxiaofangshi=?,cuxiaobili=?,cuxiaojiner=? where huiyuanleixing=?"),
         {rule.method, rule.ratio, rule.finalPrice, rule.cardType}, "修改临时列表 tempcuxiaoshezhi故障");
}

QList<PromotionRule> RuleBook::promotionWorkByCardType()
{
    QList<PromotionRule> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select huiyuanleixing,cuxiaofangshi,cuxiaobili,cuxiaojiner from tempcuxiaoshezhi "
                            "where huiyuanleixing<>? order by rowid"),
             {kAllMembers}))
        out << PromotionRule{r.value(0).toString(), r.value(1).toString(), r.value(2).toDouble(), r.value(3).toDouble()};
    return out;
}

// ---- the commission editor's working rows --------------------------------------

void RuleBook::openCommissionWork()
{
    createTemp(QStringLiteral("temptichengshezhi_db"));
    createTemp(QStringLiteral("temptichengliebiao2_db"));
    work(QStringLiteral("delete from temptichengshezhi"), {}, "清空临时列表 temptichengshezhi故障");
    fillItemList2(QStringLiteral("temptichengliebiao2"), QStringLiteral("服务项目"),
                  QStringLiteral("插入临时列表 temptichengliebiao故障"));
}

void RuleBook::closeCommissionWork()
{
    SqlStatements::execSql(QStringLiteral("drop table temptichengshezhi"));
    SqlStatements::execSql(QStringLiteral("drop table temptichengliebiao2"));
}

CommissionPlan RuleBook::loadCommissionWork(const QString &itemId, const QString &itemType)
{
    CommissionPlan p;
    p.itemId = itemId;
    p.itemType = itemType;
    work(QStringLiteral("insert into temptichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,"
                        "jisuanfanshi,tichengbili,tichengjiner) select b.xiangmuID,b.type,a.yuangongleixing,"
                        "a.tichengfangshi,a.jisuanfanshi,a.tichengbili,a.tichengjiner from tichengshezhi a, "
                        "temptichengliebiao2 b where a.xiangmuleixing=b.type and a.xiangmuID=b.xiangmuID and "
                        "a.xiangmuID=? and b.type=?"),
         {itemId, itemType}, "插入临时列表 tempqichengshezhi故障");
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner from "
                            "temptichengshezhi order by rowid")))
        p.rules << CommissionPlanRule{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                                      r.value(3).toDouble(), r.value(4).toDouble()};
    return p;
}

void RuleBook::addCategoriesToCommissionWork(const QString &itemId, const QString &itemType, const QStringList &modes)
{
    for (const QString &mode : modes)
        work(QStringLiteral("insert into temptichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,"
                            "jisuanfanshi,tichengbili,tichengjiner) select ?,?,mingchen,?,'按比例提成',0,0 from leibie "
                            "where leibiestr='员工类别' and not exists (select 1 from temptichengshezhi t where "
                            "t.yuangongleixing=leibie.mingchen and t.tichengfangshi=?) group by mingchen order by mingchen"),
             {itemId, itemType, mode, mode}, "插入临时列表 temptichengshezhi故障");
}

void RuleBook::setCommissionWork(const QString &employeeType, const QString &mode, const QString &method, double ratio,
                                 double amount)
{
    work(QStringLiteral("update temptichengshezhi set jisuanfanshi=?,tichengbili=?,tichengjiner=? where "
                        "tichengfangshi=? and yuangongleixing=?"),
         {method, ratio, amount, mode, employeeType}, "修改临时列表 tempqichengshezhi故障");
}

QList<CommissionPlanRule> RuleBook::commissionWorkByCategory()
{
    QList<CommissionPlanRule> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,tichengjiner from "
                            "temptichengshezhi where yuangongleixing<>? order by rowid"),
             {kAllEmployees}))
        out << CommissionPlanRule{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(),
                                  r.value(3).toDouble(), r.value(4).toDouble()};
    return out;
}
