#include "reportquery.h"
#include "sqltext.h"
#include "takingsread.h"

#include "ledgersql.h"
#include "sqlstatements.h"
#include "viewdeclarations.h"

#include <QDate>
#include <QDateTime>

namespace {

// "(lower(a) like lower(?) or …)": the text is bound; its % and _ stay wildcards,
// and Latin letters match in either case on both engines (card numbers and
// pinyin codes are typed either way; Chinese has no case).
ViewFilter likeAny(const QString &text, const QStringList &columns)
{
    QStringList parts;
    QVariantList values;
    for (const QString &c : columns) {
        parts << QStringLiteral("lower(") + c + QStringLiteral(") like lower(?)") + QLatin1String(kLikeEscape);
        values << likeContaining(text);
    }
    return ViewFilter(parts.join(QStringLiteral(" or ")), values);
}

ViewFilter equals(const QString &column, const QString &value)
{
    return ViewFilter(column + QStringLiteral("=?"), {value});
}

QString endOfDay(const QString &date)
{
    return date + QStringLiteral(" 23:59:59");
}

// Both days whole.
ViewFilter between(const QString &column, const QString &start, const QString &end)
{
    return ViewFilter(column + QStringLiteral(">=? and ") + column + QStringLiteral("<=?"), {start, endOfDay(end)});
}

} // namespace

bool ReportQuery::periodRange(const QString &period, const QDate &today, QString *from, QString *to)
{
    return SqlStatements::periodRange(period, today, from, to);
}

ViewFilter ReportQuery::dateFilter(const QString &period, const QString &column,
                                   const QString &start, const QString &end)
{
    ViewFilter f;
    QString from, to;
    if (period == QStringLiteral("其他"))
        f = between(column, start, end);
    else if (periodRange(period, QDate::currentDate(), &from, &to))
        f = ViewFilter(column + QStringLiteral(" >= ? and ") + column + QStringLiteral(" < ?"), {from, to});
    if (!f.isEmpty())
        f.periodOf = column;
    return f;
}

bool ReportQuery::isAll(const QString &comboText)
{
    return comboText.isEmpty() || comboText == QStringLiteral("所有");
}

// The member's name as the sale lists show it: the walk-in customer has no member row.
static QString saleMemberName(const QString &sale, const QString &member)
{
    return QStringLiteral("(CASE WHEN ") + sale + QStringLiteral(".huiyuanid='0000' THEN '散客' ELSE ") + member
        + QStringLiteral(".name END)");
}

ViewFilter ReportQuery::consumptionStats(const QString &period, const QString &start, const QString &end,
                                         const QString &member, const QString &document,
                                         const QString &operatorName)
{
    ViewFilter f = dateFilter(period, QStringLiteral("a.xiaofeiriqi"), start, end);
    if (!member.isEmpty())
        f += likeAny(member, {saleMemberName(QStringLiteral("a"), QStringLiteral("b")), QStringLiteral("a.huiyuanid")});
    if (!document.isEmpty())
        f += likeAny(document, {QStringLiteral("a.ID"), QStringLiteral("a.beizhu")});
    if (!isAll(operatorName))
        f += likeAny(operatorName, {QStringLiteral("a.caozuoyuan")});
    return f;
}

ViewFilter ReportQuery::consumptionDetail(const QString &period, const QString &start, const QString &end,
                                          const QString &member, const QString &kind,
                                          const QString &itemName)
{
    ViewFilter f = dateFilter(period, QStringLiteral("b.xiaofeiriqi"), start, end);
    if (!member.isEmpty())
        f += likeAny(member, {saleMemberName(QStringLiteral("b"), QStringLiteral("c")), QStringLiteral("b.huiyuanid")});
    if (!isAll(kind))
        f += equals(QStringLiteral("xiaofeileixing"), kind);
    if (!itemName.isEmpty())
        f += equals(QStringLiteral("a.name"), itemName);
    return f;
}

ViewFilter ReportQuery::consumptionRanking(const QString &period, const QString &start, const QString &end,
                                           const QString &member, const QString &cardType)
{
    ViewFilter f = dateFilter(period, QStringLiteral("xiaofeiriqi"), start, end);
    const QString periodOf = f.periodOf;
    if (!member.isEmpty())
        f += likeAny(member, {QStringLiteral("b.name"), QStringLiteral("b.ID")});
    if (!isAll(cardType))
        f += equals(QStringLiteral("b.type"), cardType);
    // The period, then the member's own columns: the sales per member and day answer it.
    f.memberSummary = true;
    f.memberPeriodOf = periodOf;
    return f;
}

ViewFilter ReportQuery::paymentStats(const QString &period, const QString &start, const QString &end,
                                     const QString &memberId, const QString &employee,
                                     const QString &operatorName, const QString &paymentType)
{
    ViewFilter f = dateFilter(period, QStringLiteral("jiaofeiriqi"), start, end);
    if (!memberId.isEmpty())
        f += equals(QStringLiteral("huiyuanid"), memberId);
    if (!employee.isEmpty())
        f += equals(QStringLiteral("yuangongName"), employee);
    if (!isAll(operatorName))
        f += equals(QStringLiteral("caozuoyuan"), operatorName);
    if (!isAll(paymentType))
        f += equals(QStringLiteral("jiaofeileixing"), paymentType);
    // A period alone: its 合计 from the payments per member and day.
    if (f.conditions.size() == (f.periodOf.isEmpty() ? 0 : 1)) {
        const QString periodOf = f.periodOf;
        f.memberSummary = true;
        f.memberPeriodOf = periodOf;
    }
    return f;
}

