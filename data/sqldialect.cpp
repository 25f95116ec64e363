#include "sqldialect.h"
#include "shopfunctions.h"

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
    return isPostgres() ? QStringLiteral("BEGIN ISOLATION LEVEL SERIALIZABLE") : QStringLiteral("BEGIN IMMEDIATE");
}

QString errorText(const QSqlError &e)
{
    const QString text = e.text();
    const QString code = e.nativeErrorCode();
    // SQLSTATEs are five characters; SQLite's native codes are shorter numbers.
    if (code.size() == 5)
        return text + QStringLiteral(" [SQLSTATE ") + code + QLatin1Char(']');
    return text;
}

bool isRetryableText(const QString &t)
{
    // 40001 serialisation failure, 40P01 deadlock, 23505 a key another desk
    // took in the same instant (a document ID).
    return t.contains(QLatin1String("[SQLSTATE 40001]")) || t.contains(QLatin1String("[SQLSTATE 40P01]"))
           || t.contains(QLatin1String("[SQLSTATE 23505]"))
           || t.contains(QLatin1String("could not serialize access"))
           || t.contains(QLatin1String("deadlock detected"));
}

bool isRetryable(const QSqlError &e)
{
    return isRetryableText(errorText(e));
}

bool isConnectionLostText(const QString &t)
{
    const QString l = t.toLower();
    return l.contains(QLatin1String("[sqlstate 08")) || l.contains(QLatin1String("[sqlstate 57p0"))
           || l.contains(QLatin1String("server closed the connection")) || l.contains(QLatin1String("no connection to the server"))
           || l.contains(QLatin1String("connection to server")) || l.contains(QLatin1String("terminating connection"));
}

bool isWorkingTableMissingText(const QString &t)
{
    // A statement prepared on this desk's session is gone as well when the
    // session was replaced under it.
    static const QRegularExpression missing(
        QStringLiteral("relation \"temp\\w*\" does not exist|prepared statement \"\\w+\" does not exist"));
    return isPostgres() && missing.match(t).hasMatch();
}

bool isConnectionLost(const QSqlError &e)
{
    return isConnectionLostText(errorText(e));
}

