#include "transactionscope.h"
#include "dbsetconfig.h"
#include "shopconnection.h"
#include "enginedriver.h"
#include "sqllog.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {
struct State
{
    int depth = 0;
    bool live = false; // the outermost BEGIN worked
    bool failed = false;
    bool sessionEnded = false; // the server session BEGIN ran on is gone
    QString firstError;
    QString probeSql;
    QVariantList probeValues;
    // The last outermost commit whose outcome stayed unknown, and its probe.
    bool unknown = false;
    QString unknownProbeSql;
    QVariantList unknownProbeValues;
};
State &state()
{
    static State s;
    return s;
}

const QString kUnknownOutcome = QStringLiteral("COMMIT_UNKNOWN: ");

int &budgetMs()
{
    static int ms = 5000;
    return ms;
}

TransactionScope::CommitFault &commitFault()
{
    static TransactionScope::CommitFault f = TransactionScope::CommitFault::None;
    return f;
}

// Names of the TEMP tables a window made for itself ("tongji"): written
// outside any transaction like the working tables of dbset.xml.
QSet<QString> &ownTempTables()
{
    static QSet<QString> names;
    return names;
}

void setBusyTimeout(int ms)
{
    if (EngineDriver::current().isServer())
        return;
    QSqlQuery q(QSqlDatabase::database());
    if (!q.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(qMax(ms, 0))))
        qCWarning(lcSql) << "PRAGMA busy_timeout" << q.lastError().text();
}

// Qt's server driver closes a connection whose socket broke; whoever asks
// for the database next opens it again, without this desk's working tables.
bool serverConnectionClosed()
{
    if (!QSqlDatabase::contains(QSqlDatabase::defaultConnection))
        return false;
    const QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    return EngineDriver::of(db).isServer() && !db.isOpen();
}

// BEGIN, then (on a server) the desks' queue. A lock that is refused (the
// lock timeout) ends the transaction at once: the session would otherwise
// stay in a failed one and refuse every later statement. `q` keeps the error.
bool beginWork(QSqlQuery &q, const QString &beginSql)
{
    if (!q.exec(beginSql))
        return false;
    const QString lock = EngineDriver::current().writeLock();
    if (lock.isEmpty() || q.exec(lock))
        return true;
    QSqlQuery(QSqlDatabase::database(QSqlDatabase::defaultConnection, false)).exec(QStringLiteral("ROLLBACK"));
    return false;
}

