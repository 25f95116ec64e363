#ifndef VOUCHERS_H
#define VOUCHERS_H

#include "ledgertypes.h"

#include <QDate>
#include <QList>
#include <QString>

// 代金券 with numbers: each voucher has its face value, what is left on it, a
// last day and a state, and a ledger of its own (daijinquanbiandong: issued,
// used, its rest lapsed, voided) whose rows state the rest read back, so the
// chain check covers it. A sale paid by 代金券 names the voucher, and the
// voucher is taken inside the sale's transaction with a guarded change: two
// desks cannot spend one voucher twice. What is left on a voucher is part of
// what the shop owes.

extern const char kVoucherMethod[];       // 代金券
extern const char kVoucherMethodOld[];    // 代金卷, as older shops wrote it
extern const char kVoucherKeepsRest[];    // dianpushezhi 代金券余额保留: 是 = a partly used voucher keeps its rest

struct VoucherBatch
{
    QString prefix;          // e.g. "DJ2026"
    int first = 1;           // first running number
    int count = 1;
    int digits = 4;          // running number padded to this many digits
    qint64 valueCents = 0;   // face value of each
    QDate validUntil;
    qint64 priceCents = 0;   // sold at this price each; 0 = given away (发放)
    QString method;          // how a sold batch was paid
    QString memberId;        // given to or bought by; may be empty
    QString remark;
    QString operatorName;
};

struct Voucher
{
    bool found = false;
    QString number;
    qint64 valueCents = 0;
    qint64 restCents = 0;
    QString validUntil;
    QString state;           // 未使用 / 部分使用 / 已用完 / 已作废
    QString source;          // 发放 / 售出
    QString memberId;
};

// What one sale took from one voucher, and what the voucher held after it.
struct VoucherUse
{
    QString number;
    qint64 takenCents = 0;
    qint64 restCents = 0;    // 0 when the rest lapsed with the sale
    qint64 lapsedCents = 0;  // the rest that lapsed with it (the shop keeps no rest)
};

class Vouchers
{
public:
    static bool isVoucherMethod(const QString &method);
    // Whether the shop numbers its vouchers: then every payment by 代金券 must name one.
    static bool inUse();
    static Voucher find(const QString &number);
    // Why the voucher cannot pay `cents` today; empty when it can (a check for
    // the window: the sale's transaction checks again).
    static QString whyNot(const QString &number, qint64 cents);
    static LedgerResult issue(const VoucherBatch &b);
    // With the settings right: what is left is no longer owed.
    static LedgerResult voidVoucher(const QString &number, const QString &reason, const QString &operatorName);
    static bool keepsRest();
    static LedgerResult setKeepsRest(bool keep, const QString &operatorName);

    // Inside a sale's transaction: the payment part's voucher gives `cents`;
    // the sale fails when it is missing, unknown, past its day, used up or
    // voided, or holds less.
    static bool useInside(const PaymentPart &p, const QString &saleId, const QString &operatorName);
    // Inside a sale's void: the vouchers the sale took (and the rest that
    // lapsed with it) are good again, unless voided since.
    static bool giveBackInside(const QString &saleId, const QString &voidId, const QString &operatorName);
    // The vouchers a sale took, in the order it took them (its receipt names them).
    static QList<VoucherUse> usedBy(const QString &saleId);
};

#endif
