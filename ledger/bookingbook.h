#ifndef BOOKINGBOOK_H
#define BOOKINGBOOK_H

#include "booking.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantList>

// What the appointment book holds, read as values: a day of the shop, a week
// of one stylist, a member's bookings, what comes up next.
struct MemberBookings
{
    QString nextText;   // "12-10 14:00 王芳 烫发"; empty without a coming booking
    QString nextId;
    int noShows = 0;
};

// One stylist's figures over a period (the owner's utilisation list).
struct StylistUse
{
    QString employeeId;
    QString name;
    int workingMinutes = 0;
    int bookedMinutes = 0;   // bookings that held the time: booked, arrived, done
    int kept = 0;            // 已完成
    int cancelled = 0;
    int noShows = 0;
    qint64 bookedSalesCents = 0;  // lines credited to the stylist in sales that came from a booking
    qint64 walkInSalesCents = 0;  // in other sales
};

struct BookableItem
{
    QString id;
    QString name;
    int minutes = 60; // the item's service time; an hour when it has none
};

class BookingBook
{
public:
    // The service items that may be booked (not disabled), by code.
    static QList<BookableItem> serviceItems();
    // Members whose card number, phone or name is the text: ID, name, phone, card type.
    static QList<QStringList> findMembers(const QString &text);
    // The member's record as the front desk holds it: ID, name, type, birthday,
    // jiaofeijinE, shengyujine, phone, jifen, guwenrenyuan; empty when there is none.
    static QStringList memberRecord(const QString &memberId);
    // Every item line starting that day, with its booking; cancelled ones too.
    static QList<BookingBlock> day(const QDate &date);
    // The lines of one stylist from `from` for `days` days.
    static QList<BookingBlock> stylist(const QString &employeeId, const QDate &from, int days);
    static bool find(const QString &bookingId, BookingRecord *out);
    // Still to come (已预约 or 已到店), starting in [from, to).
    static QList<BookingBlock> upcoming(const QDateTime &from, const QDateTime &to);
    static MemberBookings member(const QString &memberId, const QDateTime &now);
    // The same two figures as columns of a statement over the member h (the
    // no-shows, then nextText or NULL), with their values in the order they
    // are bound: the front desk reads them with the member, in one statement.
    static QString memberColumns();
    static QVariantList memberColumnValues(const QDateTime &now);
    static QList<StylistUse> utilisation(const QDate &from, const QDate &to);
    // The booking's log, oldest first: time, operator, action, state, text.
    static QList<QStringList> history(const QString &bookingId);
};

#endif
