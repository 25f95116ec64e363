#include "preparedqueries.h"
#include "sqldialect.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

namespace {
// Enough for every fixed statement of the store and the lists, few enough that
// spliced texts (each one used once) cannot pile up.
constexpr int kKept = 400;

struct Entry
{
    QSqlQuery query;
    quint64 lastUse = 0;
};

struct Cache
{
    QHash<QString, Entry> entries;
    const QSqlDriver *driver = nullptr; // the connection the entries belong to
    const void *handle = nullptr;        // and its native handle (sqlite3*, PGconn*)
    quint64 clock = 0;
    qint64 reused = 0;
    quint64 generation = 1;
};

void dropAtExit();

Cache &cache()
{
    static Cache c;
    static const bool registered = (qAddPostRoutine(dropAtExit), true);
    Q_UNUSED(registered)
    return c;
}

// Before the connections go: a kept server statement deallocates itself on its
// connection when it is destroyed.
void dropAtExit()
{
    PreparedQueries::forgetAll();
}

// The kept statements belong to the connection as it is open now; when the
// connection was closed and opened again (or replaced) they are dropped.
void checkConnection(const QSqlDatabase &db)
{
    Cache &c = cache();
    // Both drivers hand their native handle over as a pointer.
    const QVariant native = db.driver() ? db.driver()->handle() : QVariant();
    const void *handle = native.isValid() ? *static_cast<void *const *>(native.constData()) : nullptr;
    if (c.driver != db.driver() || c.handle != handle) {
        c.entries.clear();
        ++c.generation;
        c.driver = db.driver();
        c.handle = handle;
    }
}

void dropOldest()
{
    Cache &c = cache();
    auto oldest = c.entries.end();
    for (auto it = c.entries.begin(); it != c.entries.end(); ++it) {
        if (!it->query.isActive() && (oldest == c.entries.end() || it->lastUse < oldest->lastUse))
            oldest = it;
    }
    if (oldest != c.entries.end())
        c.entries.erase(oldest);
}
} // namespace

bool PreparedQueries::prepare(QSqlQuery &q, const QString &sql)
{
    QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    if (!db.isOpen()) {
        q = QSqlQuery(db);
        q.setForwardOnly(true);
        return q.prepare(SqlDialect::translate(sql));
    }
    checkConnection(db);
    Cache &c = cache();
    auto it = c.entries.find(sql);
    if (it != c.entries.end()) {
        if (it->query.isActive()) {
            // Someone is still reading it: a statement of one's own this time.
            q = QSqlQuery(db);
            q.setForwardOnly(true);
            return q.prepare(SqlDialect::translate(sql));
        }
        it->lastUse = ++c.clock;
        ++c.reused;
        q = it->query;
        return true;
    }
    QSqlQuery fresh(db);
    fresh.setForwardOnly(true);
    if (!fresh.prepare(SqlDialect::translate(sql))) {
        q = fresh;
        return false;
    }
    if (c.entries.size() >= kKept)
        dropOldest();
    c.entries.insert(sql, Entry{fresh, ++c.clock});
    q = fresh;
    return true;
}

void PreparedQueries::forgetAll()
{
    Cache &c = cache();
    c.entries.clear();
    c.driver = nullptr;
    c.handle = nullptr;
    ++c.generation;
}

void PreparedQueries::forget(const QString &sql)
{
    cache().entries.remove(sql);
}

int PreparedQueries::size()
{
    return cache().entries.size();
}

quint64 PreparedQueries::generation()
{
    QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    if (db.isOpen())
        checkConnection(db);
    return cache().generation;
}

qint64 PreparedQueries::reused()
{
    return cache().reused;
}
