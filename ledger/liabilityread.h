#ifndef LIABILITYREAD_H
#define LIABILITYREAD_H

#include "ownerfigures.h"

#include <QList>
#include <QStringList>

// What the shop owes every member, read for the whole shop at once: a handful
// of statements over the ledgers instead of a dozen per member, with the same
// rules as BalanceBook::storedValue and RefundWriter::quotePackage give one
// member (the balance its last ledger row recorded, split into paid value and
// bonus by the credit sums; the uses left, priced by the card issues and
// renewals that sold them).
struct LiabilityTotals
{
    QString asOf;
    qint64 paidCents = 0;
    qint64 bonusCents = 0;
    qint64 packageCents = 0;
    qint64 totalCents() const { return paidCents + bonusCents + packageCents; }
};

namespace LiabilityRead {

// Now: the balances and uses the member rows hold.
Liability now();

// At a moment (yyyy-MM-dd hh:mm:ss), from the ledger rows of then.
Liability at(const QString &moment);

// The shop's totals at each moment (ascending), in one pass over the ledgers.
QList<LiabilityTotals> totalsAt(const QStringList &moments);

} // namespace LiabilityRead

#endif