// The connection breaks under the test's fault: as the network would do it.
QString breakConnection()
{
    QSqlDatabase::database(QSqlDatabase::defaultConnection, false).close();
    return QStringLiteral("server closed the connection unexpectedly (fault at COMMIT) [SQLSTATE 08006]");
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
        s.live = false;
        s.sessionEnded = false;
        s.firstError.clear();
        s.probeSql.clear();
        s.probeValues.clear();
        s.unknown = false; // a mark nobody took belongs to an operation before this one
        // A connection lost since the last statement is made anew first.
        if (serverConnectionClosed())
            ShopLink::noteLost(QStringLiteral("no connection to the server"));
        if (ShopLink::isLost())
            ShopLink::reopen();
        // IMMEDIATE takes the write lock at once: two desks on one shop file
        // queue up here (within the busy budget) instead of both reading a
        // balance and then colliding on their first write.
        // On the server the desks queue on the write lock table the same way
        // (within the lock timeout); the snapshot isolation stays as the
        // guard, and a conflict it finds makes the rules layer run the whole
        // operation again.
        const QString beginSql = EngineDriver::current().beginWrite();
        QElapsedTimer waited;
        waited.start();
        QSqlQuery begin(QSqlDatabase::database());
        bool begun = beginWork(begin, beginSql);
        // A second try after the reads are ended, within what is left of the
        // one budget: a desk never waits twice for the same lock.
        const int left = budgetMs() - int(waited.elapsed());
        if (!begun && releaseReads() && !EngineDriver::isConnectionLost(begin.lastError()) && left > 0) {
            releaseReads()();
            setBusyTimeout(left);
            begun = beginWork(begin, beginSql);
            setBusyTimeout(budgetMs());
        }
        if (!begun && EngineDriver::isConnectionLost(begin.lastError())) {
            // The server went away since the last operation (a restart, the
            // network): connect again, with this desk's working tables anew.
            ShopLink::noteLost(EngineDriver::errorText(begin.lastError()));
            if (ShopLink::reopen()) {
                begin = QSqlQuery(QSqlDatabase::database());
                begun = beginWork(begin, beginSql);
            }
        }
        if (!begun) {
            s.failed = true;
            s.firstError = QStringLiteral("BEGIN: ") + EngineDriver::errorText(begin.lastError());
            if (ShopLink::isLost() && !EngineDriver::isConnectionLost(begin.lastError()))
                s.firstError += QStringLiteral(" (connection to server lost)");
            qCWarning(lcSql) << "事务开始失败，本次操作的语句都不会执行" << begin.lastError().text()
                             << waited.elapsed() << "ms";
        }
        s.live = begun;
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
    const bool wasLive = s.live;
    s.live = false;
    // Not database(): that would quietly open a closed connection again, a
    // new session without this desk's working tables, and end nothing on it.
    QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
    if (s.failed) {
        if (wasLive && db.isOpen())
            db.rollback();
        qCWarning(lcSql) << "事务回滚：" << s.firstError;
        return false;
    }
    const CommitFault fault = commitFault();
    commitFault() = CommitFault::None;
    const bool serverDown = fault == CommitFault::LoseRequestServerDown || fault == CommitFault::LoseAnswerServerDown;
    QString error;
    bool committed = false;
    if (fault == CommitFault::LoseRequest || fault == CommitFault::LoseRequestServerDown) {
        error = breakConnection();
    } else {
        committed = db.commit();
        if (!committed)
            error = EngineDriver::errorText(db.lastError());
        else if (fault == CommitFault::LoseAnswer || fault == CommitFault::LoseAnswerServerDown) {
            committed = false;
            error = breakConnection();
        }
    }
    if (committed)
        return true;
    s.failed = true;
    if (EngineDriver::isConnectionLost(error) || fault != CommitFault::None) {
        // Whether the server got the COMMIT is not known: only the books can
        // tell. Running the operation again blindly could charge twice.
        ShopLink::noteLost(error);
        qCWarning(lcSql) << "提交时连接断开，重新连接后查询结果" << error;
        // The desk connects again at once, whatever the outcome (on a new
        // driver: this handle to the old one goes first).
        db = QSqlDatabase();
        const bool back = !serverDown && ShopLink::reopen();
        if (back && !s.probeSql.isEmpty()) {
            QSqlQuery probe(QSqlDatabase::database());
            probe.setForwardOnly(true);
            bool asked = probe.prepare(s.probeSql);
            for (int i = 0; asked && i < s.probeValues.size(); ++i)
                probe.bindValue(i, s.probeValues.at(i));
            if (asked && probe.exec()) {
                if (probe.next()) {
                    qCWarning(lcSql) << "提交应答丢失，但本次操作已保存" << s.probeValues;
                    s.failed = false;
                    s.firstError.clear();
                    return true;
                }
                s.firstError = QStringLiteral("COMMIT: ") + error;
                qCWarning(lcSql) << "提交应答丢失，本次操作没有保存" << s.probeValues;
                return false;
            }
        }
        s.firstError = kUnknownOutcome + error;
        s.unknown = true;
        s.unknownProbeSql = s.probeSql;
        s.unknownProbeValues = s.probeValues;
        return false;
    }
    s.firstError = QStringLiteral("COMMIT: ") + error;
    if (EngineDriver::isRetryable(s.firstError))
        conflictSeen() = true;
    qCWarning(lcSql) << "事务提交失败" << error;
    db.rollback();
    return false;
}

