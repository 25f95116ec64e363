#include "sqldialect.h"
#include "enginedriver.h"
#include "postgresdriver.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QStringList>

namespace SqlDialect {

bool isPostgres(const QSqlDatabase &db)
{
    return db.driverName() == QLatin1String("QPSQL");
}

Engine engine()
{
    if (!QSqlDatabase::contains(QSqlDatabase::defaultConnection))
        return Engine::Sqlite;
    return isPostgres(QSqlDatabase::database(QSqlDatabase::defaultConnection, false)) ? Engine::Postgres
                                                                                       : Engine::Sqlite;
}

bool isPostgres()
{
    return engine() == Engine::Postgres;
}

QString translate(const QString &sql)
{
    return isPostgres() ? toPostgres(sql) : sql;
}

QString beginWrite()
{
    return EngineDriver::current().beginWrite();
}

QString errorText(const QSqlError &e)
{
    return EngineDriver::errorText(e);
}

bool isRetryableText(const QString &t)
{
    return EngineDriver::isRetryable(t);
}

bool isRetryable(const QSqlError &e)
{
    return EngineDriver::isRetryable(e);
}

bool isConnectionLostText(const QString &t)
{
    return EngineDriver::isConnectionLost(t);
}

bool isWorkingTableMissingText(const QString &t)
{
    return EngineDriver::current().isWorkingTableMissing(t);
}

bool isConnectionLost(const QSqlError &e)
{
    return EngineDriver::isConnectionLost(e);
}

// ---- SQLite → PostgreSQL ---------------------------------------------------------

namespace {

// String literals are set aside while the statement is rewritten, so that a
// member called 'user' or a remark reading 'ifnull(' is never touched.
struct Masked
{
    QString code;          // literals replaced by \x01N\x02
    QStringList literals;  // with their quotes
};

Masked mask(const QString &sql)
{
    Masked m;
    m.code.reserve(sql.size());
    int i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        // Comments go: an apostrophe in one is no literal.
        if (c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('-')) {
            const int end = sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? sql.size() : end;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? sql.size() : end + 2;
            m.code += QLatin1Char(' ');
            continue;
        }
        if (c == QLatin1Char('\'')) {
            int j = i + 1;
            while (j < sql.size()) {
                if (sql.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < sql.size() && sql.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            m.code += QChar(1) + QString::number(m.literals.size()) + QChar(2);
            m.literals << sql.mid(i, j - i + 1);
            i = j + 1;
        } else {
            m.code += c;
            ++i;
        }
    }
    return m;
}

QString unmask(QString code, const QStringList &literals)
{
    static const QRegularExpression re(QStringLiteral("\\x01(\\d+)\\x02"));
    QString out;
    int last = 0;
    auto it = re.globalMatch(code);
    while (it.hasNext()) {
        const auto m = it.next();
        out += code.mid(last, m.capturedStart() - last);
        out += literals.value(m.captured(1).toInt());
        last = m.capturedEnd();
    }
    out += code.mid(last);
    return out;
}

// Index of the parenthesis closing the one at `open`, or -1.
int closing(const QString &s, int open)
{
    int depth = 0;
    for (int i = open; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('('))
            ++depth;
        else if (s.at(i) == QLatin1Char(')') && --depth == 0)
            return i;
    }
    return -1;
}

// A table that has the row number the server's tables carry ("rowid"): every
// table of the shop does, whichever process created it; a view or a scratch
// table of a statement does not.
// Asked of the connection as it is, never opened again here: a statement
// translated inside a transaction whose session ended must fail with it, not
// run by itself on a new session.
bool numbered(const QString &table)
{
    return !EngineDriver::current().isServer()
           || PostgresDriver::hasRowNumber(QSqlDatabase::database(QSqlDatabase::defaultConnection, false), table);
}

// A read that sums or counts is one row (or one per group): no order to give it.
bool isAggregate(const QString &expr)
{
    static const QRegularExpression agg(QStringLiteral("\\b(count|sum|min|max|avg|total|group_concat|string_agg)\\s*\\("),
                                        QRegularExpression::CaseInsensitiveOption);
    return agg.match(expr).hasMatch();
}

// Position of the keyword at depth 0 of code[from, to), or -1.
int keywordAt(const QString &code, int from, int to, const QRegularExpression &re, int *length)
{
    int depth = 0;
    for (int i = from; i < to; ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')')) {
            if (--depth < 0)
                return -1;
        } else if (depth == 0 && (i == 0 || !(code.at(i - 1).isLetterOrNumber() || code.at(i - 1) == QLatin1Char('_')))) {
            const auto m = re.match(code, i, QRegularExpression::NormalMatch, QRegularExpression::AnchoredMatchOption);
            if (m.hasMatch()) {
                *length = m.capturedLength();
                return i;
            }
        }
    }
    return -1;
}

