#ifndef REFUNDWRITER_H
#define REFUNDWRITER_H

#include "accountbooks.h"
#include "ledgertypes.h"

#include <QString>

// Money given back: part of a card balance, unused package uses, or a whole
// sale voided. Each is one document in one transaction, allowed by an operator
// who holds the settings right (the one at work, or one who typed their
// password), with a reason, a log row and a row of takings by its method.

// Off the card goes `takenCents`: first the member's open debt, repaid from the
// card; then what is handed back, at most the refundable amount; what is left
// of it is kept by the shop, bonus first.
struct BalanceRefund
{
    QString memberId;
    qint64 takenCents = 0;      // off the card balance
    qint64 paidBackCents = 0;   // handed back by `method`
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
    qint64 paidBackCents = 0;   // at most what the uses cost, unless aboveLimitBy allowed more
    QString method;             // "储蓄卡" credits the card
    QString reason;
    QString operatorName;
    QString authorizedBy;
    QString aboveLimitBy;       // holds the settings right, typed their password for an amount above the price
};

// What one use of a member's package item cost them: the money of each card
// issue or renewal that sold uses of it, shared among its items by list price,
// over the uses sold; the item's list price when no sale of them is on file.
struct PackageQuote
{
    QString itemId;
    QString name;
    double usesLeft = 0;
    double perUseCents = 0;
    bool fromListPrice = false;
    qint64 limitCents(qint64 uses) const { return qRound64(perUseCents * double(uses)); }
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

// What the void dialog shows of the sale: when, how much, whose.
struct SaleHeader
{
    QString time;
    qint64 amountCents = 0;
    QString memberName;
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

    // The member's items with uses left, each priced per use.
    // With asOf (yyyy-MM-dd hh:mm:ss), the uses left then, priced by the card
    // issues and renewals made until then.
    static QList<PackageQuote> packagesOf(const QString &memberId, const QString &asOf = QString());
    static PackageQuote quotePackage(const QString &memberId, const QString &itemId,
                                     const QString &asOf = QString());
    static QString memberName(const QString &memberId);
    // Whether the document is a sale (a void is only offered for one).
    static bool isSale(const QString &documentId);
    static SaleHeader saleHeader(const QString &saleId);
    // Why more than the refundable amount is refused, with its parts.
    static QString refundLimitText(const StoredValue &sv);

    // Whether the operator (by name) may allow refunds and voids.
    static bool mayAuthorize(const QString &operatorName);
};

#endif
