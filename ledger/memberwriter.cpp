#include "memberwriter.h"

#include "accountbooks.h"
#include "amounts.h"
#include "commissionrules.h"
#include "conflictretry.h"
#include "deletionlog.h"
#include "ledgersql.h"
#include "textlimits.h"
#include "packageexpiry.h"
#include "topupoffers.h"
#include "vouchers.h"
#include "transactionscope.h"
#include "unsettledoutcomes.h"

#include <QMap>

using LedgerSql::exec;
using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kPaymentInsert = QStringLiteral(
    "insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,"
    "zengsongjine2,kaneijine,kaneijine2,qiankuanjine,fukuanleixing,yuangongName,caozuoyuan,beizhu,shouyintai) "
    "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");

bool memberExists(const QString &id)
{
    return value(QStringLiteral("select 1 from huiyuan where ID=?"), {id}).isValid();
}

void writeLog(const QString &op, const QString &text)
{
    LedgerSql::log(op, text);
}

LedgerResult finish(TransactionScope &tx, const QString &what, const QString &id)
{
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    return LedgerResult::success(id);
}

// The employee as every payment row names it: by name, whether the dialog
// held an ID (card issue) or a name (top-up, renewal).
QString employeeNameOf(const QString &idOrName)
{
    if (idOrName.isEmpty())
        return idOrName;
    const QString name = CommissionRules::employeeName(idOrName);
    return name.isEmpty() ? idOrName : name;
}

} // namespace

