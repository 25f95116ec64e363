#ifndef SALEWRITER_H
#define SALEWRITER_H

#include "ledgertypes.h"

// Writes one sale: its lines, commission rows, header rows (one per payment
// method), the card debit, package uses, points and stock-out, and empties its
// basket, all in one transaction or not at all.
class SaleWriter
{
public:
    static LedgerResult commit(const Sale &sale);
};

#endif
