#ifndef BOOKINGWRITER_H
#define BOOKINGWRITER_H

#include "booking.h"
#include "ledgertypes.h"

// The only place the appointment book is written: a booking with its item
// lines, every change of it with its log row, one transaction each. The clash
// with another booking of the same stylist is looked for inside that
// transaction, so two desks booking one slot at once give one booking and one
// refusal that names the booking already there.
class BookingWriter
{
public:
    // A new booking; its number (yy…) comes back in documentId.
    static LedgerResult book(const Booking &booking);
    // The booking of booking.documentId with new items, times or customer.
    static LedgerResult change(const Booking &booking);
    // One item line to another start or stylist (the day view's drag).
    static LedgerResult move(const QString &bookingId, int line, const QString &employeeId, const QDateTime &start,
                             bool outsideHoursAccepted, const QString &operatorName);
    static LedgerResult arrive(const QString &bookingId, const QString &operatorName);
    static LedgerResult cancel(const QString &bookingId, const QString &reason, const QString &operatorName);
    static LedgerResult noShow(const QString &bookingId, const QString &operatorName);

    // Inside the sale's transaction: the booking becomes 已完成 with the sale.
    // Refused (the whole sale with it) when another desk has cancelled the
    // booking or already settled it.
    static bool completeWithSale(const QString &bookingId, const QString &saleId, const QString &operatorName);
    // Inside the transaction of holding a bill (挂单) made from the booking: the
    // customer was served and pays later, so a 已预约 booking becomes 已到店
    // (never a no-show). Refused (the hold with it) when another desk has
    // cancelled or settled it. `stateBefore` gets what it was, for giving up.
    static bool holdInBill(const QString &bookingId, const QString &heldId, const QString &operatorName,
                           QString *stateBefore);
    // Inside the transaction of throwing that held bill away: the booking is
    // what it was before the bill was held, unless another desk changed it since.
    static bool giveUpBill(const QString &bookingId, const QString &heldId, const QString &stateBefore,
                           const QString &operatorName);
    // Inside the void's transaction: the booking of that sale is 已到店 again.
    static bool reopenAfterVoid(const QString &saleId, const QString &operatorName);

    // The booking the item would overlap, in the cashier's words
    // ("发型师 王芳 14:00–15:00 已有预约：李娜 烫发"); empty when the time is free.
    // The lines of `ownBookingId` itself do not count (a booking's own items
    // are checked against each other before anything is read).
    static QString clashOf(const BookingItem &item, const QString &ownBookingId = QString());
    // What a booking asks that needs no database; empty when it may be written.
    static QString shapeRefusal(const Booking &booking);
};

#endif