static LedgerResult issueCardOnce(const CardIssue &c)
{
    if (c.memberId.trimmed().isEmpty())
        return LedgerResult::failure(QStringLiteral("会员编号不能为空"));
    if (c.priceCents < 0 || c.receivedCents < 0)
        return LedgerResult::failure(QStringLiteral("交费金额必须是不小于0的数字"));
    const QString tooLong = TextLimits::firstRefusal({{QStringLiteral("会员姓名"), c.name, TextLimits::kName},
                                                      {QStringLiteral("地址"), c.address, TextLimits::kRemark},
                                                      {QStringLiteral("备注"), c.remark, TextLimits::kRemark}});
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong);

    TransactionScope tx;
    if (memberExists(c.memberId))
        refuse(QStringLiteral("会员编号已经存在"));
    const QList<QVariantList> card = LedgerSql::rows(
        QStringLiteral("select coalesce(kaneijine,0) from huiyuanka where name=?"), {c.cardType});
    if (card.isEmpty())
        refuse(QStringLiteral("请选择一个有效的会员卡类型"));
    const qint64 valueCents = card.isEmpty() ? 0 : yuanToCents(card.first().value(0).toDouble());

    // The package by its code: every item it holds, whether or not the item is
    // still in the catalogue, and its price once.
    QMap<QString, qint64> items;
    qint64 packageCents = 0;
    if (!c.packageId.isEmpty() && c.packageId != QLatin1String("0")) {
        const QList<QVariantList> lines = LedgerSql::rows(
            QStringLiteral("select xiangmuID,coalesce(fuwucishu,0),coalesce(zongjia,0) from taocanmingxi where taocanID=? "
                           "order by rowid"),
            {c.packageId});
        if (lines.isEmpty())
            refuse(QStringLiteral("找不到该套餐"));
        for (const QVariantList &l : lines) {
            items[l.value(0).toString()] += qint64(l.value(1).toDouble() + 0.5);
            packageCents = qMax(packageCents, yuanToCents(l.value(2).toDouble()));
        }
    }
    const qint64 due = c.priceCents + packageCents;
    if (c.receivedCents > due)
        refuse(QStringLiteral("实际付款金额大于需付金额"));
    const qint64 debt = due - c.receivedCents;
    if (tx.failed())
        return finish(tx, QStringLiteral("会员办卡保存失败"), QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("BK"), QStringLiteral("办卡交费"), c.operatorName);
    const QString bill = QStringLiteral("交费单：") + id;
    const QString now = LedgerSql::now();
    const double points = centsToYuan(c.priceCents) * 0.5;

    execOne(QStringLiteral("insert into huiyuan(ID,name,sex,birthday,phone,daoqi_time,login_time,password1,password2,"
                           "height,age,within_code,guwenrenyuan,address,jieshaoren,beizhu,type,tichengyuangong,taocanID,"
                           "jiaofeijinE,leijixiaofei,shengyujine,jifen) "
                           "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,0,0,0)"),
            {c.memberId, c.name, c.sex, c.birthday, c.phone, c.expiry, now, c.password1, c.password2, c.height,
             c.age, c.withinCode, c.adviser, c.address, c.referrer, c.remark, c.cardType, c.employeeId,
             c.packageId.isEmpty() ? QStringLiteral("0") : c.packageId, centsToYuan(c.priceCents)},
            QStringLiteral("会员未写入"));

    QString remark = QStringLiteral("卡内金额:") + centsText(valueCents);
    for (auto it = items.cbegin(); it != items.cend(); ++it) {
        const QString name = value(QStringLiteral("select name from fuwuxiangmu where ID=?"), {it.key()}).toString();
        remark += QStringLiteral(" ") + (name.isEmpty() ? it.key() : name) + QStringLiteral(":")
                  + QString::number(it.value());
    }
    const QString employeeName = employeeNameOf(c.employeeId);
    execOne(kPaymentInsert,
            {id, c.memberId, now, QStringLiteral("办卡交费"), centsToYuan(due), centsToYuan(c.receivedCents),
             centsToYuan(valueCents - c.priceCents), 0, centsToYuan(valueCents), centsToYuan(valueCents),
             centsToYuan(debt), c.method, employeeName, c.operatorName, remark, LedgerSql::desk()},
            QStringLiteral("交费记录未写入"));

    if (!tx.failed())
        BalanceBook::change(c.memberId, valueCents, {QStringLiteral("会员办卡"), c.operatorName, bill});
    const int packageDays = c.packageId.isEmpty() ? 0 : PackageExpiry::daysForPackage(c.packageId);
    for (auto it = items.cbegin(); it != items.cend() && !tx.failed(); ++it)
        if (it.value() > 0 && UsesBook::add(c.memberId, it.key(), it.value(), {QStringLiteral("会员办卡"), c.operatorName, bill}))
            PackageExpiry::extendInside(c.memberId, it.key(), packageDays); // 有效期 from the package's days
    if (!tx.failed())
        PointsBook::change(c.memberId, points, {QStringLiteral("会员办卡"), c.operatorName, bill});

    if (!c.employeeId.isEmpty() && !tx.failed()) {
        const CommissionRule rule =
            CommissionRules::find(c.cardType, QString::fromUtf8(CommissionRules::kCardItemType),
                                  QStringLiteral("轮单提成"), CommissionRules::employeeType(c.employeeId));
        if (rule.found && rule.method != QStringLiteral("不参与提成")) {
            const qint64 cents = CommissionRules::commissionCents(rule.method, rule.rate, rule.fixedCents, c.priceCents);
            CommissionRow row;
            row.employeeId = c.employeeId;
            row.orderMode = QStringLiteral("轮单提成");
            row.method = rule.method;
            row.rate = rule.method == QStringLiteral("按比例提成") ? rule.rate : 0.0;
            row.cents = cents;
            CommissionBook::add(id, c.memberId, c.name, row, QStringLiteral("开卡提成"),
                                QStringLiteral("tc") + LedgerSql::serialNow());
        }
    }
    if (!tx.failed())
        writeLog(c.operatorName, QStringLiteral("增加会员套餐  会员号：") + c.memberId);
    return finish(tx, QStringLiteral("会员办卡保存失败"), id);
}

