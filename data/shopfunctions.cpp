#include "shopfunctions.h"

#include <QByteArray>
#include <QDateTime>
#include <sqlite3.h>

namespace ShopFunctions {

QDate dayOf(const QString &text, bool *ok)
{
    *ok = false;
    const QString t = text.trimmed();
    // 'yyyy-MM-dd', alone or followed by a time: what the desks write.
    if (t.size() < 10 || t.at(4) != QLatin1Char('-') || t.at(7) != QLatin1Char('-')
        || (t.size() > 10 && t.at(10) != QLatin1Char(' ') && t.at(10) != QLatin1Char('T')))
        return {};
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!t.at(i).isDigit() || t.at(i).unicode() > '9')
            return {};
    const int y = t.leftRef(4).toInt();
    const int m = t.midRef(5, 2).toInt();
    const int d = t.midRef(8, 2).toInt();
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
        return {};
    *ok = true;
    return QDate(y, m, 1).addDays(d - 1);
}

namespace {

const QDate kEpoch(1970, 1, 1);

void today(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    const qint64 days = argc > 0 ? sqlite3_value_int64(argv[0]) : 0;
    const QByteArray text = QDate::currentDate().addDays(days).toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
    sqlite3_result_text(ctx, text.constData(), text.size(), SQLITE_TRANSIENT);
}

void dayNumber(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const unsigned char *raw = sqlite3_value_text(argv[0]);
    if (!raw) {
        sqlite3_result_null(ctx);
        return;
    }
    bool ok = false;
    const QDate d = dayOf(QString::fromUtf8(reinterpret_cast<const char *>(raw)), &ok);
    if (!ok)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, kEpoch.daysTo(d));
}

void wholeNumber(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0])); // CAST(x AS INTEGER)'s reading
}

int addFunctions(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    // mochen_today reads the clock: not deterministic, so never folded into an index.
    int rc = sqlite3_create_function_v2(db, "mochen_today", 1, SQLITE_UTF8, nullptr, today, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "mochen_day_number", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                        dayNumber, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "mochen_int", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, wholeNumber,
                                        nullptr, nullptr, nullptr);
    return rc;
}

} // namespace

bool registerWithSqlite()
{
    // Every connection opened after this, whoever opens it (the desk, the
    // start-up checks, a backup), carries the functions.
    static const bool done = sqlite3_auto_extension(reinterpret_cast<void (*)(void)>(addFunctions)) == SQLITE_OK;
    return done;
}

// Loaded with the store: in place before the first connection opens.
static const bool kRegistered = registerWithSqlite();

QStringList serverDefinitions()
{
    return {
        QStringLiteral("CREATE OR REPLACE FUNCTION mochen_today(n integer) RETURNS text LANGUAGE sql STABLE AS $mochen$ "
                       "select to_char(localtimestamp + make_interval(days => n), 'YYYY-MM-DD') $mochen$"),
        // mochen_timestamp (created beside it) is NULL for a text that is no date
        // and rolls a day past the month's end over, as SQLite does.
        QStringLiteral("CREATE OR REPLACE FUNCTION mochen_day_number(t text) RETURNS integer LANGUAGE sql IMMUTABLE AS $mochen$ "
                       "select cast(mochen_timestamp(substr(trim(t),1,10)) as date) - date '1970-01-01' $mochen$"),
        // A number past bigint's range reads as its nearest end, as SQLite's
        // CAST does: a card code of twenty digits is a member like another.
        QStringLiteral("CREATE OR REPLACE FUNCTION mochen_int(t text) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS "
                       "$mochen$ select cast(greatest(least(cast(coalesce(substring(t from '^\\s*[-+]?[0-9]+'),'0') as numeric), "
                       "9223372036854775807), -9223372036854775808) as bigint) $mochen$"),
        QStringLiteral("CREATE OR REPLACE FUNCTION mochen_int(x numeric) RETURNS bigint LANGUAGE sql IMMUTABLE STRICT AS "
                       "$mochen$ select cast(trunc(x) as bigint) $mochen$"),
        QStringLiteral("CREATE OR REPLACE FUNCTION round(x double precision, n integer) RETURNS numeric LANGUAGE sql "
                       "IMMUTABLE AS $mochen$ select round(cast(x as numeric), n) $mochen$"),
        // SQLite's total(): a sum that is 0, not NULL, over no rows.
        QStringLiteral("CREATE OR REPLACE AGGREGATE total(numeric) (sfunc = numeric_add, stype = numeric, initcond = '0')"),
        QStringLiteral("CREATE OR REPLACE AGGREGATE total(double precision) (sfunc = float8pl, stype = double precision, "
                       "initcond = '0')"),
        QStringLiteral("CREATE OR REPLACE FUNCTION mochen_concat_step(acc text, v text, sep text) RETURNS text LANGUAGE sql "
                       "IMMUTABLE AS $mochen$ select case when v is null then acc when acc is null then v "
                       "else acc || sep || v end $mochen$"),
        QStringLiteral("CREATE OR REPLACE FUNCTION mochen_concat_step(acc text, v text) RETURNS text LANGUAGE sql "
                       "IMMUTABLE AS $mochen$ select mochen_concat_step(acc, v, ',') $mochen$"),
        QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(text) (sfunc = mochen_concat_step, stype = text)"),
        QStringLiteral("CREATE OR REPLACE AGGREGATE group_concat(text, text) (sfunc = mochen_concat_step, stype = text)"),
    };
}

} // namespace ShopFunctions