ViewFilter ReportQuery::packageRanking(const QString &period, const QString &start, const QString &end,
                                       const QString &cardType)
{
    ViewFilter f = dateFilter(period, QStringLiteral("jiaofeiriqi"), start, end);
    const QString periodOf = f.periodOf;
    if (!isAll(cardType))
        f += equals(QStringLiteral("b.type"), cardType);
    // The period, then the member's own column: the payments per member and day answer its 合计.
    f.memberSummary = true;
    f.memberPeriodOf = periodOf;
    return f;
}

ViewFilter ReportQuery::serviceAnalysis(const QString &itemName, const QString &category)
{
    ViewFilter f;
    if (!itemName.isEmpty())
        f += equals(QStringLiteral("b.name"), itemName);
    if (!isAll(category))
        f += equals(QStringLiteral("b.leibie"), category);
    return itemsOfPeriod(ViewFilter(), f);
}

ViewFilter ReportQuery::productAnalysis(const QString &text, const QString &category)
{
    ViewFilter f;
    if (!text.isEmpty())
        f += likeAny(text, {QStringLiteral("b.name"), QStringLiteral("b.ID")});
    if (!isAll(category))
        f += equals(QStringLiteral("b.leibie"), category);
    return itemsOfPeriod(ViewFilter(), f);
}

ViewFilter ReportQuery::itemsOfPeriod(const ViewFilter &period, const ViewFilter &items)
{
    ViewFilter f = period + items;
    f.memberSummary = true;
    f.memberPeriodOf = period.periodOf;
    return f;
}

// A document's lines belong to the day of its first header row, as in the
// daily summaries: a sale repaid on a later day is not counted again in the
// period of the repayment, and the periods of a year add up to the year.
ViewFilter ReportQuery::salesOfPeriod(const QString &period, const QString &start, const QString &end)
{
    const ViewFilter range = dateFilter(period, QStringLiteral("e.xiaofeiriqi"), start, end);
    if (range.isEmpty())
        return ViewFilter();
    return ViewFilter(QStringLiteral("a.ID in (select e.ID from huiyuanxiaofei e where ") + range.text()
                          + QStringLiteral(" and e.rowid=(select min(f.rowid) from huiyuanxiaofei f where f.ID=e.ID))"),
                      range.values);
}

// The same documents from the day recorded for each (rihuizong_danjuri, which the
// chain check compares with the first rows): one index range of the period.
ViewFilter ReportQuery::documentsOfPeriod(const QString &period, const QString &start, const QString &end)
{
    const ViewFilter range = dateFilter(period, QStringLiteral("d.riqi"), start, end);
    if (range.isEmpty())
        return ViewFilter();
    return ViewFilter(ViewDeclarations::documentsOnDays(range.text()), range.values);
}

ViewFilter ReportQuery::ledgerChanges(const QString &period, const QString &start, const QString &end,
                                      const QString &member, const QString &kind)
{
    ViewFilter f = dateFilter(period, QStringLiteral("a.biandongriqi"), start, end);
    if (!member.isEmpty())
        f += likeAny(member, {QStringLiteral("b.name"), QStringLiteral("b.ID")});
    if (!isAll(kind))
        f += equals(QStringLiteral("biandongleixing"), kind);
    return f;
}

ViewFilter ReportQuery::balanceChanges(const QString &period, const QString &start, const QString &end,
                                       const QString &member, const QString &kind)
{
    return ledgerChanges(period, start, end, member, kind);
}

ViewFilter ReportQuery::pointsChanges(const QString &period, const QString &start, const QString &end,
                                      const QString &member, const QString &kind)
{
    return ledgerChanges(period, start, end, member, kind);
}

// The documents whose first header row lies in the period, of sales and of card
// payments, are the period's rows of rihuizong_ticheng (one per document and
// employee, on that day).
ViewFilter ReportQuery::commissions(const QString &period, const QString &start, const QString &end,
                                    const QString &employeeName)
{
    ViewFilter f = dateFilter(period, QStringLiteral("s.riqi"), start, end);
    if (!isAll(employeeName))
        f += equals(QStringLiteral("b.name"), employeeName);
    return f;
}

// One employee's documents of the period, from the summary's index: the rows of
// those documents alone are read.
ViewFilter ReportQuery::commissionLines(const QString &period, const QString &start, const QString &end)
{
    return dateFilter(period, QStringLiteral("s.riqi"), start, end);
}

ViewFilter ReportQuery::memberSearch(const QString &text)
{
    if (text.isEmpty())
        return ViewFilter();
    return likeAny(text, {QStringLiteral("a.name"), QStringLiteral("a.ID")});
}

