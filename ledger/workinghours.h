#ifndef WORKINGHOURS_H
#define WORKINGHOURS_H

#include "booking.h"
#include "ledgertypes.h"

#include <QDate>
#include <QList>
#include <QString>

// When the shop is open and when each stylist works: weekly hours per
// employee, and single days changed (休息: a day off; 调班: other hours that
// day). An employee without weekly hours works the shop's hours every day.
struct WeeklyHours
{
    int weekday = 1;  // 1 = Monday … 7 = Sunday
    QString start;    // hh:mm
    QString end;      // hh:mm
};

// The shop's opening hours, read together.
struct ShopHours
{
    QString opens = QStringLiteral("09:00");
    QString closes = QStringLiteral("21:00");
};

class WorkingHours
{
public:
    static ShopHours shopHours(); // one read; 09:00–21:00 unless set
    static QString shopOpens();   // hh:mm, 09:00 unless set
    static QString shopCloses();  // hh:mm, 21:00 unless set
    // The writers below need an operator (login name) holding the settings right.
    static LedgerResult setShopHours(const QString &opens, const QString &closes, const QString &operatorName);

    static QList<WeeklyHours> weekly(const QString &employeeId);
    // Replaces the employee's weekly hours; an empty list: the shop's hours every day.
    static LedgerResult setWeekly(const QString &employeeId, const QList<WeeklyHours> &hours,
                                  const QString &operatorName);
    // kind 休息 (start and end not used), 调班 (other hours), or empty to undo the change.
    static LedgerResult setDay(const QString &employeeId, const QDate &date, const QString &kind,
                               const QString &start, const QString &end, const QString &operatorName);

    // Every employee not disabled, in the order of their numbers, with the day's hours.
    static QList<WorkingDay> day(const QDate &date);
    static QList<WorkingDay> day(const QDate &date, const ShopHours &hours);
    // The same for `count` days from `from`, one list per day: three reads
    // whatever the number of days. `employeeId`: that employee only.
    static QList<QList<WorkingDay>> days(const QDate &from, int count, const ShopHours &hours,
                                         const QString &employeeId = QString());
    static WorkingDay dayOf(const QString &employeeId, const QDate &date);

    // Why the item lies outside the shop's or its stylist's hours; empty when it does not.
    static QString outsideHours(const BookingItem &item);
    // Whether the text is a time of day hh:mm.
    static bool isTime(const QString &text);
};

#endif
