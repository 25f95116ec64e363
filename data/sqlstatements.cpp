#include "sqlstatements.h"
#include "preparedqueries.h"
#include "shopconnection.h"
#include "sqllog.h"
#include "sqltext.h"
#include "enginedriver.h"
#include "tableregistry.h"
#include "transactionscope.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QStringList rowTexts(const QSqlQuery &q)
{
    QStringList row;
    const int n = q.record().count();
    row.reserve(n);
    for (int i = 0; i < n; ++i)
        row << q.value(i).toString();
    return row;
}

void noteFailure(const QString &sql, const QSqlQuery &q)
{
    TransactionScope::noteFailure(sql, q.lastError().text());
}

// Outside a transaction, a read or a write to the connection's own working
// tables that failed because the connection was lost runs once more on a new
// connection; anything else stays failed (a shop write might have landed).
bool againAfterReconnect(QSqlQuery &q, const QString &sql)
{
    QString table;
    const QString error = EngineDriver::errorText(q.lastError());
    if (TransactionScope::active()
        || (!EngineDriver::isConnectionLost(error) && !EngineDriver::current().isWorkingTableMissing(error))
        || (TransactionScope::isWrite(sql, &table) && !table.startsWith(QLatin1String("temp"))))
        return false;
    ShopLink::noteLost(error);
    if (!ShopLink::reopen())
        return false;
    q = QSqlQuery(QSqlDatabase::database());
    q.setForwardOnly(true);
    return true;
}

// Runs a statement; a failure goes to the debug output and into the open
// transaction scope. Refused without touching the database inside a scope
// whose BEGIN failed, and for a write to the shop's tables outside any
// transaction unless `single` says it is whole by itself.
bool run(QSqlQuery &q, const QString &sql, bool single = false)
{
    if (!TransactionScope::admits(sql, single))
        return false;
    if (q.exec(sql))
        return true;
    if (againAfterReconnect(q, sql) && q.exec(sql))
        return true;
    qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
    noteFailure(sql, q);
    return false;
}

bool prepared(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    if (!PreparedQueries::prepare(q, sql))
        return false;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    return q.exec();
}

// The same with values bound to its ? marks, in order.
bool runBound(QSqlQuery &q, const QString &sql, const QVariantList &values, bool single = false)
{
    if (values.isEmpty())
        return run(q, sql, single);
    if (!TransactionScope::admits(sql, single))
        return false;
    if (prepared(q, sql, values) || (againAfterReconnect(q, sql) && prepared(q, sql, values)))
        return true;
    qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << SqlLog::shown(sql, values) << q.lastError().text();
    noteFailure(sql, q);
    q.finish();
    PreparedQueries::forget(sql);
    return false;
}

} // namespace

bool SqlStatements::execSql(const QString &sql)
{
    QSqlQuery q;
    if (!run(q, sql))
        return false;
    qCDebug(lcSql).noquote() << sql;
    return true;
}

bool SqlStatements::execSql(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    if (!runBound(q, sql, values))
        return false;
    q.finish(); // the prepared statement goes back for the next use
    qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values);
    return true;
}

QList<QStringList> SqlStatements::queryRows(const QString &sql)
{
    QList<QStringList> rows;
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!run(q, sql))
        return rows;
    while (q.next())
        rows << rowTexts(q);
    qCDebug(lcSql).noquote() << sql << QStringLiteral(":查询结果") << rows.size();
    return rows;
}

QStringList SqlStatements::queryRow(const QString &sql)
{
    return queryRow(sql, QVariantList());
}

QStringList SqlStatements::queryRow(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!runBound(q, sql, values))
        return {};
    QStringList row;
    if (q.next()) {
        row = rowTexts(q);
        if (q.next())
            row.clear(); // more than one row counts as none
    }
    q.finish();
    qCDebug(lcSql).noquote() << sql << QStringLiteral(":查询结果") << SqlLog::shown(sql, row);
    return row;
}

