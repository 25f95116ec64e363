#ifndef BOOKING_H
#define BOOKING_H

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// The appointment book as plain values. A booking is one customer's visit:
// one or more service items, each with its stylist and start; the booking
// writer is the only place its rows are written.

namespace BookingState {
extern const char kBooked[];    // 已预约
extern const char kArrived[];   // 已到店
extern const char kDone[];      // 已完成 (with its sale)
extern const char kCancelled[]; // 已取消 (with its reason)
extern const char kNoShow[];    // 爽约
QString text(const char *state); // the state as a QString
// Whether a booking in this state still holds its stylists' time.
bool holdsTime(const QString &state);
} // namespace BookingState

// Sources a booking is taken from.
extern const char kBookingSources[]; // "电话、到店、其他"

struct BookingItem
{
    QString itemId;
    QString itemName;
    QString employeeId;
    QDateTime start;     // to the minute
    int minutes = 60;    // from the item's service time, editable

    QDateTime end() const { return start.addSecs(qint64(minutes) * 60); }
};

struct Booking
{
    QString documentId;   // yy…; empty for a new booking
    QString memberId;     // a member's ID, or "0000" for a walk-in (name and phone below)
    QString customerName;
    QString phone;
    QList<BookingItem> items;
    QString source;       // 电话 / 到店 / 其他
    QString remark;
    QString operatorName;
    QString desk;         // the desk that took it; this desk's name when empty
    // The cashier was told the time lies outside the stylist's or the shop's
    // hours and booked it all the same.
    bool outsideHoursAccepted = false;
};

// A booking as it stands in the book.
struct BookingRecord
{
    Booking booking;
    QString state;
    QString saleId;        // the sale it became (已完成)
    QString cancelReason;  // 已取消
    QString createdAt;     // yyyy-MM-dd hh:mm:ss
};

// One item line of a booking as the day view shows it.
struct BookingBlock
{
    QString bookingId;
    int line = 0;
    QString memberId;
    QString customerName;
    QString phone;
    QString itemId;
    QString itemName;
    QString employeeId;
    QDateTime start;
    int minutes = 0;
    QString state;
    QString saleId;
    QString remark;
    bool birthdaySoon = false;   // the member's birthday is within the coming week
    bool packageRunningOut = false; // the member holds 2 uses or fewer of a package item
};

// A stylist's working time on one day.
struct WorkingDay
{
    QString employeeId;
    QString name;
    QString type;
    bool working = false;
    QString start;   // hh:mm
    QString end;     // hh:mm
    QString note;    // 休息 / 调班 when the day was changed
};

#endif
