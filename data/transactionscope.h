#ifndef TRANSACTIONSCOPE_H
#define TRANSACTIONSCOPE_H

#include <QString>
#include <QVariantList>

// One operation, one transaction. While a scope is open, every statement run by
// the data layer (ctrlUiClass helpers and builders, on any window's ctrlUiClass)
// belongs to it, and any failure marks it failed. Scopes nest: an inner scope
// joins the outermost one, and only the outermost begins and ends the
// transaction.
//
//   TransactionScope tx;
//   ui.execSql(...); ui.execSql(...); emit DlgSend(...);
//   if (!tx.commit()) { ui.showInfo("保存失败，本次操作未保存。"); return; }
//
// A scope that is destroyed without commit() rolls back.
//
// A scope whose BEGIN failed (another desk holds the write lock past the busy
// budget, the server is gone) is failed from its first line: every statement
// the data layer is asked to run inside it is refused without reaching the
// database, so nothing of the operation can land on its own.
class TransactionScope
{
public:
    TransactionScope();
    ~TransactionScope();
    TransactionScope(const TransactionScope &) = delete;
    TransactionScope &operator=(const TransactionScope &) = delete;

    // Commits when no statement failed (and the commit itself works); otherwise
    // rolls everything back. Returns whether the work landed. An inner scope
    // returns false when a failure has been seen so far, and leaves the decision
    // to the outermost scope.
    //
    // When the answer to COMMIT is lost (the connection broke while it was on
    // its way), the outcome is looked up after reconnecting with the
    // operation's probe (see setOutcomeProbe): present counts as landed, absent
    // as not; an operation without a probe fails with an "unknown outcome"
    // error (see isOutcomeUnknown), never as plainly not saved.
    bool commit();
    void rollback();
    bool failed() const;
    QString firstError() const;

    // Called by the data layer for each failing statement.
    static void noteFailure(const QString &statement, const QString &error);
    static bool active();
    // A scope is open and its BEGIN worked: statements run inside a transaction.
    static bool live();

    // The statement door's question, asked before a statement touches the
    // database: false (and the open scope failed, the refusal in the debug
    // output) when a scope is open whose BEGIN failed, or when `sql` writes to
    // a shop table outside any scope and the caller did not say `single` (one
    // statement that is whole by itself: a log row, one setting). Writes to the
    // connection's own working tables (temp…) are single by nature.
    static bool admits(const QString &sql, bool single = false);
    // Whether `sql` writes (insert, update, delete, replace), and to which table.
    static bool isWrite(const QString &sql, QString *table = nullptr);

    // The longest a desk waits, in all, for another desk's write lock in one
    // operation (milliseconds); the connection's busy timeout is the same.
    static int busyBudgetMs();
    static void setBusyBudgetMs(int ms);

    // The statement that finds the open operation's work after a lost COMMIT
    // answer (a row exists exactly when the operation landed): the first one
    // set in a scope holds. Registering a document ID sets it.
    static void setOutcomeProbe(const QString &sql, const QVariantList &values);
    // The error of a commit whose outcome could not be learnt.
    static bool isOutcomeUnknown(const QString &error);

    // Called when BEGIN IMMEDIATE finds the connection's snapshot outdated: a
    // list still reading (a model not fetched to its end) holds the connection's
    // read snapshot, and once another desk has committed no write can start on
    // it. The hook ends those reads; the BEGIN is then tried again.
    static void setReleaseReads(void (*release)());

    // Whether an operation failed since the last call because another desk's
    // transaction got in its way (on a server: a serialisation failure, a
    // deadlock, a key taken in the same instant); clears the mark. Running the
    // whole operation again is then the cure (see ledger/conflictretry.h).
    static bool takeConflict();

    // Whether the last outermost commit ended with an unknown outcome (the
    // answer lost, and the books could not be asked); clears the mark. The
    // probe is the statement that will tell later, once the shop can be
    // reached again: the writer keeps it for the cashier's next try.
    static bool takeUnknownOutcome(QString *probeSql, QVariantList *probeValues);

    // Test-only fault at the next outermost COMMIT, inert until set: the
    // connection breaks just before the COMMIT is sent (nothing lands), or just
    // after it landed (its answer never arrives). The ...ServerDown kinds keep
    // the shop unreachable past the reconnect inside the commit, as a server
    // still restarting does: the next statement connects again. Cleared once
    // used.
    enum class CommitFault { None, LoseRequest, LoseAnswer, LoseRequestServerDown, LoseAnswerServerDown };
    static void setCommitFault(CommitFault fault);

private:
    bool m_outer = false;
    bool m_done = false;
};

#endif
