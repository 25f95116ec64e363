#ifndef TAKINGSTREE_H
#define TAKINGSTREE_H

#include <QString>

class ctrlUiClass;
class QStandardItemModel;

// The takings of a period per payment method, as the "综合统计" page and the
// shift handover show them. Payments into cards (huiyuanjiaofei.shifujine) and
// consumption receipts (huiyuanxiaofei.shishoujine) are both takings; money paid
// from the card balance ("储蓄卡") was taken at top-up time, so it is virtual
// income and never real income.
class TakingsTree
{
public:
    // from and to are complete date-times (to inclusive). The work table
    // (tempzonghetongji, or the handover's tongji) gets one row per source and method.
    static bool refill(ctrlUiClass &ctrl, const QString &workTable, const QString &from, const QString &to);

    // Rebuilds the two-level tree: 充值交费合计, 消费收银合计, 收银总计 (each with
    // its methods), 实际收入, 虚拟收入.
    static void build(ctrlUiClass &ctrl, QStandardItemModel *model, const QString &workTable,
                      const QString &from, const QString &to);

    // The first value of a one-row query, "0" when it is empty or missing.
    static QString amount(ctrlUiClass &ctrl, const QString &sql);
};

#endif
