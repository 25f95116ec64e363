#include "takingsread.h"

#include "amounts.h"
#include "ledgersql.h"
#include "summarybook.h"

#include <QMap>
#include <algorithm>

namespace {

const QString kCard = QStringLiteral("储蓄卡");

qint64 sumOf(const QList<MethodTakings> &lines)
{
    qint64 total = 0;
    for (const MethodTakings &l : lines)
        total += l.cents;
    return total;
}

// One statement per source, written for both engines: the period and the
// desk bound, the order made here so that it does not depend on a collation.
QList<MethodTakings> perMethod(const QString &table, const QString &method, const QString &amount,
                               const QString &time, const QString &from, const QString &to, const QString &desk)
{
    QString sql = QStringLiteral("select %1, CAST(ROUND(coalesce(sum(%2),0)*100) AS BIGINT) from %3 where %4>=? "
                                 "and %4<=?")
                      .arg(method, amount, table, time);
    QVariantList values{from, to};
    if (!desk.isEmpty()) {
        sql += QStringLiteral(" and (shouyintai=? or coalesce(shouyintai,'')='')");
        values << desk;
    }
    sql += QStringLiteral(" group by %1").arg(method);
    QList<MethodTakings> out;
    for (const QVariantList &r : LedgerSql::rows(sql, values))
        out << MethodTakings{r.value(0).toString(), r.value(1).toLongLong()};
    std::sort(out.begin(), out.end(),
              [](const MethodTakings &a, const MethodTakings &b) { return a.method < b.method; });
    return out;
}

// Lines of one method once, under its name as it is spelt now, in method order.
QList<MethodTakings> underTodaysNames(const QList<MethodTakings> &lines)
{
    QMap<QString, qint64> merged;
    for (const MethodTakings &l : lines)
        merged[TakingsRead::methodName(l.method)] += l.cents;
    QList<MethodTakings> out;
    for (auto it = merged.cbegin(); it != merged.cend(); ++it)
        out << MethodTakings{it.key(), it.value()};
    return out;
}

} // namespace

QString TakingsRead::methodName(const QString &stored)
{
    // Older versions wrote 代金券 as 代金卷: the same vouchers.
    return stored == QStringLiteral("代金卷") ? QStringLiteral("代金券") : stored;
}

QStringList TakingsRead::storedNames(const QString &method)
{
    if (method == QStringLiteral("代金券"))
        return {method, QStringLiteral("代金卷")};
    return {method};
}

qint64 Takings::paymentsCents() const
{
    return sumOf(payments);
}

qint64 Takings::salesCents() const
{
    return sumOf(sales);
}

QList<MethodTakings> Takings::byMethod() const
{
    QMap<QString, qint64> merged;
    for (const MethodTakings &l : payments)
        merged[l.method] += l.cents;
    for (const MethodTakings &l : sales)
        merged[l.method] += l.cents;
    QList<MethodTakings> out;
    for (auto it = merged.cbegin(); it != merged.cend(); ++it)
        out << MethodTakings{it.key(), it.value()};
    return out;
}

qint64 Takings::totalCents() const
{
    return paymentsCents() + salesCents();
}

qint64 Takings::virtualCents() const
{
    return methodCents(kCard);
}

qint64 Takings::realCents() const
{
    return totalCents() - virtualCents();
}

qint64 Takings::methodCents(const QString &method) const
{
    qint64 total = 0;
    for (const MethodTakings &l : payments)
        if (l.method == method)
            total += l.cents;
    for (const MethodTakings &l : sales)
        if (l.method == method)
            total += l.cents;
    return total;
}

Takings TakingsRead::period(const QString &from, const QString &to, const QString &desk)
{
    Takings t;
    if (desk.isEmpty()) {
        // The whole shop: whole days from the daily summaries, the hours around
        // them from the records, so a year reads a row a day and method.
        QVariantList bounds;
        const QString sql = QStringLiteral("select laiyuan, fangshi, CAST(ROUND(coalesce(sum(jine),0)*100) AS BIGINT) "
                                           "from (")
                            + SummaryBook::takingsSource(from, to, &bounds)
                            + QStringLiteral(") s group by laiyuan, fangshi order by laiyuan, fangshi");
        for (const QVariantList &r : LedgerSql::rows(sql, bounds)) {
            const MethodTakings line{r.value(1).toString(), r.value(2).toLongLong()};
            if (r.value(0).toString() == QStringLiteral("交费"))
                t.payments << line;
            else
                t.sales << line;
        }
        t.payments = underTodaysNames(t.payments);
        t.sales = underTodaysNames(t.sales);
        return t;
    }
    t.payments = underTodaysNames(perMethod(QStringLiteral("huiyuanjiaofei"), QStringLiteral("fukuanleixing"),
                                            QStringLiteral("shifujine"), QStringLiteral("jiaofeiriqi"), from, to, desk));
    t.sales = underTodaysNames(perMethod(QStringLiteral("huiyuanxiaofei"), QStringLiteral("fukuanfangshi"),
                                         QStringLiteral("shishoujine"), QStringLiteral("xiaofeiriqi"), from, to, desk));
    return t;
}
