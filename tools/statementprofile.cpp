#include "statementprofile.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <QVector>

#include <algorithm>
#include <sqlite3.h>

namespace {

struct Sum
{
    qint64 ns = 0;
    qint64 runs = 0;
};

QHash<QByteArray, Sum> &sums()
{
    static QHash<QByteArray, Sum> s;
    return s;
}

int traced(unsigned type, void *, void *p, void *x)
{
    if (type != SQLITE_TRACE_PROFILE)
        return 0;
    const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(p));
    Sum &s = sums()[QByteArray(sql ? sql : "?")];
    s.ns += *static_cast<const sqlite3_int64 *>(x);
    ++s.runs;
    return 0;
}

} // namespace

namespace StatementProfile {

bool start()
{
    QSqlDatabase db = QSqlDatabase::database();
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3 *handle = *static_cast<sqlite3 *const *>(h.data());
    return handle && sqlite3_trace_v2(handle, SQLITE_TRACE_PROFILE, traced, nullptr) == SQLITE_OK;
}

void print(std::FILE *out, int top)
{
    QVector<QPair<QByteArray, Sum>> all;
    qint64 total = 0, runs = 0;
    for (auto it = sums().cbegin(); it != sums().cend(); ++it) {
        all.append({it.key(), it.value()});
        total += it.value().ns;
        runs += it.value().runs;
    }
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.second.ns > b.second.ns; });
    std::fprintf(out, "statements: %lld runs, %.1f s in SQLite\n", static_cast<long long>(runs), total / 1e9);
    for (int i = 0; i < all.size() && i < top; ++i) {
        const Sum &s = all.at(i).second;
        std::fprintf(out, "%8.2f s %9lld runs %7.1f us  %.150s\n", s.ns / 1e9, static_cast<long long>(s.runs),
                     s.ns / 1e3 / qMax<qint64>(1, s.runs), all.at(i).first.simplified().constData());
    }
}

} // namespace StatementProfile
