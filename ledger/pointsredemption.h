#ifndef POINTSREDEMPTION_H
#define POINTSREDEMPTION_H

#include "ledgertypes.h"

#include <QList>
#include <QString>

// 积分兑换: a list of rewards the shop gives for points — a product from
// stock, uses of a service item, or stored value on the card — and the
// redemptions, each one transaction: the points ledger row and the reward's
// own rows (stock out, uses credited, or balance with its ledger row), under
// one DH number. A void gives it all back, or is refused when the reward is
// no longer there to take back (uses used, value spent).

extern const char kRewardProduct[]; // 产品
extern const char kRewardService[]; // 服务次数
extern const char kRewardValue[];   // 储值

struct Reward
{
    QString id;          // 编号, typed by the shop
    QString name;
    QString kind;        // 产品 / 服务次数 / 储值
    QString itemId;      // the product or service item; empty for stored value
    qint64 amount = 0;   // pieces, uses, or cents of stored value, per redemption
    double points = 0;   // per redemption
    bool enabled = true;
};

struct Redemption
{
    QString id;          // DH…
    QString memberId;
    QString date;
    QString rewardId, rewardName, kind;
    int quantity = 0;
    double points = 0;
    QString state;       // 已兑换 / 已作废
    QString operatorName;
};

class PointsRedemption
{
public:
    static QList<Reward> rewards(bool enabledOnly = false);
    static Reward reward(const QString &id);
    // New or changed (by its code), with the settings right.
    static LedgerResult saveReward(const Reward &r, const QString &operatorName);
    static LedgerResult removeReward(const QString &id, const QString &operatorName);

    static LedgerResult redeem(const QString &memberId, const QString &rewardId, int quantity,
                               const QString &operatorName);
    // The authoriser holds the settings right (points, stock and value come back).
    static LedgerResult voidRedemption(const QString &redemptionId, const QString &authoriser,
                                       const QString &operatorName);
    static QList<Redemption> ofMember(const QString &memberId);
};

#endif
