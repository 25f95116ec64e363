#ifndef RULESLISTS_H
#define RULESLISTS_H

#include <QString>
#include <QStringList>

class ctrlUiClass;

// The item lists of the two rule pages: every sellable item (packages, products,
// service items) copied into a working table, refilled at start-up and each time
// a page is opened, so that new catalogue entries show up.
void refillTichengList();   // temptichengliebiao; service items typed "服务项目"
void refillCuxiaoList();    // tempcuxiaoliebiao;  service items typed "项目"

// The dialogs' private copies of the same list (temptichengliebiao2 /
// tempcuxiaoliebiao2). Package prices are the package's selling price.
void fillItemList2(ctrlUiClass &ui, const QString &table, const QString &serviceType,
                   const QString &failText);

// Hooks both refills into createTables(); the main window calls this before it
// creates the tables.
void installRulesListRefills();

// The commission rule that applies to one employee for one sale line: the row
// (jisuanfanshi, tichengbili, tichengjiner) when exactly one stored rule matches
// the employee's type or "所有员工", else empty (no rule, or an ambiguous pair).
// itemType is "服务项目", "产品" or "套餐"; mode "轮单提成", "点单提成" or "其他提成".
QStringList findCommissionRule(ctrlUiClass &ui, const QString &itemId, const QString &itemType,
                               const QString &mode, const QString &employeeType);

// The promotion the checkout finds in the view cuxiao for an item, its name and
// a card type: (xiangmuID, xiangmumingcheng, huiyuanleixing, xiaoshoujiage,
// youhuifangshi, youhuizekou, zuizhongjiage), or empty when none applies.
QStringList findPromotion(ctrlUiClass &ui, const QString &itemId, const QString &itemName,
                          const QString &cardType);

#endif
