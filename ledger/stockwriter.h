#ifndef STOCKWRITER_H
#define STOCKWRITER_H

#include "ledgertypes.h"

// Stock documents and write-offs: each line with its log row in one
// transaction, or nothing. The sale's own stock-out is written by the sale.
class StockWriter
{
public:
    static LedgerResult addLine(const StockLine &line);
    // Changes the line named by its key (price, quantity, remark).
    static LedgerResult correctLine(const StockLine &line);
    // Brings the product's stock to zero by one movement at its purchase price:
    // out for stock on hand, in for stock below zero. The history stays.
    static LedgerResult clearStock(const QString &productId, const QString &operatorName);
};

#endif
