#ifndef REPORTQUERY_H
#define REPORTQUERY_H

#include <QString>
#include <QStringList>

class ctrlUiClass;

// The filter suffixes of the query pages. Each one completes the base statement
// of its view in dbset.xml. Typed text always goes through sqlEsc; a combo that
// reads "" or "所有" adds no condition.
class ReportQuery
{
public:
    // " where <period>" for a date column; "其他" gives the explicit range with the
    // whole end day included. An unknown period gives " where 1=1" so that the
    // conditions that follow still make a valid statement.
    static QString dateFilter(const QString &period, const QString &column,
                              const QString &start, const QString &end);

    static bool isAll(const QString &comboText);

    // One argument per control, in the order the page shows them.
    static QString consumptionStats(const QString &period, const QString &start, const QString &end,
                                    const QString &member, const QString &document,
                                    const QString &operatorName);                  // 消费统计
    static QString consumptionDetail(const QString &period, const QString &start, const QString &end,
                                     const QString &member, const QString &kind,
                                     const QString &itemName);                     // 统计消费明细
    static QString consumptionRanking(const QString &period, const QString &start, const QString &end,
                                      const QString &member, const QString &cardType); // 会员消费排行
    static QString paymentStats(const QString &period, const QString &start, const QString &end,
                                const QString &memberId, const QString &employee,
                                const QString &operatorName, const QString &paymentType); // 会员交费统计
    static QString packageRanking(const QString &period, const QString &start, const QString &end,
                                  const QString &cardType);                        // 会员套餐排行
    static QString serviceAnalysis(const QString &itemName, const QString &category); // 服务消费分析
    static QString productAnalysis(const QString &text, const QString &category);     // 产品消费分析
    static QString balanceChanges(const QString &period, const QString &start, const QString &end,
                                  const QString &member, const QString &kind);     // 余额变动
    static QString pointsChanges(const QString &period, const QString &start, const QString &end,
                                 const QString &member, const QString &kind);      // 积分变动
    static QString commissions(const QString &period, const QString &start, const QString &end,
                               const QString &employeeName);                      // 员工提成
    static QString memberSearch(const QString &text);                             // 会员管理
    // kind is "入库明细" or "出库明细"; a document type of "所有类型" adds no condition.
    static QString stockDocuments(const QString &kind, const QString &start, const QString &end,
                                  const QString &docType, const QString &docNumber); // 入库统计 / 出库统计
    static QString stockQuery(const QString &text, const QString &category);       // 产品库存
    static QString productSearch(const QString &text, const QString &category);    // 产品管理
    static QString serviceItemSearch(const QString &text, const QString &category); // 服务项目列表
    static QString shiftHistory(const QString &start, const QString &end, const QString &user); // 交班查询
    static QString cashDetail(const QString &start, const QString &end, const QString &method); // 收银明细查询

    // The cash-register detail for a period: emptied and filled from the payment
    // and consumption records whose date lies between start and the end of end's day.
    static bool fillCashDetail(ctrlUiClass &ctrl, const QString &start, const QString &end);

    // Drill-down suffix of the detail view for a clicked master row; "" when the
    // row has fewer columns than the master view promises.
    static QString drillDown(const QString &masterView, const QStringList &row);
    static QString detailViewOf(const QString &masterView);

    // The member picker's filter for a typed name or phone number: those that
    // begin with it, else those that hold it anywhere.
    static QString memberPickerFilter(ctrlUiClass &ctrl, const QString &text);

private:
    static QString firstSaleRow();
    static QString ledgerChanges(const QString &period, const QString &start, const QString &end,
                                 const QString &member, const QString &kind);
};

#endif
