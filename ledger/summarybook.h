#ifndef SUMMARYBOOK_H
#define SUMMARYBOOK_H

#include "dbsetconfig.h"
#include "ledgertypes.h"

#include <QString>
#include <QVariantList>

// The daily summaries: per day the takings of each source (消费 / 交费) and
// payment method (rihuizong_shouyin), and the sales' totals (rihuizong_xiaofei),
// and the sales per member and day (rihuizong_huiyuan, for the rankings), per
// document and day (rihuizong_danju) and the commission of each document and
// employee on its first day (rihuizong_ticheng, for 员工提成), the work of each
// employee on each sale (rihuizong_yeji, for 员工业绩), the sales lines
// per day and item (rihuizong_xiangmu, with the day of each document's lines in
// rihuizong_danjuri, for 服务消费分析 and 产品消费分析), the payments per member,
// day and kind (rihuizong_jiaofei, for the 合计 of 会员交费统计 and 会员套餐排行; per
// member and year and per year in rihuizong_jiaofei_nian and _nianheji), the
// points and balance changes per day of the members on file (rihuizong_jifen,
// rihuizong_biandong, for 积分变动 and 余额变动), the sales of a year of the
// members on file (rihuizong_nianheji, for 会员消费排行's 合计 of a year) and each
// member's running totals (rihuizong_huiyuanleiji, for the counter's panel), so that
// the totals of a period read one row a day instead of every header row of the period. The triggers of dbset.xml keep them, in the same statement as
// the rows they sum: a writer does nothing for them, whichever rows it writes,
// updates or deletes. Money in cents.
//
// A sale whose header rows lie on several days (a debt repaid later) counts as
// one document on the day of its first row; each amount counts on its own row's day.
class SummaryBook
{
public:
    // The takings of [from, to] (texts "yyyy-MM-dd" or "yyyy-MM-dd hh:mm:ss",
    // both ends inclusive) as a statement giving (laiyuan, fangshi, jine), one
    // row per day and method or per record: whole days from the summary, the
    // hours before the first and after the last whole day from the records.
    // The bounds are appended to *values, in the order of the statement's marks.
    static QString takingsSource(const QString &from, const QString &to, QVariantList *values);
    // (day, method, amount) of the days from fromDate to toDate (dates; an empty
    // text sets no limit on that side), the bounds appended to *values.
    static QString dailyTakings(const QString &fromDate, const QString &toDate, QVariantList *values);

    // Empties the summaries and fills them again from the records, in one
    // transaction (the fill statements are those dbset.xml runs for a new table).
    static LedgerResult rebuild(const DbsetMap &map);

    // For a bulk load into a new, empty shop (the generator): the summaries'
    // triggers go, so that the rows are written without them; the next
    // createTables() makes them again and fills the still empty summaries from
    // the rows, each in one statement. False when one could not be dropped.
    static bool dropTriggers(const DbsetMap &map);

    // Whether the period's text is whole days: "yyyy-MM-dd", or a start at 00:00:00
    // and an end at 23:59:59.
    static bool startsDay(const QString &from);
    static bool endsDay(const QString &to);
};

#endif
