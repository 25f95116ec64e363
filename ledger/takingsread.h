#ifndef TAKINGSREAD_H
#define TAKINGSREAD_H

#include <QList>
#include <QString>
#include <QStringList>

// What one payment method took in a period.
struct MethodTakings
{
    QString method;
    qint64 cents = 0;
};

// The takings of a period, as 综合统计 and the shift handover show them.
// Payments into cards (huiyuanjiaofei.shifujine) and consumption receipts
// (huiyuanxiaofei.shishoujine) are both takings; money paid from the card
// balance ("储蓄卡") was taken at top-up time, so it is virtual income, never
// real income.
struct Takings
{
    QList<MethodTakings> payments; // into cards, per method, in method order
    QList<MethodTakings> sales;    // consumption receipts, per method

    qint64 paymentsCents() const;
    qint64 salesCents() const;
    // Both sources together, per method (收银总计's lines).
    QList<MethodTakings> byMethod() const;
    qint64 totalCents() const;
    qint64 realCents() const;    // every method but 储蓄卡
    qint64 virtualCents() const; // 储蓄卡
    qint64 methodCents(const QString &method) const;
};

class TakingsRead
{
public:
    // from and to are complete date-times, both inclusive. With a desk, only
    // the rows that desk wrote, and those written before rows carried a desk
    // (an older program's), count.
    static Takings period(const QString &from, const QString &to, const QString &desk = QString());
    // A payment method as it is shown and counted: rows of older versions
    // spelt 代金券 as 代金卷. And the other way: the stored names a method is
    // found under.
    static QString methodName(const QString &stored);
    static QStringList storedNames(const QString &method);
};

#endif