void TransactionScope::rollback()
{
    State &s = state();
    if (m_done)
        return;
    m_done = true;
    --s.depth;
    if (m_outer) {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        if (s.live && db.isOpen())
            db.rollback();
        s.live = false;
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
    // Qt's server driver closes the connection at the first statement that
    // found it broken; the statements after it fail with no text at all.
    if (EngineDriver::isConnectionLost(error) || EngineDriver::current().isWorkingTableMissing(error)
        || serverConnectionClosed())
        ShopLink::noteLost(error.isEmpty() ? QStringLiteral("no connection to the server") : error);
    State &s = state();
    if (s.depth == 0)
        return;
    if (EngineDriver::isRetryable(error))
        conflictSeen() = true;
    if (!s.failed)
        s.firstError = statement + QStringLiteral(" : ") + error;
    s.failed = true;
}

bool TransactionScope::active() { return state().depth > 0; }

bool TransactionScope::live() { return state().depth > 0 && state().live; }

bool TransactionScope::isWrite(const QString &sql, QString *table)
{
    static const QRegularExpression write(
        QStringLiteral("^\\s*(?:insert(?:\\s+or\\s+\\w+)?\\s+into|replace\\s+into|update(?:\\s+or\\s+\\w+)?|delete\\s+from)"
                       "\\s+[\"`]?(\\w+)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = write.match(sql);
    if (m.hasMatch() && table)
        *table = m.captured(1).toLower();
    return m.hasMatch();
}

bool TransactionScope::admits(const QString &sql, bool single)
{
    State &s = state();
    if (s.depth > 0 && !s.live) {
        qCWarning(lcSql).noquote() << QStringLiteral("事务没有开始，语句未执行：") + sql;
        return false;
    }
    // The transaction lived on the session that ended: whatever opens the
    // connection again later, nothing more of this operation may run there,
    // where it would land by itself, outside any transaction.
    if (s.depth > 0 && (s.sessionEnded || serverConnectionClosed())) {
        if (!s.sessionEnded) {
            s.sessionEnded = true;
            noteFailure(sql, QStringLiteral("no connection to the server"));
        }
        qCWarning(lcSql).noquote() << QStringLiteral("与服务器的连接已断开，本次操作的语句不再执行：") + sql;
        return false;
    }
    if (s.depth == 0) {
        if (serverConnectionClosed())
            ShopLink::noteLost(QStringLiteral("no connection to the server"));
        if (ShopLink::isLost() && !ShopLink::reopen())
            return false;
        static const QRegularExpression createTemp(
            QStringLiteral("^\\s*create\\s+temp(?:orary)?\\s+table\\s+(?:if\\s+not\\s+exists\\s+)?(\\w+)"),
            QRegularExpression::CaseInsensitiveOption);
        const auto c = createTemp.match(sql);
        if (c.hasMatch())
            ownTempTables().insert(c.captured(1).toLower());
        QString table;
        if (!single && isWrite(sql, &table) && !table.startsWith(QLatin1String("temp"))
            && !ownTempTables().contains(table)) {
            // Several writes that belong together outside a transaction would
            // land one by one: the writer forgot its scope.
            qCWarning(lcSql).noquote() << QStringLiteral("写入不在事务中，已拒绝：") + sql;
            return false;
        }
    }
    return true;
}

int TransactionScope::busyBudgetMs() { return budgetMs(); }

void TransactionScope::setBusyBudgetMs(int ms)
{
    budgetMs() = qMax(ms, 0);
    if (QSqlDatabase::contains(QSqlDatabase::defaultConnection)
        && QSqlDatabase::database(QSqlDatabase::defaultConnection, false).isOpen())
        setBusyTimeout(budgetMs());
}

void TransactionScope::setOutcomeProbe(const QString &sql, const QVariantList &values)
{
    State &s = state();
    if (s.depth == 0 || !s.probeSql.isEmpty())
        return;
    s.probeSql = sql;
    s.probeValues = values;
}

bool TransactionScope::isOutcomeUnknown(const QString &error)
{
    return error.startsWith(kUnknownOutcome);
}

void TransactionScope::setCommitFault(CommitFault fault)
{
    commitFault() = fault;
}

bool TransactionScope::takeUnknownOutcome(QString *probeSql, QVariantList *probeValues)
{
    State &s = state();
    const bool unknown = s.unknown;
    if (probeSql)
        *probeSql = s.unknownProbeSql;
    if (probeValues)
        *probeValues = s.unknownProbeValues;
    s.unknown = false;
    s.unknownProbeSql.clear();
    s.unknownProbeValues.clear();
    return unknown;
}

bool TransactionScope::takeConflict()
{
    const bool seen = conflictSeen();
    conflictSeen() = false;
    return seen;
}
