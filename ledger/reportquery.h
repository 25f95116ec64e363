#ifndef REPORTQUERY_H
#define REPORTQUERY_H

#include "viewfilter.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

class QDate;
class QDateTime;

// The filters of the query pages: conditions with their values bound, which the
// list's declaration (viewdeclarations.h) completes with its fixed conditions and
// its grouping. A combo that reads "" or "所有" adds no condition.
class ReportQuery
{
public:
    // The period's range of a date column; "其他" gives the explicit range with the
    // whole end day included. An unknown period adds no condition.
    static ViewFilter dateFilter(const QString &period, const QString &column,
                              const QString &start, const QString &end);

    // The period's half-open range of days [from, to) for today; false for "其他"
    // and for a period not known.
    static bool periodRange(const QString &period, const QDate &today, QString *from, QString *to);

    static bool isAll(const QString &comboText);

    // One argument per control, in the order the page shows them.
    static ViewFilter consumptionStats(const QString &period, const QString &start, const QString &end,
                                    const QString &member, const QString &document,
                                    const QString &operatorName);                  // 消费统计
    static ViewFilter consumptionDetail(const QString &period, const QString &start, const QString &end,
                                     const QString &member, const QString &kind,
                                     const QString &itemName);                     // 统计消费明细
    static ViewFilter consumptionRanking(const QString &period, const QString &start, const QString &end,
                                      const QString &member, const QString &cardType); // 会员消费排行
    static ViewFilter paymentStats(const QString &period, const QString &start, const QString &end,
                                const QString &memberId, const QString &employee,
                                const QString &operatorName, const QString &paymentType); // 会员交费统计
    static ViewFilter packageRanking(const QString &period, const QString &start, const QString &end,
                                  const QString &cardType);                        // 会员套餐排行
    static ViewFilter serviceAnalysis(const QString &itemName, const QString &category); // 服务消费分析
    static ViewFilter productAnalysis(const QString &text, const QString &category);     // 产品消费分析
    static ViewFilter balanceChanges(const QString &period, const QString &start, const QString &end,
                                  const QString &member, const QString &kind);     // 余额变动
    static ViewFilter pointsChanges(const QString &period, const QString &start, const QString &end,
                                 const QString &member, const QString &kind);      // 积分变动
    static ViewFilter commissions(const QString &period, const QString &start, const QString &end,
                               const QString &employeeName);                      // 员工提成
    // The commission rows of the period for the drill-down 员工提成 → 提成明细.
    static ViewFilter commissionLines(const QString &period, const QString &start, const QString &end);
    static ViewFilter memberSearch(const QString &text);                             // 会员管理
    // kind is "入库明细" or "出库明细"; a document type of "所有类型" adds no condition.
    static ViewFilter stockDocuments(const QString &kind, const QString &start, const QString &end,
                                  const QString &docType, const QString &docNumber); // 入库统计 / 出库统计
    static ViewFilter stockQuery(const QString &text, const QString &category);       // 产品库存
    static ViewFilter productSearch(const QString &text, const QString &category);    // 产品管理
    static ViewFilter serviceItemSearch(const QString &text, const QString &category); // 服务项目列表
    static ViewFilter shiftHistory(const QString &start, const QString &end, const QString &user); // 交班查询
    // 日志查询: both days whole, the keyword anywhere in the text; on opening, today so far.
    static ViewFilter operationLog(const QString &start, const QString &end, const QString &keyword);
    static ViewFilter operationLogToday(const QDateTime &now);
    static ViewFilter cashDetail(const QString &start, const QString &end, const QString &method); // 收银明细查询

    // The cash-register detail for a period: from now on it holds the payment and
    // consumption records whose date lies between start and the end of end's day.
    static bool fillCashDetail(const QString &start, const QString &end);

    // The detail list's filter for a clicked master row (column name -> value);
    // nothing when the row lacks a column the master hands on.
    static std::optional<ViewFilter> drillDown(const QString &masterView, const QVariantMap &row);
    static QString detailViewOf(const QString &masterView);
    // The sales of a period, for the lines of the analysis pages (alias a): the
    // documents whose first header row lies in it.
    static ViewFilter salesOfPeriod(const QString &period, const QString &start, const QString &end);
    // The same documents found by the day their lines count on (the details' read).
    static ViewFilter documentsOfPeriod(const QString &period, const QString &start, const QString &end);
    // An analysis of a period of xiaofeiriqi (dateFilter, or none) with conditions
    // on the item (b) alone: read from the lines per day and item.
    static ViewFilter itemsOfPeriod(const ViewFilter &period, const ViewFilter &items);

    // The member picker's filter for a typed name or phone number: those that
    // begin with it, else those that hold it anywhere.
    static ViewFilter memberPickerFilter(const QString &text);

private:
    static ViewFilter ledgerChanges(const QString &period, const QString &start, const QString &end,
                                 const QString &member, const QString &kind);
};

#endif