ViewFilter ReportQuery::stockDocuments(const QString &kind, const QString &start, const QString &end,
                                       const QString &docType, const QString &docNumber)
{
    ViewFilter f = equals(QStringLiteral("a.type"), kind);
    f += ViewFilter(QStringLiteral("time<=? and time>=?"), {endOfDay(end), start});
    if (!docType.isEmpty() && docType != QStringLiteral("所有类型") && docType != QStringLiteral("所有"))
        f += equals(QStringLiteral("rukutype"), docType);
    if (!docNumber.isEmpty())
        f += likeAny(docNumber, {QStringLiteral("a.rukuID")});
    return f;
}

// The catalogue lists' search: the text inside the code or the name, within a category.
static ViewFilter codeOrNameIn(const QString &codeColumn, const QString &text, const QString &category)
{
    ViewFilter f;
    if (!text.isEmpty())
        f += likeAny(text, {codeColumn, QStringLiteral("name")});
    if (!ReportQuery::isAll(category))
        f += equals(QStringLiteral("leibie"), category);
    return f;
}

ViewFilter ReportQuery::stockQuery(const QString &text, const QString &category)
{
    return codeOrNameIn(QStringLiteral("a.chanpinID"), text, category);
}

ViewFilter ReportQuery::productSearch(const QString &text, const QString &category)
{
    return codeOrNameIn(QStringLiteral("b.ID"), text, category);
}

ViewFilter ReportQuery::serviceItemSearch(const QString &text, const QString &category)
{
    return codeOrNameIn(QStringLiteral("ID"), text, category);
}

// Both days inclusive, like every other date filter of the program.
ViewFilter ReportQuery::shiftHistory(const QString &start, const QString &end, const QString &user)
{
    ViewFilter f = between(QStringLiteral("endtime"), start, end);
    if (!isAll(user))
        f += equals(QStringLiteral("\"user\""), user);
    return f;
}

ViewFilter ReportQuery::cashDetail(const QString &start, const QString &end, const QString &method)
{
    ViewFilter f = between(QStringLiteral("time"), start, end);
    f.periodOf = QStringLiteral("time"); // whole days: the 合计 comes from the daily summaries
    if (!isAll(method)) {
        // Found under every name it was stored by (代金券, once 代金卷).
        const QStringList names = TakingsRead::storedNames(method);
        f += names.size() == 1 ? equals(QStringLiteral("fukuanfangshi"), method)
                               : ViewFilter(QStringLiteral("fukuanfangshi in (?,?)"), {names.at(0), names.at(1)});
    }
    return f;
}

ViewFilter ReportQuery::operationLog(const QString &start, const QString &end, const QString &keyword)
{
    ViewFilter f = between(QStringLiteral("time"), start, end);
    if (!keyword.isEmpty())
        f += likeAny(keyword, {QStringLiteral("log")});
    return f;
}

ViewFilter ReportQuery::operationLogToday(const QDateTime &now)
{
    return ViewFilter(QStringLiteral("time>=? and time<=?"),
                      {now.toString(QStringLiteral("yyyy-MM-dd 00:00:00")), now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))});
}

// The working list is a view of the records (dbset.xml): this sets its period.
// A record taken a minute ago is listed, and start-up does no work that grows
// with the records.
bool ReportQuery::fillCashDetail(const QString &start, const QString &end)
{
    bool ok = LedgerSql::execSingle(QStringLiteral("delete from tempshouyinmingxiqijian")) >= 0;
    ok = LedgerSql::execSingle(QStringLiteral("insert into tempshouyinmingxiqijian(kaishi,jieshu) values(?,?)"),
                               {start, endOfDay(end)}) >= 0
        && ok;
    return ok;
}

QString ReportQuery::detailViewOf(const QString &masterView)
{
    const ViewDeclaration *d = ViewDeclarations::find(masterView);
    return d ? d->detail : QString();
}

std::optional<ViewFilter> ReportQuery::drillDown(const QString &masterView, const QVariantMap &row)
{
    return ViewDeclarations::detailFilter(masterView, row);
}

// Names and phone numbers that begin with the text, through their two indexes
// (an exact match is among them); only when nobody's begins with it does the
// search read every member for the text inside.
ViewFilter ReportQuery::memberPickerFilter(const QString &text)
{
    // A card number names one member: it wins over names and phones that begin with it.
    const ViewFilter card(QStringLiteral("ID=?"), {text});
    // Every text that begins with t sorts from t up to t followed by the last code point.
    const QString last = QString::fromUcs4(U"\U0010FFFF");
    const ViewFilter begins(QStringLiteral("(name >= ? and name < ?) or (phone >= ? and phone < ?)"),
                            {text, text + last, text, text + last});
    auto any = [](const ViewFilter &f) {
        return LedgerSql::value(QStringLiteral("select 1 from huiyuan where ") + f.text() + QStringLiteral(" limit 1"),
                                f.values).isValid();
    };
    if (!text.isEmpty() && any(card))
        return card;
    if (!text.isEmpty() && any(begins))
        return begins;
    return likeAny(text, {QStringLiteral("name"), QStringLiteral("phone")});
}
