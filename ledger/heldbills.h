#ifndef HELDBILLS_H
#define HELDBILLS_H

#include "ledgertypes.h"

#include <QList>
#include <QString>
#include <QStringList>

// A held bill (挂单) as the list of held bills shows it.
struct HeldBill
{
    QString id;
    QString memberId;
    QString memberName;
    QString time;
    qint64 cents = 0; // money lines, package uses not counted
    qint64 uses = 0;  // package uses
    QString operatorName;
    QString takenBy;   // the checkout (its basket) working on it now; empty when free
    QString takenDesk;
    QString takenAt;
    QString bookingId; // the booking (预约) the bill was rung up from; empty for none
};

// What changed between holding a bill and taking it up again: the lines are
// priced again for the member's card type of now, and package uses spent
// meanwhile are no longer in it.
struct ResumeChanges
{
    struct Price
    {
        QString name;
        qint64 quantity = 0;
        qint64 heldUnitCents = 0;
        qint64 nowUnitCents = 0;
    };
    QList<Price> prices;
    QStringList usesShort; // one sentence per package item that no longer has the uses
    QStringList gone;      // items no longer sold: kept at the held price
    qint64 heldCents = 0;
    qint64 nowCents = 0;

    bool isEmpty() const { return prices.isEmpty() && usesShort.isEmpty() && gone.isEmpty(); }
    // The cashier's message; empty when nothing changed.
    QString text() const;
};

// Held bills: a checkout's open basket put aside in the shop's own tables, so
// that it outlives the program and any desk of the shop can take it up again.
// Taking it up marks the bill as this checkout's instead of deleting it: it
// goes only when the sale is written, when it is held again or discarded. A
// bill whose checkout died (its desk started again, or it gave no sign of life
// for kTakenTimeoutSecs) is offered again; a sale removes the bill in its own
// transaction, so one bill is never sold twice.
class HeldBills
{
public:
    static constexpr int kTakenTimeoutSecs = 600;
    static constexpr int kKeepAliveSecs = 60;

    // Moves the basket's lines and commission rows into a new held bill. When
    // the basket came from a held bill (`replaces`), that one goes in the same
    // transaction; refused when another checkout has taken it meanwhile.
    // A bill rung up from a booking (`bookingId`, or the one `replaces` kept)
    // keeps it: whoever sells the bill settles the booking, and throwing the
    // bill away gives the booking back as it was.
    static LedgerResult hold(const QString &basketId, const QString &memberId, const QString &memberName,
                             const QString &operatorName, const QString &replaces = QString(),
                             const QString &bookingId = QString());
    // Copies the held bill into the (empty) basket and marks it taken by it,
    // priced again for the member's card type of now; refused when another
    // checkout has it or it was discarded.
    // `checkoutMember`: the member the checkout sells to; a bill from a
    // booking is refused to any other.
    static LedgerResult resume(const QString &heldId, const QString &basketId, const QString &operatorName,
                               ResumeChanges *changes = nullptr, const QString &checkoutMember = QString());
    // Throws a held bill away (nothing was ever charged for it), allowed by an
    // operator who may authorise it; refused while another living checkout has
    // it. `basketId`: the checkout that took it, if any. The log row keeps the
    // bill's member, amount and lines.
    static LedgerResult discard(const QString &heldId, const QString &operatorName, const QString &authorizedBy,
                                const QString &basketId = QString());
    // The checkout working on the bill is still alive.
    static bool keepTaken(const QString &heldId, const QString &basketId);
    // The checkout closed without selling, holding or discarding it: the bill
    // is offered again as it was held.
    static bool release(const QString &heldId, const QString &basketId);
    // At start: what this desk's checkouts had taken when the program ended
    // is offered again. Returns how many bills.
    static int releaseDesk(const QString &desk);
    // Inside the sale's transaction: removes the bill the basket took; fails
    // the transaction when another checkout has it or it is gone.
    static bool removeSold(const QString &heldId, const QString &basketId);
    // The booking a held bill was rung up from; empty for none.
    static QString bookingOf(const QString &heldId);
    // The held bill that holds the booking; empty for none.
    static QString holding(const QString &bookingId);

    static bool find(const QString &heldId, HeldBill *bill);
    static int count();
};

#endif