static LedgerResult topUpOnce(const TopUp &t)
{
    if (t.paidInCents < 0 || t.bonusCents < 0 || t.receivedCents < 0)
        return LedgerResult::failure(QStringLiteral("金额不能为负数"));
    const qint64 credited = t.paidInCents + t.bonusCents;
    if (credited <= 0)
        return LedgerResult::failure(QStringLiteral("请输入交费金额"));
    if (t.receivedCents > t.paidInCents)
        return LedgerResult::failure(QStringLiteral("实际付款金额大于交费金额，请确认"));
    const qint64 debt = t.paidInCents - t.receivedCents;
    const QList<PaymentPart> parts =
        t.payments.isEmpty() ? QList<PaymentPart>{PaymentPart{t.method, t.receivedCents}} : t.payments;
    qint64 partsTotal = 0;
    for (const PaymentPart &p : parts) {
        if (p.cents < 0)
            return LedgerResult::failure(QStringLiteral("金额不能为负数"));
        if (p.method == QString::fromUtf8(kCardMethod))
            return LedgerResult::failure(QStringLiteral("充值不能用卡内余额付款"));
        partsTotal += p.cents;
    }
    // A numbered voucher pays only at the checkout, where its number is taken.
    for (const PaymentPart &p : parts)
        if (Vouchers::isVoucherMethod(p.method) && p.cents > 0 && Vouchers::inUse())
            return LedgerResult::failure(QStringLiteral("有编号的代金券只能在结账时使用，充值请选择其他付款方式"));
    if (partsTotal != t.receivedCents)
        return LedgerResult::failure(QStringLiteral("各付款方式的金额之和与实际付款不符，请重新付款"));

    TransactionScope tx;
    if (!memberExists(t.memberId)) {
        refuse(QStringLiteral("只能给已登记的会员充值，请先选择一个会员"));
        return finish(tx, QStringLiteral("会员充值保存失败"), QString());
    }
    const QString id = LedgerSql::newDocumentId(QStringLiteral("CZ"), QStringLiteral("会员充值"), t.operatorName);
    // 充值规则: the bonus held to the card type's tier, and the tier's points.
    TopUpOffers::applyInside(t, id);
    BalanceBook::change(t.memberId, credited,
                        {QStringLiteral("会员充值"), t.operatorName, QStringLiteral("充值单：") + id});
    for (int i = 0; i < parts.size() && !tx.failed(); ++i) {
        // The card is credited once: the later rows carry only what they took.
        const bool first = i == 0;
        execOne(kPaymentInsert,
                {id, t.memberId, LedgerSql::now(), QStringLiteral("会员充值"), centsToYuan(first ? t.paidInCents : 0),
                 centsToYuan(parts.at(i).cents), centsToYuan(first ? t.bonusCents : 0),
                 centsToYuan(first ? t.bonusCents : 0), centsToYuan(first ? credited : 0),
                 centsToYuan(first ? credited : 0), centsToYuan(first ? debt : 0), parts.at(i).method,
                 employeeNameOf(t.employee), t.operatorName, QStringLiteral("会员卡充值:") + centsText(credited), LedgerSql::desk()},
                QStringLiteral("交费记录未写入"));
    }
    if (!tx.failed())
        writeLog(t.operatorName, QStringLiteral("会员卡充值  会员号：") + t.memberId);
    return finish(tx, QStringLiteral("会员充值保存失败"), id);
}

