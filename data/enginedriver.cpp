#include "enginedriver.h"
#include "postgresdriver.h"
#include "sqlitedriver.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>

const EngineDriver &EngineDriver::sqlite()
{
    static const SqliteDriver driver;
    return driver;
}

const EngineDriver &EngineDriver::postgres()
{
    static const PostgresDriver driver;
    return driver;
}

const EngineDriver &EngineDriver::of(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL") ? postgres() : sqlite();
}

const EngineDriver &EngineDriver::current()
{
    if (!QSqlDatabase::contains(QSqlDatabase::defaultConnection))
        return sqlite();
    return of(QSqlDatabase::database(QSqlDatabase::defaultConnection, false));
}

QString EngineDriver::addColumn(const QString &table, const QString &column, const QString &declared, bool notNull,
                                const QString &defaultValue, const QString &generated) const
{
    QString sql = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2%3 %4")
                      .arg(quotedName(table), isServer() ? QStringLiteral("IF NOT EXISTS ") : QString(),
                           quotedName(column), columnType(declared));
    if (!generated.isEmpty())
        return sql + QLatin1Char(' ') + generatedClause(generated);
    if (notNull)
        sql += QStringLiteral(" NOT NULL");
    if (!defaultValue.isEmpty())
        sql += QStringLiteral(" DEFAULT ") + defaultValue;
    return sql;
}

bool EngineDriver::hasColumn(const QSqlDatabase &db, const QString &table, const QString &column) const
{
    return columns(db, table).contains(column.toLower());
}

// The connection as it is: a look-up never opens a session again behind an
// open transaction (the statements after it would land on the new one alone).
static QSqlDatabase shopDatabase()
{
    return QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
}

bool EngineDriver::hasTable(const QString &name) const
{
    return hasTable(shopDatabase(), name);
}

bool EngineDriver::hasView(const QString &name) const
{
    return hasView(shopDatabase(), name);
}

bool EngineDriver::hasIndex(const QString &name) const
{
    return hasIndex(shopDatabase(), name);
}

bool EngineDriver::hasColumn(const QString &table, const QString &column) const
{
    return hasColumn(shopDatabase(), table, column);
}

namespace {
// Index just past the literal that starts at `i` ('…' with '' inside).
int afterLiteral(const QString &s, int i)
{
    for (int j = i + 1; j < s.size(); ++j) {
        if (s.at(j) != QLatin1Char('\''))
            continue;
        if (j + 1 < s.size() && s.at(j + 1) == QLatin1Char('\'')) {
            ++j;
            continue;
        }
        return j + 1;
    }
    return s.size();
}
} // namespace

bool EngineDriver::isCreateTable(const QString &sql)
{
    TableParts parts;
    return splitCreateTable(sql, &parts);
}

