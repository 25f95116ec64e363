#ifndef LEDGERTYPES_H
#define LEDGERTYPES_H

#include <QList>
#include <QString>
#include <QtGlobal>

// The shop's operations as plain values. A dialog fills one from its widgets and
// hands it to one writer; the writer checks it again inside its transaction and
// writes every row of it, or none. Money is in integer cents throughout.

extern const char kWalkInId[];   // "0000"
extern const char kCardMethod[]; // "储蓄卡" in UTF-8: paid from the card balance (compare with QString::fromUtf8)

// What a writer tells its caller: the document it wrote, or why nothing was
// written (a sentence for the cashier).
struct LedgerResult
{
    bool ok = false;
    QString documentId;
    QString error;
    // Saved, with a sentence the cashier must still hear: the document had
    // landed at an earlier try whose answer was lost, and was not written again.
    QString notice;

    static LedgerResult success(const QString &id)
    {
        LedgerResult r;
        r.ok = true;
        r.documentId = id;
        return r;
    }
    static LedgerResult failure(const QString &why)
    {
        LedgerResult r;
        r.error = why;
        return r;
    }
};

struct PaymentPart
{
    PaymentPart() = default;
    PaymentPart(const QString &m, qint64 c, const QString &voucher = QString()) : method(m), cents(c), voucherNo(voucher) {}
    QString method;
    qint64 cents = 0;
    QString voucherNo; // paid by 代金券: the voucher's number
};

// One employee credited on one line (or on a card issue).
struct CommissionRow
{
    QString employeeId;
    QString orderMode;   // tichengfangshi: 轮单提成 / 点单提成 / 其他提成
    QString method;      // jisuanfangshi: 按比例提成 / 按固定金额提成 / 不参与提成
    double rate = 0;     // percent, for 按比例提成
    qint64 cents = 0;    // the commission itself
};

struct SaleLine
{
    QString key;         // tells this line (and its commission rows) from every other
    QString type;        // 服务项目 / 产品 / 套餐消费
    QString itemId;
    QString name;
    qint64 listCents = 0;   // list unit price
    qint64 unitCents = 0;   // the price charged per unit
    qint64 quantity = 0;    // whole units or uses
    qint64 amountCents = 0; // unitCents × quantity; 0 for a package use
    double points = 0;
    QString employeeId;     // the line's one commission employee, when it has exactly one
    QString enteredBy;      // operator who entered the line
    QList<CommissionRow> commissions;
};

struct Sale
{
    QString basketId;     // the checkout's basket, emptied by the commit; empty when there is none
    QString documentId;   // the document ID wanted (the basket's by default); another desk's keeps it from being used
    QString memberId;     // kWalkInId for a walk-in customer
    QList<SaleLine> lines;
    QList<PaymentPart> payments; // one header row each; the first carries totals, debt and points
    qint64 debtCents = 0;
    qint64 signBillCents = 0;
    QString lineMethod;   // the method written on the lines (the single-payment combo text)
    QString operatorName;
    QString heldBillId;   // the held bill this basket took up: it goes with the sale, or the sale is refused
    QString bookingId;    // the appointment this sale settles (已完成 with it); empty for none
};

struct PackageItem
{
    QString itemId;
    qint64 uses = 0;
};

struct CardIssue
{
    // The member row itself, in the column order of huiyuan; balance, points,
    // payment and package columns are filled by the writer.
    QString memberId;
    QString name, sex, birthday, phone, expiry, password1, password2, height, age,
        withinCode, adviser, address, referrer, remark;
    QString cardType;
    QString employeeId;      // credited with the opening commission, may be empty
    QString packageId;       // the package sold with the card, by its code; empty for none
    qint64 priceCents = 0;   // what the card costs
    qint64 receivedCents = 0;
    QString method;
    QString operatorName;
};

struct TopUp
{
    QString memberId;
    qint64 paidInCents = 0;    // what the member pays in (owes, when not all received)
    qint64 bonusCents = 0;
    qint64 receivedCents = 0;
    QString method;
    QString employee;
    QString operatorName;
    // Paid in several ways (card terminal and cash): one payment row each, the
    // first carrying the amounts due, the bonus and the debt. Their sum is
    // receivedCents; empty means all of it by method.
    QList<PaymentPart> payments;
};

struct Renewal
{
    QString memberId;
    QList<PackageItem> items;  // uses added per item
    qint64 dueCents = 0;
    QList<PaymentPart> payments;
    qint64 debtCents = 0;
    QString employee;
    QString remark;            // the items in words, for the payment row
    QString operatorName;
};

struct Repayment
{
    QString documentId;        // the sale or payment document that carries the debt
    qint64 cents = 0;
    QString method;
    QString operatorName;
};

// One line of a stock document, or the correction of one.
struct StockLine
{
    QString documentId;   // rukuID: "入库ID: rk…" or "出库ID: ck…"
    QString date;         // the document's day
    QString kind;         // 入库明细 / 出库明细
    QString productId;
    qint64 unitCents = 0;
    double quantity = 0;  // pieces that come in or leave, as typed (> 0)
    QString reason;       // rukutype: 采购入库 / 领用出库 …
    QString remark;
    QString operatorName;
    qint64 lineKey = 0;   // the line a correction changes (its rowid); 0 when unknown
    // The first line of a document window: its number is registered with the
    // line, or replaced by a fresh one when another desk has taken it.
    bool opensDocument = false;
};

#endif