int SqlStatements::countRows(const QString &sql)
{
    QSqlQuery q;
    q.setForwardOnly(true);
    if (!run(q, sql))
        return 0;
    int n = 0;
    while (q.next())
        ++n;
    qCDebug(lcSql).noquote() << sql << QStringLiteral(":查询结果") << n;
    return n;
}

void SqlStatements::writeLog(const QString &user, const QString &text)
{
    // A log row is whole by itself; inside an operation it joins its transaction.
    static const QString sql = QStringLiteral("insert into log(time,\"user\",log) values(?,?,?)");
    const QVariantList values{nowText(), user, text};
    QSqlQuery q;
    if (runBound(q, sql, values, true))
        qCDebug(lcSql).noquote() << sql << SqlLog::shown(sql, values);
    q.finish();
}

int SqlStatements::rowCountOf(QSqlQuery &query)
{
    if (query.last()) {
        const int n = query.at() + 1;
        query.seek(QSql::BeforeFirstRow);
        return n;
    }
    return 0;
}

QString SqlStatements::nowText()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString SqlStatements::todayText()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

QString SqlStatements::serialNow()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmsszzz"));
}

namespace {

QString sqlNames(const QStringList &columns)
{
    QStringList names;
    for (const QString &c : columns)
        names << sqlName(c);
    return names.join(QLatin1Char(','));
}

} // namespace

