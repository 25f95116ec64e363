#ifndef BOOKINGCHECKOUT_H
#define BOOKINGCHECKOUT_H

#include "basket.h"
#include "ledgertypes.h"

#include <QString>

// What a booking brings into its checkout: one line per booked item, the
// item's stylist credited on it (点单提成 under the item's rule). A use of the
// member's package is taken first where the member still holds uses of the
// item; otherwise the item is priced as the line editor prices it: the
// promotion for the card type, else the card's service discount.
class BookingCheckout
{
public:
    // Refused when the booking cannot be settled (cancelled, already done,
    // another customer's) or a line cannot be added; the basket is then left empty.
    static LedgerResult fill(Basket &basket, const QString &bookingId, const QString &memberId,
                             const QString &cardName, const QString &operatorName);
};

#endif
