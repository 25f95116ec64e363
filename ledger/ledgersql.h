#ifndef LEDGERSQL_H
#define LEDGERSQL_H

#include <QDateTime>
#include <QString>
#include <functional>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

class QSqlQuery;
class TransactionScope;
struct LedgerResult;

// Statements of the rules layer: always prepared, values always bound. A failing
// statement goes to the debug output and fails the open TransactionScope, so the
// whole operation is rolled back.
namespace LedgerSql {

// Runs the statement; returns the number of rows it changed, or -1 on failure
// (also when it was refused: inside a scope whose BEGIN failed, or a write to
// the shop's tables outside any transaction).
int exec(const QString &sql, const QVariantList &values = {});
// The same for a write that is whole by itself (one setting, one working
// row): allowed outside a transaction, where exec() refuses a write to the
// shop's tables.
int execSingle(const QString &sql, const QVariantList &values = {});
// Runs the statement and insists that it changed exactly one row; anything else
// fails the open transaction with `why`.
bool execOne(const QString &sql, const QVariantList &values, const QString &why);
// First column of the first row (an invalid QVariant when there is none).
QVariant value(const QString &sql, const QVariantList &values = {});
QList<QVariantList> rows(const QString &sql, const QVariantList &values = {});
// The rows one at a time, for reads of many: nothing is kept but the row at hand.
// False when the statement failed.
bool each(const QString &sql, const QVariantList &values, const std::function<void(const QVariantList &)> &row);

// The error text of the last statement that failed here: a working-table write
// runs outside any transaction, and its message still names the cause.
QString lastError();

// Marks the open transaction failed with a reason of the rules (not of SQL).
void refuse(const QString &why);
// The cashier's sentence for a failed operation: what failed ("保存消费记录失败"),
// that nothing was saved, and the cause where it is known; a refusal of the
// rules is told as it was given.
QString failureText(const QString &what, const QString &error,
                    const QString &nothingSaved = QStringLiteral("本次操作未保存"));
// While the shop's server cannot be reached, why `what` was not saved: a read
// that came back empty then said nothing (a basket is not empty, a member not
// unknown). Empty when the connection is fine.
QString unreachableText(const QString &what);

// Commits the operation's scope and answers it: the document (or key) when it
// landed, the cashier's sentence of `failureText` when it did not.
LedgerResult committed(TransactionScope &tx, const QString &what, const QString &id);

// The statement (values: the ID, desk()) that finds a document this desk
// registered: a row exactly when the operation that registered it landed.
QString documentProbe();

// A document ID of the form prefix + yyyyMMddhhmmsszzz that no desk has used:
// registered in the document table inside the open transaction.
QString newDocumentId(const QString &prefix, const QString &kind, const QString &operatorName,
                      const QString &wanted = QString());

// The desk this program works at: every document and takings row records it,
// and a handover counts its own desk's alone.
QString desk();

// The operation's time. Normally the wall clock; the shop generator sets a
// clock of its own, so that a generated history runs through the same writers.
using Clock = std::function<QDateTime()>;
void setClock(Clock clock); // an empty clock is the wall clock
QString now();              // yyyy-MM-dd hh:mm:ss
QString today();            // yyyy-MM-dd
QString serialNow();        // yyyyMMddhhmmsszzz

// The operation log row of a writer, at the operation's time.
bool log(const QString &user, const QString &text);

} // namespace LedgerSql

#endif
