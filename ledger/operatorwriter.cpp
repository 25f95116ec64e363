#include "operatorwriter.h"

#include "conflictretry.h"
#include "ledgersql.h"
#include "transactionscope.h"

namespace {

LedgerResult storeOnce(const QString &name, const QString &stored, const QString &byOperator,
                       const QString &logText)
{
    TransactionScope tx;
    if (LedgerSql::execOne(QStringLiteral("update \"user\" set password=? where name=?"), {stored, name},
                           QStringLiteral("没有找到该操作员"))
        && !logText.isEmpty())
        LedgerSql::log(byOperator, logText);
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("修改密码失败"), tx.firstError()));
    return LedgerResult::success(QString());
}

} // namespace

LedgerResult OperatorWriter::storePassword(const QString &name, const QString &stored, const QString &byOperator,
                                           const QString &logText)
{
    return retryOnConflict([&] { return storeOnce(name, stored, byOperator, logText); });
}
