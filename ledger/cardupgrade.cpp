#include "cardupgrade.h"

#include "accountbooks.h"
#include "amounts.h"
#include "commissionrules.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "unsettledoutcomes.h"
#include "settingsright.h"
#include "textlimits.h"
#include "transactionscope.h"

using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

const char kUpgradeRuleSetting[] = "会员卡升级计价";

namespace {

struct CardType
{
    bool found = false;
    qint64 priceCents = 0;
    qint64 valueCents = 0;
    QString discounts;
};

CardType cardType(const QString &name)
{
    CardType t;
    const QList<QVariantList> r = LedgerSql::rows(
        QStringLiteral("select coalesce(jiage,0),coalesce(kaneijine,0),coalesce(fuwuzekou,1),coalesce(chanpinzekou,1),"
                       "coalesce(taocanzekou,1) from huiyuanka where name=?"),
        {name});
    if (!r.isEmpty()) {
        const QVariantList &c = r.first();
        t.found = true;
        t.priceCents = yuanToCents(c.value(0).toDouble());
        t.valueCents = yuanToCents(c.value(1).toDouble());
        t.discounts = QStringLiteral("服务 %1　产品 %2　套餐 %3")
                          .arg(c.value(2).toDouble())
                          .arg(c.value(3).toDouble())
                          .arg(c.value(4).toDouble());
    }
    return t;
}

LedgerResult upgradeOnce(const CardUpgrade &u)
{
    if (u.receivedCents < 0)
        return LedgerResult::failure(QStringLiteral("实收金额必须是不小于0的数字"));
    TransactionScope tx;
    // Read again inside the transaction: another desk may have changed the
    // member's card, or the card types' prices, since the dialog opened.
    const CardUpgradeQuote q = CardUpgrades::quote(u.memberId, u.newType);
    // Another desk's change is said first: its upgrade to the same card would
    // otherwise read as "choose another card".
    if (!q.oldType.isEmpty() && q.oldType != u.fromType)
        refuse(QStringLiteral("该会员的会员卡已被另一台收银机改为“%1”，请重新打开会员卡升级").arg(q.oldType));
    else if (!q.ok)
        refuse(q.error);
    else if (q.dueCents != u.dueCents)
        refuse(QStringLiteral("会员卡的价格已经变动，应收 %1 元，请重新打开会员卡升级").arg(centsShown(q.dueCents)));
    else if (q.downgrade && !holdsSettingsRight(u.operatorName))
        refuse(QStringLiteral("换成价格更低的会员卡需要系统设置权限"));
    else if (u.receivedCents > q.dueCents)
        refuse(QStringLiteral("实际付款金额大于需付金额，请确认"));
    if (tx.failed())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("会员卡升级失败"), tx.firstError()));

    const QString id = LedgerSql::newDocumentId(QStringLiteral("SJ"), QStringLiteral("会员卡升级"), u.operatorName);
    const QString now = LedgerSql::now();
    const QString bill = QStringLiteral("升级单：") + id;
    const qint64 debt = q.dueCents - u.receivedCents;
    // The type changes only from the one read: a second desk's upgrade of the
    // same member finds another type and changes nothing.
    execOne(QStringLiteral("update huiyuan set type=? where ID=? and type=?"), {q.newType, u.memberId, q.oldType},
            QStringLiteral("会员卡类型未修改"));
    const QString what = q.oldType + QStringLiteral("→") + q.newType;
    if (q.dueCents > 0 || q.valueCents > 0) {
        QString employee = CommissionRules::employeeName(u.employee);
        if (employee.isEmpty())
            employee = u.employee;
        execOne(QStringLiteral("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,shifujine,"
                               "zengsongjine,zengsongjine2,kaneijine,kaneijine2,qiankuanjine,fukuanleixing,yuangongName,"
                               "caozuoyuan,beizhu,shouyintai) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                {id, u.memberId, now, QStringLiteral("会员卡升级"), centsToYuan(q.dueCents), centsToYuan(u.receivedCents),
                 centsToYuan(q.bonusCents), centsToYuan(q.bonusCents), centsToYuan(q.valueCents),
                 centsToYuan(q.valueCents), centsToYuan(debt), u.method, employee, u.operatorName,
                 QStringLiteral("会员卡升级:") + what, LedgerSql::desk()},
                QStringLiteral("交费记录未写入"));
    }
    if (q.valueCents > 0 && !tx.failed())
        BalanceBook::change(u.memberId, q.valueCents, {QStringLiteral("会员卡升级"), u.operatorName, bill});
    if (q.points > 0 && !tx.failed())
        PointsBook::change(u.memberId, q.points, {QStringLiteral("会员卡升级"), u.operatorName, bill});
    // The employee who sold the better card earns as on its issue (the
    // card type's 会员卡 rule), on what the member pays for it.
    if (!u.employee.isEmpty() && !q.downgrade && q.dueCents > 0 && !tx.failed()) {
        const CommissionRule rule =
            CommissionRules::find(q.newType, QString::fromUtf8(CommissionRules::kCardItemType), QStringLiteral("轮单提成"),
                                  CommissionRules::employeeType(u.employee));
        if (rule.found && rule.method != QStringLiteral("不参与提成")) {
            CommissionRow row;
            row.employeeId = u.employee;
            row.orderMode = QStringLiteral("轮单提成");
            row.method = rule.method;
            row.rate = rule.method == QStringLiteral("按比例提成") ? rule.rate : 0.0;
            row.cents = CommissionRules::commissionCents(rule.method, rule.rate, rule.fixedCents, q.dueCents);
            CommissionBook::add(id, u.memberId, q.memberName, row, QStringLiteral("升级提成"),
                                QStringLiteral("tc") + LedgerSql::serialNow());
        }
    }
    execOne(QStringLiteral("insert into huiyuankabiandong(ID,huiyuanid,riqi,jiuka,xinka,guize,yingjiaojine,shifujine,"
                           "kaneijine,zengsongjine,jifen,caozuoyuan,shouyintai,beizhu) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            {id, u.memberId, now, q.oldType, q.newType, q.downgrade ? QStringLiteral("降级") : q.rule,
             centsToYuan(q.dueCents), centsToYuan(u.receivedCents), centsToYuan(q.valueCents), centsToYuan(q.bonusCents),
             q.points, u.operatorName, LedgerSql::desk(), u.remark},
            QStringLiteral("会员卡变动记录未写入"));
    if (!tx.failed())
        LedgerSql::log(u.operatorName,
                       QStringLiteral("会员卡升级  会员号：") + u.memberId + QStringLiteral("  ") + what);
    return LedgerSql::committed(tx, QStringLiteral("会员卡升级失败"), id);
}

} // namespace

