#ifndef RULESLISTS_H
#define RULESLISTS_H

#include "viewfilter.h"

#include <QString>
#include <QStringList>

// The item lists of the two rule pages: every sellable item (packages, products,
// service items; card types too on the commission page, for the card issue's
// commission) copied into a working table, refilled at start-up and each time a
// page is opened, so that new catalogue entries show up. The rules themselves
// are looked up by CommissionRules in the rules layer.
void refillTichengList();   // temptichengliebiao; service items typed "服务项目"
void refillCuxiaoList();    // tempcuxiaoliebiao;  service items typed "项目"

// The dialogs' private copies of the same list (temptichengliebiao2 /
// tempcuxiaoliebiao2). Package prices are the package's selling price.
void fillItemList2(const QString &table, const QString &serviceType, const QString &failText);

// Hooks both refills into createTables(); the main window calls this before it
// creates the tables.
void installRulesListRefills();

// The detail lists of both pages (提成策略明细, 促销策略明细): the rules of one
// item of the list, by its code and its type (column 0 and 4 of the list).
ViewFilter rulesOfItem(const QString &itemId, const QString &itemType);

// The promotion the checkout finds in the view cuxiao for an item, its name and
// a card type: (xiangmuID, xiangmumingcheng, huiyuanleixing, xiaoshoujiage,
// youhuifangshi, youhuizekou, zuizhongjiage), or empty when none applies.
QStringList findPromotion(const QString &itemId, const QString &itemName, const QString &cardType);

#endif
