#ifndef HELDBILLS_H
#define HELDBILLS_H

#include "ledgertypes.h"

#include <QList>
#include <QString>

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
};

// Held bills: a checkout's open basket put aside in the shop's own tables, so
// that it outlives the program and any desk of the shop can take it up again.
// Holding empties the basket and resuming fills one, each in one transaction;
// a bill is resumed once, whichever desk asks first.
class HeldBills
{
public:
    // Moves the basket's lines and commission rows into a new held bill.
    static LedgerResult hold(const QString &basketId, const QString &memberId, const QString &memberName,
                             const QString &operatorName);
    // Moves the held bill into the (empty) basket; refused when another desk
    // resumed or discarded it first.
    static LedgerResult resume(const QString &heldId, const QString &basketId, const QString &operatorName);
    // Throws a held bill away (nothing was ever charged for it), allowed by an
    // operator who may authorise refunds; the log row keeps the bill's member,
    // amount and lines.
    static LedgerResult discard(const QString &heldId, const QString &operatorName, const QString &authorizedBy);

    static bool find(const QString &heldId, HeldBill *bill);
    static int count();
};

#endif