static LedgerResult renewOnce(const Renewal &r)
{
    qint64 paid = 0, card = 0;
    for (const PaymentPart &p : r.payments) {
        if (p.cents < 0)
            return LedgerResult::failure(QStringLiteral("付款金额必须是不小于0的数字"));
        paid += p.cents;
        if (p.method == QString::fromUtf8(kCardMethod))
            card += p.cents;
    }
    for (const PaymentPart &p : r.payments)
        if (Vouchers::isVoucherMethod(p.method) && p.cents > 0 && Vouchers::inUse())
            return LedgerResult::failure(QStringLiteral("有编号的代金券只能在结账时使用，续费请选择其他付款方式"));
    if (r.items.isEmpty())
        return LedgerResult::failure(QStringLiteral("请先添加套餐或服务项目"));
    if (r.payments.isEmpty())
        return LedgerResult::failure(QStringLiteral("请至少选择一种付款方式"));
    if (r.debtCents < 0 || paid + r.debtCents != r.dueCents)
        return LedgerResult::failure(QStringLiteral("实际付款金额大于需付金额，请确认"));

    TransactionScope tx;
    if (!memberExists(r.memberId)) {
        refuse(QStringLiteral("只能给已登记的会员续费套餐，请先选择一个会员"));
        return finish(tx, QStringLiteral("套餐续费保存失败"), QString());
    }
    const QString id = LedgerSql::newDocumentId(QStringLiteral("tcxf"), QStringLiteral("套餐交费"), r.operatorName);
    const QString now = LedgerSql::now();
    const QString employee = employeeNameOf(r.employee);
    for (int i = 0; i < r.payments.size(); ++i) {
        const bool first = i == 0;
        execOne(kPaymentInsert,
                {id, r.memberId, now, QStringLiteral("套餐交费"), first ? centsToYuan(r.dueCents) : 0.0,
                 centsToYuan(r.payments.at(i).cents), 0, 0, 0, 0, first ? centsToYuan(r.debtCents) : 0.0,
                 r.payments.at(i).method, employee, r.operatorName, r.remark, LedgerSql::desk()},
                QStringLiteral("交费记录未写入"));
    }
    for (const PackageItem &item : r.items) {
        if (tx.failed())
            break;
        if (UsesBook::add(r.memberId, item.itemId, item.uses,
                          {QStringLiteral("会员套餐充值"), r.operatorName, QStringLiteral("消费单：") + id}))
            PackageExpiry::extendInside(r.memberId, item.itemId, PackageExpiry::daysForItem(item.itemId)); // 有效期
    }
    if (card > 0 && !tx.failed())
        BalanceBook::change(r.memberId, -card,
                            {QStringLiteral("会员套餐交费"), r.operatorName, QStringLiteral("交费单：") + id});
    if (!tx.failed())
        writeLog(r.operatorName, QStringLiteral("会员套餐  会员号：") + r.memberId);
    return finish(tx, QStringLiteral("套餐续费保存失败"), id);
}

static LedgerResult repayOnce(const Repayment &r)
{
    if (r.cents <= 0)
        return LedgerResult::failure(QStringLiteral("还款金额必须大于0，本次还款未保存"));
    TransactionScope tx;
    const DebtBook::Open o = DebtBook::open(r.documentId);
    if (DebtBook::repay(r))
        writeLog(r.operatorName, QStringLiteral("会员还款  会员号：") + o.memberId + QStringLiteral("  单号：")
                                     + r.documentId);
    if (!tx.commit())
        return LedgerResult::failure(
            LedgerSql::failureText(QStringLiteral("还款保存失败"), tx.firstError(), QStringLiteral("本次还款未保存")));
    return LedgerResult::success(r.documentId);
}

static LedgerResult deleteMemberOnce(const QString &memberId, const QString &operatorName)
{
    TransactionScope tx;
    if (!memberExists(memberId)) {
        refuse(QStringLiteral("找不到该会员"));
        return finish(tx, QStringLiteral("删除会员失败"), QString());
    }
    const QString name = value(QStringLiteral("select name from huiyuan where ID=?"), {memberId}).toString();
    if (BalanceBook::balance(memberId) > 0)
        refuse(QStringLiteral("该会员卡内还有余额，不能删除"));
    else if (value(QStringLiteral("select 1 from huiyuantaocan where huiyuanID=? and shengyucishu>0"), {memberId})
                 .isValid())
        refuse(QStringLiteral("该会员还有套餐次数未用完，不能删除"));
    else if (DebtBook::memberDebt(memberId) > 0)
        refuse(QStringLiteral("该会员还有欠款未还清，不能删除"));
    if (!tx.failed()) {
        execOne(QStringLiteral("delete from huiyuan where ID=?"), {memberId}, QStringLiteral("会员未删除"));
        writeLog(operatorName, deletionLogText(QStringLiteral("会员"), memberId, name));
    }
    return finish(tx, QStringLiteral("删除会员失败"), memberId);
}

