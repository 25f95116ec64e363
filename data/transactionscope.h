#ifndef TRANSACTIONSCOPE_H
#define TRANSACTIONSCOPE_H

#include <QString>

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
    bool commit();
    void rollback();
    bool failed() const;
    QString firstError() const;

    // Called by the data layer for each failing statement.
    static void noteFailure(const QString &statement, const QString &error);
    static bool active();

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

private:
    bool m_outer = false;
    bool m_done = false;
};

#endif
