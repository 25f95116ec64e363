#ifndef MEMBERWRITER_H
#define MEMBERWRITER_H

#include "ledgertypes.h"

// The member operations that move money, uses, points or debt: each one
// transaction, each returning the document it wrote or why nothing was written.
class MemberWriter
{
public:
    static LedgerResult issueCard(const CardIssue &c);
    static LedgerResult topUp(const TopUp &t);
    static LedgerResult renew(const Renewal &r);
    static LedgerResult repay(const Repayment &r);
    // Refused while the member still holds prepaid value: balance, uses or debt.
    static LedgerResult deleteMember(const QString &memberId, const QString &operatorName);
    // Why a service item may not be deleted (members hold uses of it, or a
    // package contains it); empty when it may.
    static QString serviceItemInUse(const QString &itemId);
    // What still names a card type: "会员", "充值优惠规则" or "促销方案", and
    // with the history "会员卡升级记录" too; empty when nothing does.
    static QString cardTypeUser(const QString &name, bool withHistory);
};

#endif
