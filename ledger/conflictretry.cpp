#include "conflictretry.h"

#include "sqllog.h"
#include "transactionscope.h"

#include <QRandomGenerator>
#include <QThread>

LedgerResult retryOnConflict(const std::function<LedgerResult()> &operation)
{
    // Enough for a handful of desks on the same member at once (a few seconds at
    // worst); beyond that the cashier is told to try again.
    constexpr int kAttempts = 30;
    TransactionScope::takeConflict();
    LedgerResult r;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        // Inside an open scope the outermost one decides: no retry of a part.
        if (TransactionScope::active())
            return operation();
        r = operation();
        if (r.ok || !TransactionScope::takeConflict())
            return r;
        qCInfo(lcSql) << "与其他收银台的操作冲突，重试" << attempt;
        // Desks that collided wait for different, growing times, so that they
        // do not collide again.
        const unsigned ceiling = qMin(300u, 8u << qMin(attempt, 6));
        QThread::msleep(QRandomGenerator::global()->bounded(1u, ceiling));
    }
    return r;
}