bool EngineDriver::splitCreateViewIfMissing(const QString &sql, QString *name, bool *temp, QString *select)
{
    static const QRegularExpression head(
        QStringLiteral("^\\s*CREATE\\s+(TEMP\\s+|TEMPORARY\\s+)?VIEW\\s+IF\\s+NOT\\s+EXISTS\\s+(\\w+)\\s+AS\\s+"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(sql);
    if (!m.hasMatch())
        return false;
    *name = m.captured(2);
    *temp = !m.captured(1).isEmpty();
    *select = sql.mid(m.capturedEnd());
    return true;
}

bool EngineDriver::splitCreateTable(const QString &sql, TableParts *parts)
{
    static const QRegularExpression head(
        QStringLiteral("^\\s*CREATE\\s+(?:TEMP\\s+|TEMPORARY\\s+)?TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?\"?(\\w+)\"?\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = head.match(sql);
    if (!m.hasMatch())
        return false;
    parts->name = m.captured(1);
    parts->head = sql.left(m.capturedStart(1)).trimmed();
    if (parts->head.endsWith(QLatin1Char('"')))
        parts->head.chop(1);
    parts->items.clear();
    parts->itemStarts.clear();
    int depth = 0;
    int start = m.capturedEnd();
    for (int i = start; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            i = afterLiteral(sql, i) - 1;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            parts->items << sql.mid(start, i - start);
            parts->itemStarts << start;
            start = i + 1;
        } else if (c == QLatin1Char(')') && depth-- == 0) {
            parts->items << sql.mid(start, i - start);
            parts->itemStarts << start;
            parts->tail = sql.mid(i + 1).trimmed();
            return true;
        }
    }
    return false;
}

bool EngineDriver::splitColumn(const QString &item, QString *name, QString *declared, QString *rest, int *typeStart)
{
    static const QRegularExpression constraint(QStringLiteral("^\\s*(PRIMARY|UNIQUE|CHECK|FOREIGN|CONSTRAINT)\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression column(QStringLiteral("^\\s*\"?(\\w+)\"?(?:\\s+(\\w+))?"));
    if (constraint.match(item).hasMatch())
        return false;
    const auto m = column.match(item);
    if (!m.hasMatch())
        return false;
    *name = m.captured(1);
    *declared = m.captured(2);
    *rest = item.mid(m.capturedEnd()).trimmed();
    if (typeStart)
        *typeStart = m.capturedStart(2);
    return true;
}

QRegularExpressionMatch EngineDriver::generatedIn(const QString &rest)
{
    static const QRegularExpression clause(
        QStringLiteral("\\bGENERATED\\s+ALWAYS\\s+AS\\s*\\((.*)\\)(?:\\s*(?:VIRTUAL|STORED))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return clause.match(rest);
}

QMap<QString, QString> EngineDriver::generatedColumns(const QString &createSql)
{
    QMap<QString, QString> out;
    TableParts parts;
    if (!splitCreateTable(createSql, &parts))
        return out;
    for (const QString &item : parts.items) {
        QString name, declared, rest;
        if (!splitColumn(item, &name, &declared, &rest))
            continue;
        const auto m = generatedIn(rest);
        if (m.hasMatch())
            out.insert(name.toLower(), m.captured(1).trimmed());
    }
    return out;
}

QStringList EngineDriver::triggerStatements(const QString &body)
{
    QStringList out;
    int start = 0;
    for (int i = 0; i <= body.size(); ++i) {
        if (i < body.size() && body.at(i) == QLatin1Char('\'')) {
            i = afterLiteral(body, i) - 1;
            continue;
        }
        if (i == body.size() || body.at(i) == QLatin1Char(';')) {
            const QString statement = body.mid(start, i - start).trimmed();
            if (!statement.isEmpty())
                out << statement;
            start = i + 1;
        }
    }
    return out;
}

QString EngineDriver::errorText(const QSqlError &e)
{
    const QString text = e.text();
    const QString code = e.nativeErrorCode();
    // SQLSTATEs are five characters; SQLite's native codes are shorter numbers.
    if (code.size() == 5)
        return text + QStringLiteral(" [SQLSTATE ") + code + QLatin1Char(']');
    return text;
}

bool EngineDriver::isRetryable(const QString &t)
{
    // 40001 serialisation failure, 40P01 deadlock, 23505 a key another desk
    // took in the same instant (a document ID).
    return t.contains(QLatin1String("[SQLSTATE 40001]")) || t.contains(QLatin1String("[SQLSTATE 40P01]"))
           || t.contains(QLatin1String("[SQLSTATE 23505]")) || t.contains(QLatin1String("could not serialize access"))
           || t.contains(QLatin1String("deadlock detected"));
}

bool EngineDriver::isConnectionLost(const QString &t)
{
    const QString l = t.toLower();
    return l.contains(QLatin1String("[sqlstate 08")) || l.contains(QLatin1String("[sqlstate 57p0"))
           || l.contains(QLatin1String("server closed the connection"))
           || l.contains(QLatin1String("no connection to the server")) || l.contains(QLatin1String("connection to server"))
           || l.contains(QLatin1String("terminating connection"));
}
