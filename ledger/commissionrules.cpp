#include "commissionrules.h"

#include "amounts.h"
#include "ledgersql.h"

#include <cmath>

namespace CommissionRules {

const char kCardItemType[] = "会员卡";

CommissionRule find(const QString &itemId, const QString &itemType, const QString &orderMode,
                    const QString &employeeType)
{
    CommissionRule rule;
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select jisuanfanshi,coalesce(tichengbili,0),coalesce(tichengjiner,0) from tichengshezhi "
                       "where xiangmuID=? and xiangmuleixing=? and tichengfangshi=? and yuangongleixing in (?,'所有员工') "
                       "order by case when yuangongleixing='所有员工' then 1 else 0 end, rowid LIMIT 1"),
        {itemId, itemType, orderMode, employeeType});
    if (rows.isEmpty())
        return rule;
    rule.found = true;
    rule.method = rows.first().value(0).toString();
    rule.rate = rows.first().value(1).toDouble();
    rule.fixedCents = yuanToCents(rows.first().value(2).toDouble());
    return rule;
}

QString employeeType(const QString &employeeId)
{
    return LedgerSql::value(QStringLiteral("select type from yuangong where ID=?"), {employeeId}).toString();
}

QString employeeName(const QString &employeeId)
{
    return LedgerSql::value(QStringLiteral("select name from yuangong where ID=?"), {employeeId}).toString();
}

qint64 commissionCents(const QString &method, double rate, qint64 fixedCents, qint64 amountCents)
{
    if (method == QStringLiteral("按固定金额提成"))
        return fixedCents;
    if (method == QStringLiteral("不参与提成"))
        return 0;
    if (!std::isfinite(rate) || rate <= 0)
        return 0;
    return qint64(std::llround(double(amountCents) * rate / 100.0));
}

} // namespace CommissionRules
