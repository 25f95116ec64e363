#include "preparedqueries.h"
#include "shopconnection.h"
#include "enginedriver.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

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
    // Server statements whose session ended while their driver lives on (see
    // letGo): kept, never freed through that driver, until the driver is gone.
    QList<QSqlQuery> parked;
    QPointer<const QSqlDriver> driver; // the connection the entries belong to
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

// A server statement frees itself (DEALLOCATE) through its driver when the
// last copy of it goes. On its own live session that is right. On a session
// that ended it cannot work: a closed driver prints "Unable to free statement:
// connection pointer is NULL", a broken one "no connection to the server", and
// a driver Qt opened again on a new session sends DEALLOCATE for a name that
// session never had, aborting the transaction open there. Such a statement
// has nothing left to free (the server dropped it with its session), so it is
// kept until its driver is gone, when it goes without a word.
void letGo(const QSqlQuery &q, bool ownSession)
{
    const QSqlDriver *driver = q.driver();
    if (!driver || driver->dbmsType() != QSqlDriver::PostgreSQL)
        return; // SQLite finalizes its statements itself, on its own file
    if (ownSession && driver->isOpen() && !ShopLink::isLost())
        return;
    Cache &c = cache();
    c.parked.append(q);
}

// The parked statements whose driver has gone can go now: nothing of them
// reaches any server.
void sweepParked()
{
    Cache &c = cache();
    c.parked.erase(std::remove_if(c.parked.begin(), c.parked.end(), [](const QSqlQuery &q) { return !q.driver(); }),
                   c.parked.end());
}

void letGoAll(bool ownSession)
{
    Cache &c = cache();
    for (const Entry &e : qAsConst(c.entries))
        letGo(e.query, ownSession);
    c.entries.clear();
    sweepParked();
}

// Before the connections go: a kept server statement deallocates itself on its
// connection when it is destroyed.
void dropAtExit()
{
    PreparedQueries::forgetAll();
    // What is still parked belongs to sessions that are gone: abandoned, never
    // freed through a driver that would speak to another session or to none.
    static auto *abandoned = new QList<QSqlQuery>;
    Cache &c = cache();
    abandoned->append(c.parked);
    c.parked.clear();
}

// The kept statements belong to the connection as it is open now; when the
// connection was closed and opened again (or replaced) they are dropped.
void checkConnection(const QSqlDatabase &db)
{
    Cache &c = cache();
    if (!c.parked.isEmpty())
        sweepParked();
    // Both drivers hand their native handle over as a pointer.
    const QVariant native = db.driver() ? db.driver()->handle() : QVariant();
    const void *handle = native.isValid() ? *static_cast<void *const *>(native.constData()) : nullptr;
    if (c.driver != db.driver() || c.handle != handle) {
        letGoAll(false);
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
    if (oldest != c.entries.end()) {
        letGo(oldest->query, true);
        c.entries.erase(oldest);
    }
}
} // namespace

bool PreparedQueries::prepare(QSqlQuery &q, const QString &sql)
{
    QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    if (!db.isOpen()) {
        q = QSqlQuery(db);
        q.setForwardOnly(true);
        return q.prepare(sql);
    }
    checkConnection(db);
    Cache &c = cache();
    auto it = c.entries.find(sql);
    if (it != c.entries.end()) {
        if (it->query.isActive()) {
            // Someone is still reading it: a statement of one's own this time.
            q = QSqlQuery(db);
            q.setForwardOnly(true);
            return q.prepare(sql);
        }
        it->lastUse = ++c.clock;
        ++c.reused;
        q = it->query;
        return true;
    }
    QSqlQuery fresh(db);
    fresh.setForwardOnly(true);
    if (!fresh.prepare(sql)) {
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
    letGoAll(true);
    c.driver = nullptr;
    c.handle = nullptr;
    ++c.generation;
}

void PreparedQueries::forget(const QString &sql)
{
    Cache &c = cache();
    const auto it = c.entries.constFind(sql);
    if (it == c.entries.constEnd())
        return;
    letGo(it->query, true);
    c.entries.erase(it);
}

int PreparedQueries::parked()
{
    sweepParked();
    return cache().parked.size();
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
