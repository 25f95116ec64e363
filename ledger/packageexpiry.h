#ifndef PACKAGEEXPIRY_H
#define PACKAGEEXPIRY_H

#include "ledgertypes.h"

#include <QDate>
#include <QList>
#include <QString>

// 有效期 of a member's package uses: each huiyuantaocan row carries the date
// its uses run out (daoqiriqi, yyyy-MM-dd; empty for none). Buying uses of a
// package (card issue, renewal) moves it to today + the package's days when
// that is later. A use after the date is refused unless the shop allows it
// (dianpushezhi 过期套餐允许使用 = 是) or an authoriser extended it.

extern const char kExpiredUseSetting[];  // 过期套餐允许使用: 是 / 否
extern const char kExpiryNoticeSetting[]; // 套餐到期提醒天数: days ahead 每日提醒's 套餐到期 lists (30 unless set)

struct HeldPackageItem
{
    QString itemId, itemName, expiry;
    double usesLeft = 0;
};

class PackageExpiry
{
public:
    // The reminder periods the shop may choose, in days.
    static QList<int> noticeChoices() { return {7, 15, 30, 60, 90}; }
    // The days of a package's validity as typed ("365", "365天", "1年", "6个月"); 0: none.
    static int daysOf(const QString &validity);
    // The longest validity among the packages that contain the item (a
    // renewal knows its items, not the package they were picked from).
    static int daysForItem(const QString &itemId);
    static int daysForPackage(const QString &packageId);

    // Inside an operation's transaction: the item's expiry is at least today + days.
    static bool extendInside(const QString &memberId, const QString &itemId, int days);
    // Inside a sale's transaction: fails it when the item's uses have expired
    // and the shop does not allow their use.
    static bool checkUseInside(const QString &memberId, const QString &itemId);
    // Why the member may not use the item's uses today; empty when they may
    // (the window asks before a line is added, the sale asks again inside).
    static QString whyNot(const QString &memberId, const QString &itemId);
    // Whether a date of daoqiriqi has passed (today is still good).
    static bool isPast(const QString &expiry);

    static QString expiry(const QString &memberId, const QString &itemId);
    // A new date set by an authoriser (settings right), with a log row and a
    // ledger note of the member.
    static LedgerResult extend(const QString &memberId, const QString &itemId, const QDate &until,
                               const QString &authoriser, const QString &operatorName);
    static int noticeDays();
    static bool expiredUseAllowed();
    // The two settings at once, with the settings right of the operator.
    static LedgerResult setSettings(bool allowExpiredUse, int noticeDays, const QString &operatorName);
    // The member's package items, with what is left and until when.
    static QList<HeldPackageItem> itemsOf(const QString &memberId);
};

#endif