QStringList serverFunctions()
{
    // SQLite reads a date it cannot use as NULL and rolls a day past the month's
    // end over ('2027-02-29' is 1 March); the server's cast would fail the whole
    // statement instead, so one member's odd birthday would empty a list.
    return QStringList{QStringLiteral(
        "CREATE OR REPLACE FUNCTION mochen_timestamp(t text) RETURNS timestamp LANGUAGE sql IMMUTABLE AS $mochen$ "
        "select case when t ~ '^\\s*[0-9]{4}-[0-9]{2}-[0-9]{2}([ T][0-9]{2}:[0-9]{2}(:[0-9]{2}([.][0-9]+)?)?)?\\s*$' "
        "and substr(trim(t),1,4) > '0000' and substr(trim(t),6,2) between '01' and '12' "
        "and substr(trim(t),9,2) between '01' and '31' "
        "then make_date(cast(substr(trim(t),1,4) as integer), cast(substr(trim(t),6,2) as integer), 1) "
        "+ make_interval(days => cast(substr(trim(t),9,2) as integer) - 1) "
        "+ cast(coalesce(nullif(substr(trim(t),12),''),'0') as interval) end $mochen$")}
           + ShopFunctions::serverDefinitions();
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

// Money columns hold cents exactly; rates and discounts keep four places.
QString columnType(const QString &column)
{
    const QString c = column.toLower();
    if (c.contains(QLatin1String("zekou")) || c.contains(QLatin1String("bili")))
        return QStringLiteral("numeric(14,4)");
    return QStringLiteral("numeric(14,2)");
}

// Tables this process created with a row number on the server.
QSet<QString> &numberedTables()
{
    static QSet<QString> tables;
    return tables;
}

QString rewriteCreate(QString code)
{
    static const QRegularExpression autoinc(QStringLiteral("\\bINTEGER\\s+PRIMARY\\s+KEY\\s+AUTOINCREMENT\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    code.replace(autoinc, QStringLiteral("INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY"));
    static const QRegularExpression real(QStringLiteral("(\\w+)\\s+REAL\\b"), QRegularExpression::CaseInsensitiveOption);
    QString out;
    int last = 0;
    auto it = real.globalMatch(code);
    while (it.hasNext()) {
        const auto m = it.next();
        out += code.mid(last, m.capturedStart() - last);
        out += m.captured(1) + QLatin1Char(' ') + columnType(m.captured(1));
        last = m.capturedEnd();
    }
    out += code.mid(last);
    // The server has no rowid. The shop orders lines by it ("in the order they
    // were rung up") and hands it back as a number, so every table gets a real
    // one: a counter that new rows draw from, last so that a positional INSERT
    // still fills the shop's own columns.
    static const QRegularExpression table(
        QStringLiteral("^\\s*CREATE\\s+(?:TEMP\\s+|TEMPORARY\\s+)?TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?\\w+\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression hasRowid(QStringLiteral("(^|[(,])\\s*rowid\\b"), QRegularExpression::CaseInsensitiveOption);
    const auto t = table.match(out);
    if (t.hasMatch()) {
        static const QRegularExpression name(QStringLiteral("(\\w+)\\s*\\($"));
        numberedTables().insert(name.match(t.captured(0)).captured(1).toLower());
        const int open = t.capturedEnd() - 1;
        const int close = closing(out, open);
        if (close > open && !hasRowid.match(out.mid(open, close - open)).hasMatch())
            out.insert(close, QStringLiteral(", rowid bigserial"));
    }
    static const QRegularExpression view(QStringLiteral("\\bCREATE\\s+(TEMP\\s+|TEMPORARY\\s+)?VIEW\\s+IF\\s+NOT\\s+EXISTS\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    out.replace(view, QStringLiteral("CREATE OR REPLACE \\1VIEW"));
    return out;
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
    if (!m.hasMatch() || !numberedTables().contains(m.captured(2).remove(QLatin1Char('"')).toLower())
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

// SQLite's trigger (statements between BEGIN and END) becomes a trigger
// function on the server, each statement of its body translated.
bool rewriteTrigger(const Masked &m, QString *out)
{
    static const QRegularExpression trigger(
        QStringLiteral("^\\s*CREATE\\s+TRIGGER\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)\\s+(.*?)\\s+ON\\s+(\\w+)"
                       "\\s+(?:FOR\\s+EACH\\s+ROW\\s+)?(?:WHEN\\s+(.*?)\\s+)?BEGIN\\s+(.*?);?\\s*END\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto t = trigger.match(m.code);
    if (!t.hasMatch())
        return false;
    const QString name = t.captured(1);
    const QString table = t.captured(3);
    QStringList body;
    static const QRegularExpression raise(
        QStringLiteral("^SELECT\\s+RAISE\\s*\\(\\s*(?:ABORT|FAIL|ROLLBACK)\\s*,\\s*(\\x01\\d+\\x02)\\s*\\)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString &statement : t.captured(5).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString st = statement.trimmed();
        if (st.isEmpty())
            continue;
        const auto r = raise.match(st);
        if (r.hasMatch())
            body << QStringLiteral("RAISE EXCEPTION '%', ") + unmask(r.captured(1), m.literals) + QLatin1Char(';');
        else
            body << toPostgres(unmask(st, m.literals)) + QLatin1Char(';');
    }
    QString code = body.join(QLatin1Char(' '));
    if (!t.captured(4).isEmpty())
        code = QStringLiteral("IF %1 THEN %2 END IF;").arg(toPostgres(unmask(t.captured(4), m.literals)), code);
    *out = QStringLiteral("CREATE OR REPLACE FUNCTION %1_fn() RETURNS trigger LANGUAGE plpgsql AS $mochen$ "
                          "BEGIN %2 IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $mochen$; "
                          "DROP TRIGGER IF EXISTS %1 ON %3; "
                          "CREATE TRIGGER %1 %4 ON %3 FOR EACH ROW EXECUTE FUNCTION %1_fn()")
               .arg(name, code, table, unmask(t.captured(2), m.literals));
    return true;
}

} // namespace

QString columnDeclaration(const QString &name, const QString &sqliteType)
{
    if (sqliteType.contains(QLatin1String("REAL"), Qt::CaseInsensitive))
        return name + QLatin1Char(' ') + columnType(name);
    return name + QLatin1Char(' ') + (sqliteType.isEmpty() ? QStringLiteral("TEXT") : sqliteType);
}

QString toPostgres(const QString &sql)
{
    Masked m = mask(sql);
    QString translated;
    if (rewriteTrigger(m, &translated))
        return translated;
    QString code = m.code;

    // A trigger is its function on the server; dropping the function drops the trigger.
    static const QRegularExpression dropTrigger(QStringLiteral("^\\s*DROP\\s+TRIGGER\\s+(?:IF\\s+EXISTS\\s+)?(\\w+)\\s*;?\\s*$"),
                                                QRegularExpression::CaseInsensitiveOption);
    const auto dt = dropTrigger.match(code);
    if (dt.hasMatch())
        return QStringLiteral("DROP FUNCTION IF EXISTS %1_fn() CASCADE").arg(dt.captured(1));

    static const QRegularExpression create(QStringLiteral("^\\s*CREATE\\b"), QRegularExpression::CaseInsensitiveOption);
    if (create.match(code).hasMatch())
        code = rewriteCreate(code);


    // "user" is a reserved word on the server: the table and the columns of
    // that name are quoted.
    static const QRegularExpression user(QStringLiteral("(?<![\"\\w])user(?![\"\\w])"),
                                         QRegularExpression::CaseInsensitiveOption);
    code.replace(user, QStringLiteral("\"user\""));

    // Every table carries a column "rowid" on the server (see rewriteCreate).
    static const QRegularExpression rowid(QStringLiteral("\\b(_rowid_|oid)\\b"), QRegularExpression::CaseInsensitiveOption);
    code.replace(rowid, QStringLiteral("rowid"));

    // SQLite's catalogue, as far as the shop asks it: which tables, views and
    // indexes this connection sees by name.
    static const QRegularExpression catalogue(QStringLiteral("\\bsqlite_(master|schema|temp_master|temp_schema)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    for (auto c = catalogue.match(code); c.hasMatch();) {
        const bool temp = c.captured(1).startsWith(QLatin1String("temp"), Qt::CaseInsensitive);
        const QString rows =
                     QStringLiteral("(select cast(c.relname as text) as name, cast(c.relname as text) as tbl_name, "
                                    "case c.relkind when 'r' then 'table' when 'v' then 'view' when 'i' then 'index' "
                                    "else 'other' end as type, cast(null as text) as sql from pg_class c "
                                    "where pg_table_is_visible(c.oid)%1) as %2")
                         .arg(temp ? QStringLiteral(" and c.relpersistence='t'") : QString(), c.captured(0));
        code.replace(c.capturedStart(), c.capturedLength(), rows);
        c = catalogue.match(code, c.capturedStart() + rows.size());
    }


    static const QRegularExpression tableInfo(QStringLiteral("\\bpragma_table_info\\s*\\(\\s*(\\x01\\d+\\x02)\\s*\\)"),
                                              QRegularExpression::CaseInsensitiveOption);
    code.replace(tableInfo, QStringLiteral("(select lower(column_name::text) as name from information_schema.columns "
                                           "where table_schema = current_schema() and table_name = lower(\\1)) as pragma_table_info"));

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