bool SqlStatements::insertRecord(const TableEntry *table, const QStringList &values)
{
    if (!table)
        return false;
    QStringList marks;
    for (int i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    const QString sql = QStringLiteral("INSERT INTO ") + sqlName(table->name) + QStringLiteral(" (")
                        + sqlNames(table->columns) + QStringLiteral(") ")
                        + QStringLiteral("VALUES (") + marks.join(QLatin1Char(',')) + QStringLiteral(")");
    if (!TransactionScope::admits(sql))
        return false;
    // Refused before the server sees it: a statement that fails there ends
    // the whole transaction it was part of.
    if (values.size() != table->columns.size()) {
        qCWarning(lcSql).noquote() << QStringLiteral("插入数据错误，数据不对应") + table->name;
        TransactionScope::noteFailure(sql, QStringLiteral("插入数据错误，数据不对应"));
        return false;
    }
    QSqlQuery q;
    if (!q.prepare(sql)) {
        qCWarning(lcSql).noquote() << sql << QStringLiteral("数据库操作出错") << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    qCDebug(lcSql).noquote() << sql;
    for (int i = 0; i < values.size(); ++i) {
        if (values.at(i).isEmpty())
            q.bindValue(i, QVariant(QVariant::String));
        else
            q.bindValue(i, values.at(i));
    }
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    return true;
}

bool SqlStatements::insertSelect(const TableEntry *table, const QString &select)
{
    if (!table)
        return false;
    const QString sql = QStringLiteral("INSERT INTO ") + sqlName(table->name) + QStringLiteral(" (")
                        + sqlNames(table->columns) + QStringLiteral(") ") + select;
    if (!TransactionScope::admits(sql))
        return false;
    QSqlQuery q;
    if (q.exec(sql)) {
        qCDebug(lcSql).noquote() << sql;
        return true;
    }
    qCWarning(lcSql).noquote() << QStringLiteral("插入数据失败！！！！") << sql << q.lastError().text();
    noteFailure(sql, q);
    return false;
}

bool SqlStatements::updateRecord(const TableEntry *table, const QStringList &fields,
                               const QStringList &values, int whereCount)
{
    if (!table)
        return false;
    if (fields.size() != values.size()) {
        qCWarning(lcSql) << "修改数据时发现数据对应错误";
        TransactionScope::noteFailure(table->name, QStringLiteral("修改数据时发现数据对应错误"));
        return false;
    }
    const int n = fields.size();
    const int k = n - whereCount;
    QString setPart;
    for (int i = 0; i < k; ++i)
        setPart += sqlName(fields.at(i)) + (i == k - 1 ? QStringLiteral("=? ") : QStringLiteral("=? ,"));
    QString keyPart;
    for (int i = qMax(k, 0); i < n; ++i)
        keyPart += (i == k ? QStringLiteral("where ") : QStringLiteral("and ")) + sqlName(fields.at(i)) + QStringLiteral("=? ");
    const QString sql = QStringLiteral("update ") + sqlName(table->name) + QStringLiteral(" set ") + setPart + keyPart;
    if (!TransactionScope::admits(sql))
        return false;
    QSqlQuery q;
    if (!q.prepare(sql)) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    qCDebug(lcSql).noquote() << sql;
    for (int i = 0; i < n; ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    return true;
}

bool SqlStatements::deleteRecord(const TableEntry *table, const QStringList &fields,
                               const QStringList &values)
{
    if (!table)
        return false;
    if (fields.size() != values.size() || fields.isEmpty()) {
        qCWarning(lcSql) << "删除数据时发现数据对应错误";
        TransactionScope::noteFailure(table->name, QStringLiteral("删除数据时发现数据对应错误"));
        return false;
    }
    QString sql = QStringLiteral("delete from ") + sqlName(table->name) + QStringLiteral(" where ") + sqlName(fields.at(0))
                  + QStringLiteral("=?");
    for (int i = 1; i < fields.size(); ++i)
        sql += QStringLiteral(" and ") + sqlName(fields.at(i)) + QStringLiteral("=?");
    if (!TransactionScope::admits(sql))
        return false;
    QSqlQuery q;
    if (!q.prepare(sql)) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    qCDebug(lcSql).noquote() << sql;
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec()) {
        qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << q.lastError().text();
        noteFailure(sql, q);
        return false;
    }
    return true;
}

// Stored times are local text "yyyy-MM-dd hh:mm:ss", so a period is a half-open
// range of day texts, worked out here: the date indexes serve it on both
// engines, and no engine's date functions are asked for it.
bool SqlStatements::periodRange(const QString &period, const QDate &today, QString *from, QString *to)
{
    QDate a, b;
    // Weeks start on Monday and, as strftime's %W counts them, never cross a new year.
    auto week = [&](const QDate &day) {
        const QDate monday = day.addDays(1 - day.dayOfWeek());
        const QDate yearStart(day.year(), 1, 1);
        a = qMax(monday, yearStart);
        b = qMin(monday.addDays(7), yearStart.addYears(1));
    };
    const QDate month(today.year(), today.month(), 1);
    const QDate quarter(today.year(), (today.month() - 1) / 3 * 3 + 1, 1);
    const QDate year(today.year(), 1, 1);
    if (period == QStringLiteral("今天"))
        a = today, b = today.addDays(1);
    else if (period == QStringLiteral("昨天"))
        a = today.addDays(-1), b = today;
    else if (period == QStringLiteral("本周"))
        week(today);
    else if (period == QStringLiteral("上周"))
        week(today.addDays(-7));
    else if (period == QStringLiteral("本月"))
        a = month, b = month.addMonths(1);
    else if (period == QStringLiteral("上月"))
        a = month.addMonths(-1), b = month;
    else if (period == QStringLiteral("本季"))
        a = quarter, b = quarter.addMonths(3);
    else if (period == QStringLiteral("上季"))
        a = quarter.addMonths(-3), b = quarter;
    else if (period == QStringLiteral("本年"))
        a = year, b = year.addYears(1);
    else if (period == QStringLiteral("上年"))
        a = year.addYears(-1), b = year;
    else
        return false;
    *from = a.toString(QStringLiteral("yyyy-MM-dd"));
    *to = b.toString(QStringLiteral("yyyy-MM-dd"));
    return true;
}

QString SqlStatements::periodWhere(const QString &period, const QString &c, QVariantList *values)
{
    if (period == QStringLiteral("其他"))
        return QStringLiteral(" where ");
    QString from, to;
    if (!periodRange(period, QDate::currentDate(), &from, &to))
        return QString();
    *values << from << to;
    return QStringLiteral(" where ") + c + QStringLiteral(" >= ? and ") + c + QStringLiteral(" < ?");
}
