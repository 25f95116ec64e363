#ifndef PACKAGEDRAFT_H
#define PACKAGEDRAFT_H

#include <QList>
#include <QString>

// The package items a card issue or a package renewal is about to sell, in the
// connection's own working table (temphuiyuantaocan) while the dialog is open:
// the items the member holds, or a package's items, and what is added to them.
// The sale itself is written by MemberWriter from itemsToBuy().
namespace PackageDraft {

struct Item
{
    QString itemId;
    QString name;   // the catalogue's name, else the name the row was added with
    double uses = 0; // bought now
};

// Empties the draft (a dialog's left-overs must never be sold again).
void clear();
// A renewal: the member's items with the uses left, nothing bought yet.
void listHeld(const QString &memberId);
// A card issue with a package: every item the package holds (also one no
// longer in the catalogue), bought with it at the catalogue's price.
void listPackage(const QString &memberId, const QString &packageId);
// A package chosen for a renewal: its items at the package's prices.
bool addPackage(const QString &memberId, const QString &packageId);
// One item bought by hand: uses at a price, for a total.
bool addItem(const QString &memberId, const QString &itemId, const QString &name, double listPrice,
             double uses, double unitPrice, double total);

// The package's price as stored ("0" when it has none).
QString packagePrice(const QString &packageId);
// The last row so far, and the charge of the first row added after it (every
// line of a package carries the package's price): false when none was added.
qint64 lastRow();
bool chargeAfter(qint64 row, double *charge);

bool anyUsesToBuy();
// The items bought, one per item, with their uses summed.
QList<Item> itemsToBuy();

} // namespace PackageDraft

#endif