QString MemberWriter::serviceItemInUse(const QString &itemId)
{
    // One row answers: a server would otherwise send every holder's row.
    if (value(QStringLiteral("select 1 from huiyuantaocan where xiangmuID=? and shengyucishu>0 LIMIT 1"), {itemId}).isValid())
        return QStringLiteral("还有会员持有该项目的套餐次数，不能删除");
    if (value(QStringLiteral("select 1 from taocanmingxi where xiangmuID=? LIMIT 1"), {itemId}).isValid())
        return QStringLiteral("还有套餐包含该项目，不能删除");
    return QString();
}

QString MemberWriter::cardTypeUser(const QString &name, bool withHistory)
{
    // Members find their discounts by the name, the rules offer by it.
    if (value(QStringLiteral("select 1 from huiyuan where type=? LIMIT 1"), {name}).isValid())
        return QStringLiteral("会员");
    if (value(QStringLiteral("select 1 from chongzhiguize where kaming=? LIMIT 1"), {name}).isValid())
        return QStringLiteral("充值优惠规则");
    if (value(QStringLiteral("select 1 from cuxiaoshezhi where huiyuanleixing=? LIMIT 1"), {name}).isValid())
        return QStringLiteral("促销方案");
    if (withHistory
        && value(QStringLiteral("select 1 from huiyuankabiandong where jiuka=? or xinka=? LIMIT 1"), {name, name}).isValid())
        return QStringLiteral("会员卡升级记录");
    return QString();
}

// Each operation runs again from the start when another desk's transaction
// got in its way.
LedgerResult MemberWriter::issueCard(const CardIssue &c)
{
    // A card issued at a try whose answer was lost is answered saved, not
    // refused as a member number already taken.
    const QStringList key{QStringLiteral("card"), c.memberId, c.cardType, c.packageId, QString::number(c.priceCents),
                          QString::number(c.receivedCents), c.method, c.employeeId, c.operatorName};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("会员办卡保存失败"), [&] { return issueCardOnce(c); });
}

// A top-up, renewal or repayment whose answer was lost is the same one again
// when the cashier sends the same value from the same window: it is settled
// from the books before anything is written (see UnsettledOutcomes).
LedgerResult MemberWriter::topUp(const TopUp &t)
{
    QStringList key{QStringLiteral("topup"), t.memberId, QString::number(t.paidInCents), QString::number(t.bonusCents),
                    QString::number(t.receivedCents), t.method, t.employee, t.operatorName};
    for (const PaymentPart &p : t.payments)
        key << p.method << QString::number(p.cents) << p.voucherNo;
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("会员充值保存失败"), [&] { return topUpOnce(t); });
}

LedgerResult MemberWriter::renew(const Renewal &r)
{
    QStringList key{QStringLiteral("renewal"), r.memberId, QString::number(r.dueCents), QString::number(r.debtCents),
                    r.employee, r.remark, r.operatorName};
    for (const PackageItem &item : r.items)
        key << item.itemId << QString::number(item.uses);
    for (const PaymentPart &p : r.payments)
        key << p.method << QString::number(p.cents) << p.voucherNo;
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("套餐续费保存失败"), [&] { return renewOnce(r); });
}

LedgerResult MemberWriter::repay(const Repayment &r)
{
    const QStringList key{QStringLiteral("repay"), r.documentId, QString::number(r.cents), r.method, r.operatorName};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("还款保存失败"), [&] { return repayOnce(r); });
}

LedgerResult MemberWriter::deleteMember(const QString &memberId, const QString &operatorName)
{
    return retryOnConflict([&] { return deleteMemberOnce(memberId, operatorName); });
}
