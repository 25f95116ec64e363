#ifndef OWNERFIGURES_H
#define OWNERFIGURES_H

#include <QDate>
#include <QList>
#include <QVariant>
#include <QVector>
#include <QString>

// The figures a shop is run by, read from the rows the writers keep. A voided
// sale and its reversing document count nowhere; a repayment of an old debt is
// no visit. Money in cents. Periods are whole days, both inclusive.

// One employee's work in a period: the lines they were credited on (their
// commission rows), the money of those lines (a line with several employees
// counts for each of them), the customers, and the customers who asked for them
// by name (点单提成).
struct StylistFigures
{
    QString employeeId;
    QString name;
    qint64 takingsCents = 0;
    qint64 services = 0;
    qint64 customers = 0;
    qint64 requested = 0;
    double requestRate() const { return customers > 0 ? double(requested) / double(customers) : 0.0; }
};

// The customers of a period. A walk-in sale is one customer; a member is one
// however often they came. New: the member's first sale ever lies in the
// period; returning: an earlier one is on file. Came back within N days: a
// member whose first visit of the period was followed by another on a later
// day, at most N days after it.
struct CustomerFigures
{
    QDate from;
    QDate to;
    qint64 bills = 0;
    qint64 takingsCents = 0;      // 消费金额 of the bills
    qint64 realIncomeCents = 0;   // every payment but 储蓄卡, top-ups included (实际收入)
    qint64 customers = 0;
    qint64 members = 0;
    qint64 newMembers = 0;
    qint64 returningMembers = 0;
    qint64 back30 = 0;
    qint64 back60 = 0;
    qint64 back90 = 0;
    qint64 averageBillCents() const { return bills > 0 ? qRound64(double(takingsCents) / double(bills)) : 0; }
};

// A period against the one just before it and the same days a year earlier: months
// against as many months before (day for day), other periods against as many days
// before. A period running past today ends today.
struct PeriodComparison
{
    CustomerFigures now;
    CustomerFigures previous;
    CustomerFigures lastYear;
};

// What the shop owes one member at a moment: the stored value paid for and the
// bonus still on the card, and the prepaid uses not yet taken, valued at what
// was paid for them (as a package refund prices them).
struct MemberLiability
{
    QString memberId;
    QString name;
    qint64 paidCents = 0;
    qint64 bonusCents = 0;
    qint64 packageCents = 0;
    double usesLeft = 0;
    qint64 totalCents() const { return paidCents + bonusCents + packageCents; }
};

struct Liability
{
    QString asOf; // yyyy-MM-dd hh:mm:ss; empty: now
    QVector<MemberLiability> members;
    qint64 paidCents() const;
    qint64 bonusCents() const;
    qint64 packageCents() const;
    qint64 totalCents() const { return paidCents() + bonusCents() + packageCents(); }
};

// The liability at the end of a month, and how much it moved in that month.
struct LiabilityMonth
{
    QString month; // yyyy-MM
    qint64 paidCents = 0;
    qint64 bonusCents = 0;
    qint64 packageCents = 0;
    qint64 totalCents() const { return paidCents + bonusCents + packageCents; }
    qint64 changeCents = 0;
};

// Money given back: a void (作废) or a refund of stored value or of uses.
struct Reversal
{
    QString time;
    QString kind;        // 作废 / 退储值 / 退套餐
    QString documentId;
    QString originalId;  // the voided sale
    QString memberId;
    QString memberName;
    qint64 cents = 0;    // what left the shop's takings and the card, positive
    QString method;
    QString operatorName;
    QString authorizedBy;
    QString desk;
    QString reason;
};

// A customer to call after a service whose item asks for a follow-up (回访).
struct FollowUp
{
    QString dueDate;
    QString memberId;
    QString name;
    QString phone;
    QString itemId;
    QString itemName;
    QString servedAt;
    QString employee;
    QString saleId;
};

class OwnerFigures
{
public:
    static QList<StylistFigures> stylists(const QDate &from, const QDate &to);
    // The statement stylists() reads, and its values for a period.
    static QString stylistsStatement();
    static QVariantList stylistsValues(const QDate &from, const QDate &to);
    static CustomerFigures customers(const QDate &from, const QDate &to);
    static PeriodComparison compare(const QDate &from, const QDate &to);
    // asOf: a date-time "yyyy-MM-dd hh:mm:ss"; empty for now.
    static Liability liability(const QString &asOf = QString());
    // The months from `from`'s to `to`'s, each at its last second (the month
    // still running: now).
    static QList<LiabilityMonth> liabilityByMonth(const QDate &from, const QDate &to);
    // from and to complete date-times; a desk limits to its rows.
    static QList<Reversal> reversals(const QString &from, const QString &to, const QString &desk = QString());
    static QList<FollowUp> followUps(const QDate &from, const QDate &to);

    // The working lists the owner's page shows (dbset.xml "员工业绩", "客户分析",
    // "预收款", "预收款月度", "退款作废", "回访提醒"): emptied and filled with
    // figures read above. False when a row could not be written.
    static bool fillStylists(const QList<StylistFigures> &figures);
    static bool fillComparison(const PeriodComparison &p);
    static bool fillLiability(const Liability &l, const QList<LiabilityMonth> &months);
    static bool fillReversals(const QList<Reversal> &list);
    static bool fillFollowUps(const QList<FollowUp> &list);
};

#endif
