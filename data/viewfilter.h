#ifndef VIEWFILTER_H
#define VIEWFILTER_H

#include <QString>
#include <QStringList>
#include <QVariantList>

// Conditions for a list, each with its values bound (one ? per value): what a
// person types never becomes part of the statement's text. The conditions are
// joined with "and" after the list's fixed conditions; its grouping follows.
struct ViewFilter
{
    QStringList conditions;
    QVariantList values;
    // The date column, when the filter is a period of it and nothing else: such
    // totals can come from the daily summaries.
    QString periodOf;
    // Set by a ranking whose conditions are a period of memberPeriodOf (first,
    // when there is one) and conditions on the member's own row alone: such a
    // list can be read from the sales per member and day.
    bool memberSummary = false;
    QString memberPeriodOf;

    ViewFilter() = default;
    explicit ViewFilter(const QString &condition, const QVariantList &bound = {}) { where(condition, bound); }

    ViewFilter &where(const QString &condition, const QVariantList &bound = {})
    {
        if (!condition.trimmed().isEmpty()) {
            conditions << condition;
            values << bound;
            periodOf.clear();
            memberSummary = false;
        }
        return *this;
    }
    ViewFilter &operator+=(const ViewFilter &other)
    {
        if (isEmpty()) {
            periodOf = other.periodOf;
            memberSummary = other.memberSummary;
            memberPeriodOf = other.memberPeriodOf;
        } else if (!other.isEmpty()) {
            periodOf.clear();
            memberSummary = false;
        }
        conditions << other.conditions;
        values << other.values;
        return *this;
    }
    friend ViewFilter operator+(ViewFilter a, const ViewFilter &b) { return a += b; }
    bool isEmpty() const { return conditions.isEmpty(); }
    // "(c1) and (c2)": an "or" inside a condition stays inside it.
    QString text() const
    {
        QStringList parts;
        for (const QString &c : conditions)
            parts << QStringLiteral("(") + c + QStringLiteral(")");
        return parts.join(QStringLiteral(" and "));
    }
};

#endif
