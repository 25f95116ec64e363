#include "transactionscope.h"
#include "dbsetconfig.h"
#include "sqldialect.h"
#include "sqllog.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {
struct State
{
    int depth = 0;
    bool failed = false;
    QString firstError;
};
State &state()
{
    static State s;
    return s;
}
} // namespace

namespace {
bool &conflictSeen()
{
    static bool seen = false;
    return seen;
}

void (*&releaseReads())()
{
    static void (*hook)() = nullptr;
    return hook;
}
} // namespace

void TransactionScope::setReleaseReads(void (*release)())
{
    releaseReads() = release;
}

TransactionScope::TransactionScope()
{
    State &s = state();
    if (s.depth == 0) {
        m_outer = true;
        s.failed = false;
        s.firstError.clear();
        // IMMEDIATE takes the write lock at once: two desks on one shop file
        // queue up here (within the busy timeout) instead of both reading a
        // balance and then colliding on their first write.
        // On the server the same effect comes from serialisable isolation: a
        // conflict fails the operation, which the rules layer runs again.
        const QString beginSql = SqlDialect::beginWrite();
        QSqlQuery begin(QSqlDatabase::database());
        bool begun = begin.exec(beginSql);
        if (!begun && releaseReads()) {
            releaseReads()();
            begun = begin.exec(beginSql);
        }
        if (!begun && SqlDialect::isPostgres() && SqlDialect::isConnectionLost(begin.lastError())) {
            // The server went away since the last operation (a restart, the
            // network): connect again, with this desk's working tables anew.
            qCWarning(lcSql) << "数据库连接已断开，重新连接" << begin.lastError().text();
            QSqlDatabase::database(QSqlDatabase::defaultConnection, false).close();
            if (openDatabase()) {
                createTables();
                begin = QSqlQuery(QSqlDatabase::database());
                begun = begin.exec(beginSql);
            }
        }
        if (!begun) {
            s.failed = true;
            s.firstError = QStringLiteral("BEGIN: ") + SqlDialect::errorText(begin.lastError());
            qCWarning(lcSql) << "事务开始失败" << begin.lastError().text();
        }
    }
    ++s.depth;
}

TransactionScope::~TransactionScope()
{
    if (!m_done)
        rollback();
}

bool TransactionScope::commit()
{
    State &s = state();
    if (m_done)
        return !s.failed;
    m_done = true;
    --s.depth;
    if (!m_outer)
        return !s.failed;
    QSqlDatabase db = QSqlDatabase::database();
    if (s.failed) {
        db.rollback();
        qCWarning(lcSql) << "事务回滚：" << s.firstError;
        return false;
    }
    if (!db.commit()) {
        s.failed = true;
        s.firstError = QStringLiteral("COMMIT: ") + SqlDialect::errorText(db.lastError());
        if (SqlDialect::isRetryableText(s.firstError))
            conflictSeen() = true;
        qCWarning(lcSql) << "事务提交失败" << db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

void TransactionScope::rollback()
{
    State &s = state();
    if (m_done)
        return;
    m_done = true;
    --s.depth;
    if (m_outer) {
        QSqlDatabase::database().rollback();
        qCDebug(lcSql) << "事务回滚";
    } else {
        // An inner scope that gives up makes the whole operation fail.
        s.failed = true;
        if (s.firstError.isEmpty())
            s.firstError = QStringLiteral("rollback");
    }
}

bool TransactionScope::failed() const { return state().failed; }
QString TransactionScope::firstError() const { return state().firstError; }

void TransactionScope::noteFailure(const QString &statement, const QString &error)
{
    State &s = state();
    if (s.depth == 0)
        return;
    if (SqlDialect::isRetryableText(error))
        conflictSeen() = true;
    if (!s.failed)
        s.firstError = statement + QStringLiteral(" : ") + error;
    s.failed = true;
}

bool TransactionScope::active() { return state().depth > 0; }

bool TransactionScope::takeConflict()
{
    const bool seen = conflictSeen();
    conflictSeen() = false;
    return seen;
}
