#include "ledgersql.h"

#include "dbfailure.h"
#include "ledgertypes.h"
#include "preparedqueries.h"
#include "shopconnection.h"
#include "enginedriver.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

namespace LedgerSql {

namespace {

QString &lastErrorText()
{
    static QString text;
    return text;
}

bool fail(QSqlQuery &q, const QString &sql)
{
    qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
    lastErrorText() = EngineDriver::errorText(q.lastError());
    TransactionScope::noteFailure(sql, lastErrorText());
    q.finish();
    PreparedQueries::forget(sql); // prepared afresh next time, in case it went stale
    return false;
}

bool prepareOnce(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    if (!PreparedQueries::prepare(q, sql))
        return false;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    return q.exec();
}

// The one door of the rules layer's statements: refused without touching the
// database inside a scope whose BEGIN failed, and for a write to the shop's
// tables outside any transaction (unless `single`).
bool prepareAndRun(QSqlQuery &q, const QString &sql, const QVariantList &values, bool single = false)
{
    if (!TransactionScope::admits(sql, single)) {
        lastErrorText() = TransactionScope::active() ? QStringLiteral("BEGIN failed")
                          : ShopLink::isLost()        ? QStringLiteral("no connection to the server")
                                                      : QStringLiteral("REFUSED : 写入不在事务中，已拒绝");
        return false;
    }
    if (!prepareOnce(q, sql, values)) {
        // Outside a transaction a read, or a write to the connection's own
        // working tables, is safe to run again on the new connection.
        QString table;
        const QString error = EngineDriver::errorText(q.lastError());
        // A connection Qt closed at an earlier broken statement fails with no text.
        const bool closed = EngineDriver::current().isServer()
                            && !QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen();
        const bool again = !TransactionScope::active()
                           && (EngineDriver::isConnectionLost(error) || EngineDriver::current().isWorkingTableMissing(error)
                               || closed)
                           && (!TransactionScope::isWrite(sql, &table) || table.startsWith(QLatin1String("temp")));
        if (!again)
            return fail(q, sql);
        ShopLink::noteLost(EngineDriver::errorText(q.lastError()));
        if (!ShopLink::reopen())
            return fail(q, sql);
        q = QSqlQuery(QSqlDatabase::database());
        q.setForwardOnly(true);
        if (!prepareOnce(q, sql, values))
            return fail(q, sql);
    }
    qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values);
    return true;
}

} // namespace

int exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    if (!prepareAndRun(q, sql, values))
        return -1;
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

int execSingle(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    if (!prepareAndRun(q, sql, values, true))
        return -1;
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

bool execOne(const QString &sql, const QVariantList &values, const QString &why)
{
    const int n = exec(sql, values);
    if (n == 1)
        return true;
    if (n >= 0)
        refuse(why);
    return false;
}

QVariant value(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!prepareAndRun(q, sql, values))
        return QVariant();
    // Finished with a row or without: a kept statement left active is not
    // shared, and every later call would prepare (and free) one of its own.
    const QVariant v = q.next() ? q.value(0) : QVariant();
    q.finish();
    return v;
}

QList<QVariantList> rows(const QString &sql, const QVariantList &values)
{
    QList<QVariantList> out;
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!prepareAndRun(q, sql, values))
        return out;
    // The record is built anew at every call (on the server with its field
    // types): once per statement, not once per cell.
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row << q.value(i);
        out << row;
    }
    q.finish();
    return out;
}

bool each(const QString &sql, const QVariantList &values, const std::function<void(const QVariantList &)> &row)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!prepareAndRun(q, sql, values))
        return false;
    const int columns = q.record().count();
    QVariantList current;
    for (int i = 0; i < columns; ++i)
        current << QVariant();
    while (q.next()) {
        for (int i = 0; i < columns; ++i)
            current[i] = q.value(i);
        row(current);
    }
    q.finish();
    return true;
}

QString lastError() { return lastErrorText(); }

void refuse(const QString &why)
{
    qCWarning(lcSql).noquote() << QStringLiteral("操作被拒绝：") + why;
    TransactionScope::noteFailure(QStringLiteral("REFUSED"), why);
}

QString unreachableText(const QString &what)
{
    return ShopLink::isLost() ? failureText(what, QStringLiteral("no connection to the server")) : QString();
}

QString failureText(const QString &what, const QString &error, const QString &nothingSaved)
{
    // A refusal of the rules is a whole sentence of its own.
    if (error.startsWith(QLatin1String("REFUSED : ")))
        return error.mid(10);
    QString text = saveFailureText(what, error);
    if (nothingSaved != QStringLiteral("本次操作未保存"))
        text.replace(QStringLiteral("本次操作未保存"), nothingSaved);
    return text;
}

LedgerResult committed(TransactionScope &tx, const QString &what, const QString &id)
{
    if (!tx.commit())
        return LedgerResult::failure(failureText(what, tx.firstError()));
    return LedgerResult::success(id);
}

QString documentProbe()
{
    return QStringLiteral("select 1 from danjuhao where ID=? and shouyintai=?");
}

QString newDocumentId(const QString &prefix, const QString &kind, const QString &operatorName,
                      const QString &wanted)
{
    QString id = wanted;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (id.isEmpty())
            id = prefix + serialNow();
        // A number already registered (by this desk or another) inserts
        // nothing and the next one is tried: one statement, not a look and
        // then an insert.
        const int n = exec(QStringLiteral("insert into danjuhao(ID,leixing,riqi,caozuoyuan,shouyintai) values(?,?,?,?,?) "
                                          "ON CONFLICT DO NOTHING"),
                           {id, kind, now(), operatorName, desk()});
        if (n < 0)
            return QString();
        if (n == 1) {
            // Known before the COMMIT: after a lost answer the document
            // tells whether the operation landed. This desk's: another desk
            // waiting for the same number takes it once this transaction is
            // gone, and its row says nothing of this operation.
            TransactionScope::setOutcomeProbe(documentProbe(), {id, desk()});
            return id;
        }
        id.clear();
        QThread::msleep(1);
    }
    refuse(QStringLiteral("无法生成单号"));
    return QString();
}

namespace {
Clock &clockRef()
{
    static Clock c;
    return c;
}
QDateTime clockNow()
{
    return clockRef() ? clockRef()() : QDateTime::currentDateTime();
}
} // namespace

void setClock(Clock clock)
{
    clockRef() = std::move(clock);
}

QString now()
{
    return clockNow().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString today()
{
    return clockNow().toString(QStringLiteral("yyyy-MM-dd"));
}

QString serialNow()
{
    return clockNow().toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}

QString desk()
{
    return currentDeskName();
}

bool log(const QString &user, const QString &text)
{
    // A log row is whole by itself; inside an operation it joins its transaction.
    if (!TransactionScope::active())
        return execSingle(QStringLiteral("insert into log(time,\"user\",log) values(?,?,?)"), {now(), user, text}) == 1;
    return execOne(QStringLiteral("insert into log(time,\"user\",log) values(?,?,?)"), {now(), user, text},
                   QStringLiteral("日志未写入"));
}

} // namespace LedgerSql
