#ifndef ACCOUNTBOOKS_H
#define ACCOUNTBOOKS_H

#include "ledgertypes.h"

#include <QHash>
#include <QString>
#include <functional>

// One class per kind of account. Each is the only place its rows are written,
// and each must be called inside an open TransactionScope (the writers open it):
// a refusal or a failure marks the scope failed and the caller's whole
// operation is rolled back. Every change is relative and guarded in its WHERE,
// and every ledger row states the figure read back inside the same transaction,
// so previous + increase − decrease = this row, always.

struct Entry
{
    QString kind;      // biandongleixing
    QString operatorName;
    QString remark;    // beizhu: the document, "消费单：xf_…"
};

// A member's card balance by where it came from. Spending takes paid value
// first, so the bonus is what stays longest; a balance no payment row explains
// (brought over from before) counts as paid.
struct StoredValue
{
    qint64 balanceCents = 0;
    qint64 paidCents = 0;       // paid for and not yet spent
    qint64 bonusCents = 0;      // 赠送 still on the card
    qint64 debtCents = 0;       // open debt of every document of the member
    qint64 paidEverCents = 0;   // paid value ever put on the card: a refund's share of it
    bool bonusRefundable = false; // the shop's setting 赠送金额可退现
    qint64 refundableCents = 0; // what may be paid out: paid value (or all, with the setting) less the debt
};

// What a member's credits put on the card: bonus given (less bonus refunds
// took back) and paid value ever.
struct CreditSums
{
    qint64 bonusGivenCents = 0;
    qint64 paidEverCents = 0;
};

// The shop setting (dianpushezhi) that lets bonus be paid out as cash: "是" / "否".
extern const char kBonusRefundableSetting[];

// The stored-value balance (huiyuan.shengyujine) and its ledger rows.
class BalanceBook
{
public:
    // deltaCents > 0 credits, < 0 debits; a debit below zero is refused.
    static bool change(const QString &memberId, qint64 deltaCents, const Entry &entry);
    static qint64 balance(const QString &memberId);
    // The balance at a past moment (yyyy-MM-dd hh:mm:ss): the balance its last
    // ledger row then recorded; before the first row, what that row started
    // from, once the member was registered. Empty asOf: now.
    static qint64 balanceAt(const QString &memberId, const QString &asOf);
    // With asOf, the balance and its bonus as they stood then (the debt and
    // what may be refunded are always of now).
    static StoredValue storedValue(const QString &memberId, const QString &asOf = QString());
    // The credit sums of one member, or (empty memberId) of every member in one
    // read, until asOf (empty: all); with after, only the credits later than it
    // (what moved between two moments).
    static QHash<QString, CreditSums> creditSums(const QString &memberId, const QString &asOf,
                                                 const QString &after = QString());
    // Each member's bonus given (CreditSums::bonusGivenCents) in one read of the
    // rows that move it, until asOf (empty: all), with after only later ones;
    // a member whose rows give none may be left out, one may come more than
    // once (its imported bonus apart): add them up.
    static void eachBonusGiven(const QString &asOf, const QString &after,
                               const std::function<void(const QString &memberId, qint64 cents)> &bonus);
    // How a balance divides into paid value and bonus (debt and refund limit not set).
    static StoredValue split(qint64 balanceCents, const CreditSums &sums);
    // What the member has paid for the card and onto it (交费金额): the card's
    // price at issue, every top-up and card upgrade as paid in (owed or not),
    // less the stored value paid back. Sales and package renewals are not in it.
    static qint64 paidInCents(const QString &memberId);
};

// Prepaid uses per service item (huiyuantaocan) and their ledger rows.
class UsesBook
{
public:
    static bool add(const QString &memberId, const QString &itemId, qint64 uses, const Entry &entry);
    // Refused when the member holds fewer uses of the item.
    static bool take(const QString &memberId, const QString &itemId, qint64 uses, const Entry &entry);
    // Uses a void gives back: consumed becomes left again.
    static bool giveBack(const QString &memberId, const QString &itemId, qint64 uses, const Entry &entry);
    // Unused uses returned for money: no longer bought, no longer left.
    // Refused when the member holds fewer uses of the item.
    static bool returnUnused(const QString &memberId, const QString &itemId, qint64 uses, const Entry &entry);
    static double left(const QString &memberId, const QString &itemId);

private:
    static bool takeLeft(const QString &memberId, const QString &itemId, qint64 uses, const Entry &entry,
                         bool returned);
};

// Points: huiyuan.jifen always equals the member's latest huiyuanjifen row.
class PointsBook
{
public:
    static bool change(const QString &memberId, double delta, const Entry &entry);
    static double points(const QString &memberId);
    // Points of a member no longer on file: only their ledger chain moves.
    static bool changeUnfiled(const QString &memberId, double delta, const Entry &entry);
};

// Product stock movements (chanpinrukumingxi).
struct StockMove
{
    QString documentId;  // rukuID
    QString kind;        // type: 入库明细 / 出库明细
    QString productId;
    qint64 unitCents = 0;
    double quantity = 0; // negative leaves the stock
    qint64 amountCents = 0;
    QString reason;      // rukutype: 产品销售 …
    QString operatorName;
    QString remark;
    QString time;        // the document's day or moment; empty: now
};

class StockBook
{
public:
    static bool move(const StockMove &m);
    // Changes price, quantity and remark of one line of a document; refused
    // when the line is gone (or, without its key, when the document holds the
    // product on more than one line).
    static bool correct(qint64 lineKey, const StockMove &m);
    static double stock(const QString &productId);
    // On hand as the kept stock table says (what the checkout warns about).
    static double onHand(const QString &productId);
};

// Commission rows (tichengmingxi): one per employee credited on a line or a card.
class CommissionBook
{
public:
    // remark: 消费提成 / 开卡提成; lineKey ties the row to its line (titleID).
    static bool add(const QString &documentId, const QString &itemId, const QString &itemName,
                    const CommissionRow &c, const QString &remark, const QString &lineKey);
    // The rows of `fromDocument` again under `toDocument`, negated: a void nets them out.
    static bool reverse(const QString &fromDocument, const QString &toDocument, const QString &remark);
    // A share (0..1) of each row of `fromDocument` again under `toDocument`,
    // negated; never more than the row still holds after earlier shares.
    static bool reverseShare(const QString &fromDocument, const QString &toDocument, double share,
                             const QString &remark);
};

// Debts of every source: a sale (huiyuanxiaofei) or a card issue, top-up or
// renewal (huiyuanjiaofei). A document's open debt is the sum of qiankuanjine
// over its rows; a repayment adds a row of takings and lowers the debt row.
class DebtBook
{
public:
    struct Open
    {
        bool found = false;
        bool sale = false;   // huiyuanxiaofei, else huiyuanjiaofei
        QString memberId;
        qint64 cents = 0;
        QString documentId;
        bool opening = false; // brought along, put on file by an opening import
    };
    static Open open(const QString &documentId);
    // The member's documents that still owe, oldest first.
    static QList<Open> openOf(const QString &memberId);
    static bool repay(const Repayment &r);
    // A voided sale owes nothing any more (the void document records what was cancelled).
    static bool cancelSaleDebt(const QString &saleId);
    static qint64 memberDebt(const QString &memberId);

private:
    static Open openingDebt(const QString &documentId);
};

#endif