// SQLite reads a table in the order its rows came in; the server in the order
// they lie on disk, which an update changes (a list of operators or items
// would reshuffle after each edit). A plain read of one table that says no
// order gets the order of its row numbers.
QString orderPlainReads(QString code)
{
    static const QRegularExpression plain(
        QStringLiteral("^\\s*SELECT\\s+(?!DISTINCT\\b)(.*?)\\bFROM\\s+(\"?\\w+\"?)(?:\\s+(?:AS\\s+)?(?!WHERE\\b|LIMIT\\b)(\\w+))?"
                       "\\s*($|WHERE\\b|LIMIT\\b)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression shaped(QStringLiteral("(ORDER\\s+BY|GROUP\\s+BY|UNION|EXCEPT|INTERSECT|JOIN|FOR\\s+UPDATE)\\b|,"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limit(QStringLiteral("LIMIT\\b"), QRegularExpression::CaseInsensitiveOption);
    const auto m = plain.match(code);
    if (!m.hasMatch() || !numbered(m.captured(2).remove(QLatin1Char('"')).toLower())
        || isAggregate(m.captured(1)) || m.captured(1).count(QLatin1Char('(')) != m.captured(1).count(QLatin1Char(')')))
        return code;
    int end = code.size();
    while (end > 0 && (code.at(end - 1).isSpace() || code.at(end - 1) == QLatin1Char(';')))
        --end;
    int unused = 0;
    const int fromAt = m.capturedStart(2);
    if (keywordAt(code, fromAt, end, shaped, &unused) >= 0)
        return code;
    int insertAt = keywordAt(code, fromAt, end, limit, &unused);
    if (insertAt < 0)
        insertAt = end;
    const QString alias = m.captured(3).isEmpty() ? m.captured(2) : m.captured(3);
    code.insert(insertAt, QStringLiteral(" ORDER BY %1.rowid ").arg(alias));
    return code;
}

} // namespace

QString toPostgres(const QString &sql)
{
    Masked m = mask(sql);
    QString code = m.code;

    // "user" is a reserved word on the server: the table and the columns of
    // that name are quoted.
    static const QRegularExpression user(QStringLiteral("(?<![\"\\w])user(?![\"\\w])"),
                                         QRegularExpression::CaseInsensitiveOption);
    code.replace(user, QStringLiteral("\"user\""));

    code = orderPlainReads(code);

    // The server wants a name for every subquery in FROM.
    static const QRegularExpression fromSub(QStringLiteral("\\b(FROM|JOIN)\\s*\\(\\s*SELECT\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression unnamed(QStringLiteral("^\\s*($|\\)|,|;|(WHERE|GROUP|ORDER|LIMIT|UNION|JOIN|LEFT|INNER|CROSS|ON|HAVING)\\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (int pos = 0, n = 0;;) {
        const auto f = fromSub.match(code, pos);
        if (!f.hasMatch())
            break;
        const int open = code.indexOf(QLatin1Char('('), f.capturedStart());
        const int close = closing(code, open);
        if (close < 0)
            break;
        if (unnamed.match(code.mid(close + 1, 40)).hasMatch())
            code.insert(close + 1, QStringLiteral(" AS sub%1").arg(++n));
        pos = open + 1;
    }


    static const QRegularExpression orIgnore(QStringLiteral("^\\s*INSERT\\s+OR\\s+IGNORE\\s+INTO\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (orIgnore.match(code).hasMatch()) {
        code.replace(orIgnore, QStringLiteral("INSERT INTO"));
        code += QStringLiteral(" ON CONFLICT DO NOTHING");
    }
    return unmask(code, m.literals);
}

} // namespace SqlDialect