CardUpgradeQuote CardUpgrades::quote(const QString &memberId, const QString &newType)
{
    CardUpgradeQuote q;
    q.newType = newType;
    const QList<QVariantList> member =
        LedgerSql::rows(QStringLiteral("select coalesce(type,''),name from huiyuan where ID=?"), {memberId});
    if (member.isEmpty()) {
        q.error = QStringLiteral("只能给已登记的会员升级会员卡，请先选择一个会员");
        return q;
    }
    q.oldType = member.first().value(0).toString();
    q.memberName = member.first().value(1).toString();
    if (newType.trimmed().isEmpty() || newType == q.oldType) {
        q.error = QStringLiteral("请选择另一种会员卡");
        return q;
    }
    const CardType to = cardType(newType);
    if (!to.found) {
        q.error = QStringLiteral("请选择一个有效的会员卡类型");
        return q;
    }
    // A card type deleted since the member got it counts as nothing paid.
    const CardType from = cardType(q.oldType);
    q.rule = value(QStringLiteral("select zhi from dianpushezhi where mingcheng=?"), {QString::fromUtf8(kUpgradeRuleSetting)})
                 .toString();
    if (q.rule != QStringLiteral("新卡全价"))
        q.rule = QStringLiteral("补差价");
    q.discounts = to.discounts;
    q.downgrade = to.priceCents < from.priceCents;
    if (!q.downgrade) {
        const bool whole = q.rule == QStringLiteral("新卡全价");
        q.dueCents = whole ? to.priceCents : to.priceCents - from.priceCents;
        q.valueCents = qMax<qint64>(0, whole ? to.valueCents : to.valueCents - from.valueCents);
        q.bonusCents = qMax<qint64>(0, q.valueCents - q.dueCents);
        q.points = centsToYuan(q.dueCents) * 0.5; // as a card issue earns them
    }
    q.ok = true;
    return q;
}

LedgerResult CardUpgrades::upgrade(const CardUpgrade &u)
{
    const QString tooLong = TextLimits::refusal(QStringLiteral("备注"), u.remark, TextLimits::kRemark);
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong + QStringLiteral("，本次操作未保存"));
    // An upgrade saved at a try whose answer was lost is answered saved, not
    // refused because the card's type has changed meanwhile (see UnsettledOutcomes).
    const QStringList key{QStringLiteral("upgrade"), u.memberId, u.fromType, u.newType, QString::number(u.dueCents),
                          QString::number(u.receivedCents), u.method, u.employee, u.remark, u.operatorName};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("会员卡升级失败"), [&] { return upgradeOnce(u); });
}

QList<CardUpgrades::Change> CardUpgrades::history(const QString &memberId)
{
    QList<Change> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select ID,riqi,jiuka,xinka,coalesce(yingjiaojine,0),coalesce(kaneijine,0),coalesce(shifujine,0),"
                            "caozuoyuan,beizhu from huiyuankabiandong where huiyuanid=? order by riqi desc, ID desc"),
             {memberId})) {
        Change c;
        c.documentId = r.value(0).toString();
        c.date = r.value(1).toString();
        c.fromType = r.value(2).toString();
        c.toType = r.value(3).toString();
        c.dueCents = yuanToCents(r.value(4).toDouble());
        c.valueCents = yuanToCents(r.value(5).toDouble());
        c.receivedCents = yuanToCents(r.value(6).toDouble());
        c.operatorName = r.value(7).toString();
        c.remark = r.value(8).toString();
        out << c;
    }
    return out;
}

QStringList CardUpgrades::cardTypes()
{
    QStringList out;
    for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select name from huiyuanka order by ID")))
        out << r.value(0).toString();
    return out;
}
