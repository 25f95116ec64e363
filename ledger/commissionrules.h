#ifndef COMMISSIONRULES_H
#define COMMISSIONRULES_H

#include "ledgertypes.h"

#include <QString>

// The commission rules of an item, as the checkout and the card issue use them.
struct CommissionRule
{
    bool found = false;
    QString method;        // 按比例提成 / 按固定金额提成 / 不参与提成
    double rate = 0;       // percent
    qint64 fixedCents = 0;
};

namespace CommissionRules {

extern const char kCardItemType[]; // "会员卡": rules for issuing a card of a type

// The rule of the employee's own type for the item, type and mode; the
// "所有员工" rule when the type has none.
CommissionRule find(const QString &itemId, const QString &itemType, const QString &orderMode,
                    const QString &employeeType);
QString employeeType(const QString &employeeId);
QString employeeName(const QString &employeeId);

// What the rule pays on an amount: rate × amount / 100 in whole cents, the
// fixed amount, or nothing.
qint64 commissionCents(const QString &method, double rate, qint64 fixedCents, qint64 amountCents);

} // namespace CommissionRules

#endif
