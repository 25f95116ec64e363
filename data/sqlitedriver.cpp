#include "sqlitedriver.h"
#include "dbsetconfig.h"
#include "sqltext.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

QString SqliteDriver::columnType(const QString &declared) const
{
    // What the column holds says nothing to SQLite but its affinity: money
    // stays REAL as in every file written so far.
    if (declared.compare(QLatin1String("MONEY"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("REAL");
    return declared;
}

QString SqliteDriver::createTable(const QString &declaredSql) const
{
    TableParts parts;
    if (!splitCreateTable(declaredSql, &parts))
        return declaredSql;
    // Only the declared types are replaced, in place: the rest of the text is
    // what SQLite keeps in its catalogue and what earlier versions wrote.
    QString sql = declaredSql;
    for (int i = parts.items.size() - 1; i >= 0; --i) {
        QString name, declared, rest;
        int typeStart = -1;
        if (!splitColumn(parts.items.at(i), &name, &declared, &rest, &typeStart) || declared.isEmpty())
            continue;
        const auto generated = generatedIn(rest);
        if (generated.hasMatch()) {
            const int clauseAt = parts.itemStarts.at(i) + parts.items.at(i).lastIndexOf(generated.captured(0));
            sql.replace(clauseAt, generated.capturedLength(0), generatedClause(generated.captured(1)));
        }
        const QString type = columnType(declared);
        if (type != declared)
            sql.replace(parts.itemStarts.at(i) + typeStart, declared.size(), type);
    }
    return sql;
}

QString SqliteDriver::generatedClause(const QString &expression) const
{
    // The file's catalogue names no function of the program's: the sqlite3
    // command line (the owner's check, scripts/check-db.sh) must still write
    // members and check the file. mochen_int is CAST(… AS INTEGER) here.
    static const QRegularExpression wholeNumber(QStringLiteral("\\bmochen_int\\s*\\(\\s*(\"?\\w+\"?)\\s*\\)"),
                                                QRegularExpression::CaseInsensitiveOption);
    QString file = expression;
    file.replace(wholeNumber, QStringLiteral("CAST(\\1 AS INTEGER)"));
    return QStringLiteral("GENERATED ALWAYS AS (%1) VIRTUAL").arg(file);
}

QStringList SqliteDriver::createTrigger(const CreateTriggerinfo &t) const
{
    QString sql = QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 %2 ON %3").arg(t.trigger, t.event, t.table);
    if (!t.when.trimmed().isEmpty())
        sql += QStringLiteral(" WHEN ") + t.when.trimmed();
    sql += QStringLiteral(" BEGIN");
    if (!t.refusal.isEmpty())
        sql += QStringLiteral("\n  SELECT RAISE(ABORT, %1);").arg(sqlLiteral(t.refusal));
    for (const QString &statement : triggerStatements(t.body))
        sql += QStringLiteral("\n  ") + statement + QLatin1Char(';');
    sql += QStringLiteral(" END");
    return {sql};
}

QString SqliteDriver::dropTrigger(const QString &name, const QString &) const
{
    return QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(name);
}

bool SqliteDriver::inCatalogue(const QSqlDatabase &db, const QString &type, const QString &name) const
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select 1 from sqlite_master where type=? and lower(name)=lower(?) "
                             "union all select 1 from sqlite_temp_master where type=? and lower(name)=lower(?)"));
    q.addBindValue(type);
    q.addBindValue(name);
    q.addBindValue(type);
    q.addBindValue(name);
    return q.exec() && q.next();
}

bool SqliteDriver::hasTable(const QSqlDatabase &db, const QString &name) const
{
    return inCatalogue(db, QStringLiteral("table"), name);
}

bool SqliteDriver::hasView(const QSqlDatabase &db, const QString &name) const
{
    return inCatalogue(db, QStringLiteral("view"), name);
}

bool SqliteDriver::hasIndex(const QSqlDatabase &db, const QString &name) const
{
    return inCatalogue(db, QStringLiteral("index"), name);
}

bool SqliteDriver::hasTrigger(const QSqlDatabase &db, const QString &name) const
{
    return inCatalogue(db, QStringLiteral("trigger"), name);
}

QStringList SqliteDriver::columns(const QSqlDatabase &db, const QString &table) const
{
    // The connection's own temporary table first, as SQLite resolves a name.
    QStringList out;
    QSqlQuery q(db);
    // Computed columns too (table_info leaves them out), as on the server.
    q.prepare(QStringLiteral("select name from pragma_table_xinfo(?) where hidden<>1 order by cid"));
    q.addBindValue(table);
    if (q.exec())
        while (q.next())
            out << q.value(0).toString().toLower();
    return out;
}
