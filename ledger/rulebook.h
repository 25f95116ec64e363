#ifndef RULEBOOK_H
#define RULEBOOK_H

#include "ledgertypes.h"

#include <QDate>
#include <QList>
#include <QString>

// One promotion of an item for a card type, or for 所有会员.
struct PromotionRule
{
    QString cardType;
    QString method;        // 按比例促销 / 按固定金额促销 / 无优惠
    double ratio = 1;      // cuxiaobili: the final price over the item's price
    double finalPrice = 0; // cuxiaojiner
};

// An item's promotions as they are saved: one 所有会员 rule, or one per card type.
struct PromotionPlan
{
    QString itemId;
    QString itemType;      // 项目 / 产品 / 套餐, as the promotion page types them
    QDate start, end;
    QList<PromotionRule> rules;
};

// One commission rule of an item for an employee category (or 所有员工) and a mode.
struct CommissionPlanRule
{
    QString employeeType;
    QString mode;          // 轮单提成 / 点单提成 / 其他提成
    QString method;        // 按比例提成 / 按固定金额提成 / 不参与提成
    double ratio = 0;      // tichengbili, a percentage
    double amount = 0;     // tichengjiner
};

struct CommissionPlan
{
    QString itemId;
    QString itemType;      // 服务项目 / 产品 / 套餐 / 会员卡
    QList<CommissionPlanRule> rules;
};

// The commission and promotion plans of the rule editors. Saving replaces an
// item's rules whole, with its log row, in one transaction, and only for an
// operator holding the settings right (looked up inside the save). The editors'
// working rows live in TEMP tables of this connection: a reconnect loses them,
// and the editor must not save then.
class RuleBook
{
public:
    static LedgerResult savePromotions(const PromotionPlan &plan, const QString &operatorName);
    static LedgerResult saveCommissions(const CommissionPlan &plan, const QString &operatorName);

    // The conditions of the editors' working lists (促销策略明细临时表,
    // 提成策略明细临时表): the one row for everybody, or the rows per type;
    // `none` before the item is known.
    enum class WorkRows { None, Everybody, PerType };
    static QString promotionWorkCondition(WorkRows rows);
    static QString commissionWorkCondition(WorkRows rows);

    // The promotion editor's working rows: tempcuxiaoshezhi (the rules being
    // edited) and tempcuxiaoliebiao2 (the items with their prices).
    static void openPromotionWork();
    static void closePromotionWork();
    // Copies the item's stored promotions into the working rows; returns them
    // with the period they were saved with (invalid dates when none).
    static PromotionPlan loadPromotionWork(const QString &itemId, const QString &itemType);
    // A no-discount row per card type that has none yet.
    static void addCardTypesToPromotionWork(const QString &itemId, const QString &itemType);
    static void setPromotionWork(const PromotionRule &rule);
    // The working rows of card types (not 所有会员), as they would be saved.
    static QList<PromotionRule> promotionWorkByCardType();

    // The commission editor's working rows: temptichengshezhi and temptichengliebiao2.
    static void openCommissionWork();
    static void closeCommissionWork();
    static CommissionPlan loadCommissionWork(const QString &itemId, const QString &itemType);
    // A zero-percentage rule per employee category and mode that has none yet.
    static void addCategoriesToCommissionWork(const QString &itemId, const QString &itemType,
                                              const QStringList &modes);
    // Sets the method and figure of every mode of one employee type.
    static void setCommissionWork(const QString &employeeType, const QString &mode, const QString &method,
                                  double ratio, double amount);
    static QList<CommissionPlanRule> commissionWorkByCategory();
};

#endif
