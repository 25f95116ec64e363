#ifndef TOPUPOFFERS_H
#define TOPUPOFFERS_H

#include "ledgertypes.h"

#include <QList>
#include <QString>

// 充值规则: per card type, tiers of "充 X 送 Y" (and points). A top-up of at
// least X earns the bonus of the highest tier it reaches; tiers of "所有会员卡"
// apply to card types without tiers of their own. The top-up dialog proposes
// the bonus; the writer holds it to the tier: the cashier may give less,
// more only with the settings right. A shop without any tier for the card
// type keeps its bonus as typed.

extern const char kAllCardTypes[]; // "所有会员卡"

struct TopUpTier
{
    qint64 thresholdCents = 0; // 充
    qint64 bonusCents = 0;     // 送
    double points = 0;         // 送积分
};

struct TopUpOffer
{
    bool ruled = false;       // the member's card type has tiers (its own or the shop's)
    bool found = false;       // the amount reaches one of them
    TopUpTier tier;
    QString cardType;         // whose tiers applied
    QString text() const;     // "充2000送200，送积分50"
};

class TopUpOffers
{
public:
    static QList<TopUpTier> tiers(const QString &cardType);
    // Replaces the card type's tiers as one transaction; the settings right is checked here.
    static LedgerResult setTiers(const QString &cardType, const QList<TopUpTier> &tiers, const QString &operatorName);
    static TopUpOffer offerFor(const QString &memberId, qint64 paidInCents);
    // Inside a top-up's transaction: fails it when the bonus is above the
    // tier without the settings right, and gives the tier's points.
    static bool applyInside(const TopUp &t, const QString &documentId);
    // Card types that have tiers, and the names the editor offers.
    static QStringList cardTypesOffered();
};

#endif
