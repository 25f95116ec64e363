#ifndef REFUNDWRITER_H
#define REFUNDWRITER_H

#include "ledgertypes.h"

#include <QString>

// Money given back: part of a card balance, unused package uses, or a whole
// sale voided. Each is one document in one transaction, allowed by an operator
// who holds the settings right (the one at work, or one who typed their
// password), with a reason, a log row and a row of takings by its method.

struct BalanceRefund
{
    QString memberId;
    qint64 takenCents = 0;      // off the card balance
    qint64 paidBackCents = 0;   // handed back by `method`; at most takenCents (bonus kept by the shop)
    QString method;
    QString reason;
    QString operatorName;
    QString authorizedBy;       // holds the settings right
};

struct PackageRefund
{
    QString memberId;
    QString itemId;
    qint64 uses = 0;
    qint64 paidBackCents = 0;
    QString method;             // "储蓄卡" credits the card
    QString reason;
    QString operatorName;
    QString authorizedBy;
};

struct SaleVoid
{
    QString saleId;
    QString reason;
    QString operatorName;
    QString authorizedBy;
};

// What a sale's void would give back, read from the rows the sale wrote.
struct SaleVoidPreview
{
    QString problem;            // why it cannot be voided; empty when it can
    QString memberId;
    qint64 cardCents = 0;       // back onto the card
    qint64 cashCents = 0;       // paid back by methods other than the card
    qint64 openDebtCents = 0;   // cancelled
    qint64 repaidCents = 0;     // repayments already taken on its debt, paid back too
    double points = 0;          // taken back
};

class RefundWriter
{
public:
    static LedgerResult refundBalance(const BalanceRefund &r);
    static LedgerResult refundPackage(const PackageRefund &r);
    // The reversing document: card amount, uses, points, stock and commission
    // back, takings paid back by their methods, the open debt cancelled. The
    // sale stays as it was, registered as voided; a sale voids once.
    static LedgerResult voidSale(const SaleVoid &v);
    static SaleVoidPreview previewVoid(const QString &saleId);

    // Whether the operator (by name) may allow refunds and voids.
    static bool mayAuthorize(const QString &operatorName);
};

#endif
