#ifndef BOOKINGTESTKIT_H
#define BOOKINGTESTKIT_H

// Shared by the appointment book's test programs: a booking of one item as
// the desk takes it on the phone, for a member or a walk-in (李娜).

#include <QDateTime>

#include "booking.h"
#include "bookingwriter.h"
#include "ledgertypes.h"

inline Booking oneItemBooking(const QString &member, const QString &item, const QString &employee,
                              const QDateTime &start, int minutes = 60)
{
    Booking b;
    b.memberId = member;
    if (member == QLatin1String(kWalkInId)) {
        b.customerName = QStringLiteral("李娜");
        b.phone = QStringLiteral("13900000000");
    }
    BookingItem i;
    i.itemId = item;
    i.employeeId = employee;
    i.start = start;
    i.minutes = minutes;
    b.items << i;
    b.source = QStringLiteral("电话");
    b.operatorName = QStringLiteral("admin");
    return b;
}

// Written through the writer; its number, empty (and a warning) when refused.
inline QString bookOne(const Booking &b)
{
    const LedgerResult r = BookingWriter::book(b);
    if (!r.ok)
        qWarning("booking refused: %s", qPrintable(r.error));
    return r.documentId;
}

#endif
