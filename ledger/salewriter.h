#ifndef SALEWRITER_H
#define SALEWRITER_H

#include "ledgertypes.h"

#include <optional>

// Writes one sale: its lines, commission rows, header rows (one per payment
// method), the card debit, package uses, points and stock-out, and empties its
// basket, all in one transaction or not at all.
class SaleWriter
{
public:
    // A sale whose answer was lost (see UnsettledOutcomes) is settled first:
    // answered saved, its basket emptied, when it had landed; written once
    // when it had not.
    static LedgerResult commit(const Sale &sale);

    // The checkout's question before it looks at its basket: after a lost
    // answer the basket of a sale that landed is empty, and it is not empty
    // but unsaved. Nothing when there is no earlier try to settle, or it did
    // not land (the basket holds the sale again: commit it); saved when it
    // landed; not saved with the reason while the shop cannot be reached.
    static std::optional<LedgerResult> settle(const QString &basketId);
    // Whether the basket's last sale is still to be settled: its 结账 stays
    // open even while the basket looks empty.
    static bool awaitsOutcome(const QString &basketId);
};

#endif
