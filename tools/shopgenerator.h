#ifndef SHOPGENERATOR_H
#define SHOPGENERATOR_H

#include <QDate>
#include <QString>

// Fills the open database (Qt's default connection, tables already created from
// dbset.xml) with a shop that has been working for a while: catalogue, staff,
// rules, members with cards and packages, and a history of sales, top-ups,
// renewals, repayments, voids, refunds of balances and of package uses, stock
// documents and shift handovers. Every operation
// writes the rows the program itself writes for it, so the balances, uses and
// points of every member agree with their ledgers.
//
// The same seed, scale and end date give the same database.
struct ShopScale
{
    QString name;
    int members = 0;
    int days = 0;          // length of the history, ending on the end date
    int sales = 0;
    int topups = 0;
    int renewals = 0;
    int serviceItems = 0;
    int products = 0;
    int employees = 0;

    // "demo", "large", "2x", "4x" (multiples of large) or "Nx"; false when unknown.
    static bool fromName(const QString &name, ShopScale *out);
};

struct ShopCounts
{
    qint64 members = 0, sales = 0, saleLines = 0, headerRows = 0, topups = 0, renewals = 0,
           repayments = 0, handovers = 0, ledgerRows = 0, pointRows = 0, logRows = 0,
           bookings = 0, voids = 0, balanceRefunds = 0, packageRefunds = 0,
           visitNotes = 0, cardUpgrades = 0, redemptions = 0, vouchers = 0,
           voucherPayments = 0;
};

class ShopGenerator
{
public:
    ShopGenerator(const ShopScale &scale, quint64 seed, const QDate &endDate);

    // Runs in one transaction; on failure nothing is left behind and *error says why.
    bool run(QString *error = nullptr);
    const ShopCounts &counts() const { return m_counts; }

    // The time of the last day's events stops here (so a shop generated this
    // morning holds no sales from this afternoon); -1 = the whole day.
    void setLastDayEndsAt(int secondsOfDay) { m_lastDayEnd = secondsOfDay; }

    // Drops the report indexes that no writer of the history reads by and whose
    // keys come in no order, so that they are built once from the finished rows
    // (by createTables(), as for any shop that lacks them) instead of row by row.
    static bool setReportIndexesAside();

private:
    ShopScale m_scale;
    quint64 m_seed;
    QDate m_end;
    int m_lastDayEnd = -1;
    ShopCounts m_counts;
};

#endif
