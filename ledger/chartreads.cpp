#include "chartreads.h"

#include "ledgersql.h"
#include "ledgertypes.h"
#include "takingsread.h"

#include <QDate>
#include <QMap>
#include <QVariantList>

#include <algorithm>

namespace {
// " and column>=? and column<=?" for the limits given, their values appended.
QString within(const QString &column, const QString &from, const QString &to, QVariantList *values,
               bool wholeDays = true)
{
    QString s;
    if (!from.isEmpty()) {
        s += QStringLiteral(" and ") + column + QStringLiteral(">=?");
        *values << from;
    }
    if (!to.isEmpty()) {
        s += QStringLiteral(" and ") + column + QStringLiteral("<=?");
        *values << (wholeDays ? to + QStringLiteral(" 23:59:59") : to);
    }
    return s;
}

ChartSeries seriesOf(const QString &sql, const QVariantList &values)
{
    ChartSeries out;
    for (const QVariantList &row : LedgerSql::rows(sql, values))
        out << qMakePair(row.value(0).toString(), row.value(1).toDouble());
    return out;
}

// The daily summaries keep whole days under their date.
QString summaryDays(const QString &from, const QString &to, QVariantList *values)
{
    return within(QStringLiteral("riqi"), from.left(10), to.left(10), values, false);
}
} // namespace

ChartSeries ChartReads::takingsPerDay(const QString &from, const QString &to)
{
    QVariantList values{QString::fromUtf8(kCardMethod)};
    const QString sql = QStringLiteral("select riqi, round(sum(jine_fen)/100.0,2) from rihuizong_shouyin "
                                       "where fangshi<>?")
        + summaryDays(from, to, &values) + QStringLiteral(" group by riqi order by riqi");
    return seriesOf(sql, values);
}

ChartSeries ChartReads::takingsPerMethod(const QString &from, const QString &to)
{
    QVariantList values;
    const QString sql = QStringLiteral("select coalesce(fangshi,''), round(sum(jine_fen)/100.0,2) from rihuizong_shouyin "
                                       "where 1=1")
        + summaryDays(from, to, &values)
        + QStringLiteral(" group by fangshi having sum(jine_fen)<>0 order by sum(jine_fen) desc, fangshi");
    ChartSeries out;
    for (const auto &m : seriesOf(sql, values)) {
        const QString name = TakingsRead::methodName(m.first);
        auto it = std::find_if(out.begin(), out.end(), [&name](const auto &o) { return o.first == name; });
        if (it == out.end())
            out << qMakePair(name, m.second);
        else
            it->second += m.second;
    }
    std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    return out;
}

ChartSeries ChartReads::topItems(const QString &from, const QString &to, bool products)
{
    QVariantList values;
    QString kinds;
    if (products) {
        kinds = QStringLiteral("(?)");
        values << QStringLiteral("产品");
    } else {
        kinds = QStringLiteral("(?,?)");
        values << QStringLiteral("服务项目") << QStringLiteral("套餐消费");
    }
    const QString sql = QStringLiteral("select max(a.name), round(sum(a.jine),2) from xiaofeimingxi a "
                                       "where a.xiaofeileixing in ")
        + kinds + QStringLiteral(" and a.ID in (select ID from huiyuanxiaofei where 1=1")
        + within(QStringLiteral("xiaofeiriqi"), from, to, &values)
        + QStringLiteral(") group by a.xiangmuID order by sum(a.jine) desc limit 10");
    return seriesOf(sql, values);
}

ChartSeries ChartReads::commissionPerEmployee(const QString &from, const QString &to)
{
    QVariantList values;
    const QString sales = within(QStringLiteral("xiaofeiriqi"), from, to, &values);
    const QString payments = within(QStringLiteral("jiaofeiriqi"), from, to, &values);
    const QString sql = QStringLiteral("select coalesce(max(b.name),t.yuangongID), round(sum(t.tichengjine),2) "
                                       "from tichengmingxi t left join yuangong b on b.ID=t.yuangongID "
                                       "where t.xiaofeiID in (select ID from huiyuanxiaofei where 1=1")
        + sales + QStringLiteral(" union select ID from huiyuanjiaofei where 1=1") + payments
        + QStringLiteral(") group by t.yuangongID order by sum(t.tichengjine) desc");
    return seriesOf(sql, values);
}

ChartSeries ChartReads::newMembersPerWeek(const QString &from, const QString &to)
{
    QVariantList values;
    const QString sql = QStringLiteral("select substr(login_time,1,10), count(*) from huiyuan where length(login_time)>=10")
        + within(QStringLiteral("login_time"), from, to, &values)
        + QStringLiteral(" group by substr(login_time,1,10) order by substr(login_time,1,10)");
    // Days into their weeks here, where neither engine's date arithmetic is needed;
    // a day that is no date counts under no week, as before.
    QMap<QString, double> weeks;
    for (const auto &d : seriesOf(sql, values)) {
        const QDate day = QDate::fromString(d.first, QStringLiteral("yyyy-MM-dd"));
        weeks[day.isValid() ? day.addDays(1 - day.dayOfWeek()).toString(QStringLiteral("yyyy-MM-dd")) : QString()] += d.second;
    }
    ChartSeries out;
    for (auto it = weeks.cbegin(); it != weeks.cend(); ++it)
        out << qMakePair(it.key(), it.value());
    return out;
}
