#ifndef CHARTREADS_H
#define CHARTREADS_H

#include <QList>
#include <QPair>
#include <QString>

// The figures behind the charts of 经营分析, each for a period of dates
// ("yyyy-MM-dd", both days whole; an empty text sets no limit), with the
// dates bound: (caption, value) in the order they are drawn.
using ChartSeries = QList<QPair<QString, double>>;

class ChartReads
{
public:
    // Takings per day without what the card paid, from the daily summaries.
    static ChartSeries takingsPerDay(const QString &from, const QString &to);
    // Per payment method under its name of today (代金卷 rows with 代金券), most first.
    static ChartSeries takingsPerMethod(const QString &from, const QString &to);
    // The ten services (with package uses) or products that brought the most.
    static ChartSeries topItems(const QString &from, const QString &to, bool products);
    // Commission is earned on sales and on card issues and top-ups.
    static ChartSeries commissionPerEmployee(const QString &from, const QString &to);
    // New members per week, the week named by its Monday.
    static ChartSeries newMembersPerWeek(const QString &from, const QString &to);
};

#endif
