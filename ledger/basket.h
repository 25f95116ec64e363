#ifndef BASKET_H
#define BASKET_H

#include "ledgertypes.h"

#include <QString>

// The checkout's open basket: its lines, their commission rows and the package
// uses it will take. It lives in the connection's own TEMP tables and every
// row carries the checkout's sale ID, so two desks on one shop file, or a
// basket left by a crash, never mix with this one. The program keeps a copy
// of the rows too: a shop server's lost connection takes the TEMP tables with
// it, and the basket is written back on the new one.
// The sums the checkout shows, read together in one statement.
struct BasketTotals
{
    qint64 servicesCents = 0; // 服务项目 lines
    qint64 productsCents = 0; // 产品 lines
    qint64 moneyCents = 0;    // every line other than package uses
    qint64 uses = 0;          // package uses
    int moneyLines = 0;       // lines other than package uses
};

class Basket
{
public:
    explicit Basket(const QString &saleId);
    Basket(const Basket &other);
    Basket &operator=(const Basket &other);
    ~Basket();

    const QString &saleId() const { return m_saleId; }

    // Empties this basket and lists the member's package items with the uses left.
    void open(const QString &memberId);
    void clear();
    // Empties the basket and the member's package list: the checkout is closing.
    void close();

    // Adds a priced line. A package use is refused when the member holds fewer
    // uses than the lines already in the basket plus this one.
    LedgerResult addLine(const SaleLine &line);
    // Deletes that one line and its own commission rows.
    bool removeLine(const QString &lineKey);

    bool addCommission(const QString &lineKey, const QString &itemId, const QString &itemName,
                       const CommissionRow &row);
    bool removeCommission(const QString &lineKey, const QString &employeeId);
    void dropCommissions(const QString &lineKey);
    // Proportional commission follows the line's amount: called whenever the
    // price or the quantity changes, and when the line is stored.
    void rescaleCommissions(const QString &lineKey, qint64 amountCents);
    QList<CommissionRow> commissions(const QString &lineKey) const;

    qint64 usesLeft(const QString &itemId) const;     // held by the member, as listed at opening
    qint64 usesPending(const QString &itemId) const;  // already in this basket
    double quantityOf(const QString &type, const QString &itemId) const; // lines of that kind and item

    bool isEmpty() const;
    qint64 moneyCents(const QString &type = QString()) const; // lines other than package uses
    qint64 usesTotal() const;
    int moneyLineCount() const; // lines other than package uses
    BasketTotals totals() const; // the four above at once

    // The basket as a value for the sale writer.
    Sale toSale() const;

    // Counts the package uses in the basket again (after lines came in from
    // elsewhere, such as a resumed held bill).
    void recountUses() { refreshUses(); }

private:
    void refreshUses();
    // The program's own copy of the basket's rows, written back after a
    // reconnect (see ShopLink).
    bool keep(); // false when the rows could not be read: the last copy stays
    void hold();
    void release();
    QString m_saleId;
    QString m_memberId;
};

#endif
