#ifndef CARDUPGRADE_H
#define CARDUPGRADE_H

#include "ledgertypes.h"

#include <QList>
#include <QString>

// 会员卡升级: a member changes card type without losing the card. What is paid
// is takings like a top-up; the card value the new type adds is credited to
// the balance, the part of it not paid for recorded as bonus; points as a card
// issue gives them. The new type's discounts apply from the next sale. Every
// change of type is kept in huiyuankabiandong.

// The shop's rule (dianpushezhi 会员卡升级计价): "补差价" (default) charges the
// difference of the two prices and credits the difference of the two card
// values; "新卡全价" charges the new card's price and credits its whole value.
extern const char kUpgradeRuleSetting[];

struct CardUpgradeQuote
{
    bool ok = false;
    QString error;           // why no upgrade can be quoted
    QString memberName;
    QString oldType;
    QString newType;
    QString rule;            // 补差价 / 新卡全价
    bool downgrade = false;  // to a cheaper card: needs the settings right, nothing paid or credited
    qint64 dueCents = 0;     // what the member pays
    qint64 valueCents = 0;   // credited to the card
    qint64 bonusCents = 0;   // the part of the value not paid for
    double points = 0;
    QString discounts;       // the new type's factors, as the cashier reads them
};

struct CardUpgrade
{
    QString memberId;
    QString fromType;        // the type the dialog showed: another desk may have changed it since
    QString newType;
    qint64 dueCents = 0;     // the amount the dialog showed: the writer's own quote must agree
    qint64 receivedCents = 0;
    QString method;
    QString employee;
    QString remark;
    QString operatorName;
};

class CardUpgrades
{
public:
    static CardUpgradeQuote quote(const QString &memberId, const QString &newType);
    static LedgerResult upgrade(const CardUpgrade &u);

    struct Change
    {
        QString documentId, date, fromType, toType, operatorName, remark;
        qint64 dueCents = 0, valueCents = 0, receivedCents = 0;
    };
    // The member's card types over time, newest first.
    static QList<Change> history(const QString &memberId);
    // Every card type's name, in the order of the card type list.
    static QStringList cardTypes();
};

#endif
