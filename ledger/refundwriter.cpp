#include "refundwriter.h"

#include "accountbooks.h"
#include "bookingwriter.h"
#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "operatorstore.h"
#include "textlimits.h"
#include "transactionscope.h"
#include "unsettledoutcomes.h"
#include "vouchers.h"

#include <QMap>

using LedgerSql::exec;
using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kPaymentInsert = QStringLiteral(
    "insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,"
    "zengsongjine2,kaneijine,kaneijine2,qiankuanjine,fukuanleixing,yuangongName,caozuoyuan,beizhu,shouyintai) "
    "values(?,?,?,?,?,?,?,?,?,?,0,?,'',?,?,?)");
const QString kVoidMark = QStringLiteral("作废冲销");
const QString kRefundMark = QStringLiteral("退款冲销");

bool isCard(const QString &method)
{
    return method == QString::fromUtf8(kCardMethod);
}

bool memberExists(const QString &id)
{
    return value(QStringLiteral("select 1 from huiyuan where ID=?"), {id}).isValid();
}

// Checks that need no database, common to every refund.
QString checkCommon(const QString &reason, const QString &operatorName, const QString &authorizedBy)
{
    if (reason.trimmed().isEmpty())
        return QStringLiteral("请填写退款或作废的原因");
    const QString tooLong = TextLimits::refusal(QStringLiteral("原因"), reason, TextLimits::kReason);
    if (!tooLong.isEmpty())
        return tooLong;
    if (operatorName.isEmpty() || authorizedBy.isEmpty())
        return QStringLiteral("需要有系统设置权限的操作员确认");
    return QString();
}

// Inside the transaction: the right may have been taken away at another desk.
void checkAuthorizer(const QString &authorizedBy)
{
    if (!RefundWriter::mayAuthorize(authorizedBy))
        refuse(QStringLiteral("操作员") + authorizedBy + QStringLiteral("没有系统设置权限，不能退款或作废"));
}

LedgerResult finish(TransactionScope &tx, const QString &what, const QString &id)
{
    return LedgerSql::committed(tx, what, id);
}

QString withReason(const QString &text, const QString &reason)
{
    return text + QStringLiteral("  原因：") + reason.trimmed();
}

qint64 cents(const QVariant &v)
{
    return yuanToCents(v.toDouble());
}

} // namespace

bool RefundWriter::mayAuthorize(const QString &operatorName)
{
    return OperatorStore::mayAuthorize(operatorName);
}

// The share of what the member ever paid onto the card that a refund hands
// back: that share of the card issue's and top-ups' commission and points goes
// back with it, through their books, under the refund's document.
static void reverseEarnings(const QString &memberId, const QString &refundId, double share, const Entry &entry)
{
    if (share <= 0)
        return;
    share = qMin(1.0, share);
    const QList<QVariantList> docs = LedgerSql::rows(
        QStringLiteral("select ID from huiyuanjiaofei where huiyuanid=? and jiaofeileixing in ('办卡交费','会员充值','会员卡升级') "
                       "group by ID order by min(jiaofeiriqi),ID"),
        {memberId});
    double earned = 0;
    for (const QVariantList &d : docs) {
        if (!CommissionBook::reverseShare(d.value(0).toString(), refundId, share, kRefundMark))
            return;
        // A card issue or top-up books its points under 交费单, an upgrade
        // under 升级单: both were earned by money the refund hands back.
        earned += value(QStringLiteral("select coalesce(sum(coalesce(jifenzengjia,0)-coalesce(jifenjianshao,0)),0) from "
                                       "huiyuanjifen where huiyuanid=? and beizhu in (?,?)"),
                        {memberId, QStringLiteral("交费单：") + d.value(0).toString(),
                         QStringLiteral("升级单：") + d.value(0).toString()})
                      .toDouble();
    }
    const double reversed = value(QStringLiteral("select coalesce(sum(coalesce(jifenjianshao,0)-coalesce(jifenzengjia,0)),0) "
                                                 "from huiyuanjifen where huiyuanid=? and biandongleixing=?"),
                                  {memberId, entry.kind})
                                .toDouble();
    // Points the member has spent since cannot be taken back. Hundredths, as
    // the server's columns keep them: a thousandth would be rounded away there
    // and the two engines would hold different totals.
    const double take = qMin(qMin(qRound64(earned * share * 100) / 100.0, earned - reversed),
                             PointsBook::points(memberId));
    if (take > 0.0005)
        PointsBook::change(memberId, -take, entry);
}

static LedgerResult refundBalanceOnce(const BalanceRefund &r)
{
    QString refused = checkCommon(r.reason, r.operatorName, r.authorizedBy);
    if (refused.isEmpty() && r.memberId == QLatin1String(kWalkInId))
        refused = QStringLiteral("散客没有会员卡，不能退储值");
    else if (refused.isEmpty() && r.takenCents <= 0)
        refused = QStringLiteral("退款金额必须大于0");
    else if (refused.isEmpty() && (r.paidBackCents < 0 || r.paidBackCents > r.takenCents))
        refused = QStringLiteral("实退金额不能大于扣除的卡内金额");
    else if (refused.isEmpty() && (r.method.isEmpty() || isCard(r.method)))
        refused = QStringLiteral("请选择退款方式（不能退回储蓄卡）");
    if (!refused.isEmpty())
        return LedgerResult::failure(refused);

    const QString what = QStringLiteral("退储值保存失败");
    TransactionScope tx;
    checkAuthorizer(r.authorizedBy);
    if (!tx.failed() && !memberExists(r.memberId))
        refuse(QStringLiteral("找不到该会员"));
    // Read under the lock: another desk may have sold from the card or taken a repayment.
    const StoredValue sv = BalanceBook::storedValue(r.memberId);
    if (!tx.failed() && sv.balanceCents < r.takenCents)
        refuse(QStringLiteral("退款金额大于卡内余额，卡内余额：") + centsText(sv.balanceCents));
    if (!tx.failed() && r.paidBackCents > sv.refundableCents)
        refuse(RefundWriter::refundLimitText(sv));
    if (!tx.failed() && r.takenCents < r.paidBackCents + sv.debtCents)
        refuse(QStringLiteral("会员还有欠款") + centsText(sv.debtCents)
               + QStringLiteral("元，退储值先从卡内还清欠款：扣除卡内金额至少为")
               + centsText(r.paidBackCents + sv.debtCents) + QStringLiteral("元"));
    if (tx.failed())
        return finish(tx, what, QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("TK"), QStringLiteral("退储值"), r.operatorName);
    const Entry entry{QStringLiteral("退储值"), r.operatorName, QStringLiteral("退款单：") + id};
    BalanceBook::change(r.memberId, -r.takenCents, entry);
    // The card repays what the member owes, oldest first: takings by the card
    // under each debt's own document.
    qint64 cardDebt = 0;
    for (const DebtBook::Open &o : DebtBook::openOf(r.memberId)) {
        if (tx.failed())
            break;
        if (DebtBook::repay(Repayment{o.documentId, o.cents, QString::fromUtf8(kCardMethod), r.operatorName})
            && !o.sale)
            cardDebt += o.cents;
    }
    const qint64 kept = r.takenCents - sv.debtCents - r.paidBackCents;
    const qint64 bonusOff = qMin(kept, sv.bonusCents);
    QString remark = QStringLiteral("退储值:") + centsText(r.takenCents);
    if (sv.debtCents > 0)
        remark += QStringLiteral(" 还欠款:") + centsText(sv.debtCents);
    if (bonusOff > 0)
        remark += QStringLiteral(" 扣回赠送:") + centsText(bonusOff);
    if (kept > bonusOff)
        remark += QStringLiteral(" 不退:") + centsText(kept - bonusOff);
    if (!tx.failed())
        execOne(kPaymentInsert,
                {id, r.memberId, LedgerSql::now(), QStringLiteral("退储值"), -centsToYuan(r.paidBackCents),
                 -centsToYuan(r.paidBackCents), -centsToYuan(bonusOff), -centsToYuan(bonusOff),
                 -centsToYuan(r.takenCents), -centsToYuan(r.takenCents), r.method, r.operatorName,
                 withReason(remark, r.reason), LedgerSql::desk()},
                QStringLiteral("退款记录未写入"));
    if (!tx.failed() && sv.paidEverCents > 0)
        reverseEarnings(r.memberId, id, double(r.paidBackCents + cardDebt) / double(sv.paidEverCents), entry);
    if (!tx.failed())
        LedgerSql::log(r.operatorName,
                       withReason(QStringLiteral("会员退储值  会员号：") + r.memberId + QStringLiteral("  单号：") + id
                                      + QStringLiteral("  确认人：") + r.authorizedBy,
                                  r.reason));
    return finish(tx, what, id);
}

QString RefundWriter::refundLimitText(const StoredValue &sv)
{
    QString why = QStringLiteral("实退金额不能大于可退金额") + centsText(sv.refundableCents) + QStringLiteral("元（实付储值")
                  + centsText(sv.paidCents) + QStringLiteral("元");
    if (sv.bonusCents > 0)
        why += sv.bonusRefundable ? QStringLiteral("，赠送") + centsText(sv.bonusCents) + QStringLiteral("元")
                                  : QStringLiteral("，赠送") + centsText(sv.bonusCents) + QStringLiteral("元不退现");
    if (sv.debtCents > 0)
        why += QStringLiteral("，欠款") + centsText(sv.debtCents) + QStringLiteral("元先从卡内还清");
    return why + QStringLiteral("）");
}

QString RefundWriter::memberName(const QString &memberId)
{
    return value(QStringLiteral("select name from huiyuan where ID=?"), {memberId}).toString();
}

bool RefundWriter::isSale(const QString &documentId)
{
    return value(QStringLiteral("select 1 from huiyuanxiaofei where ID=? LIMIT 1"), {documentId}).isValid();
}

SaleHeader RefundWriter::saleHeader(const QString &saleId)
{
    const QVariantList sale = LedgerSql::rows(QStringLiteral("select min(x.xiaofeiriqi),coalesce(sum(x.xiaofeijine),0),max(h.name) "
                                                  "from huiyuanxiaofei x left join huiyuan h on h.ID=x.huiyuanid "
                                                  "where x.ID=?"),
                                   {saleId})
                                  .value(0);
    SaleHeader h;
    h.time = sale.value(0).toString();
    h.amountCents = yuanToCents(sale.value(1).toDouble());
    h.memberName = sale.value(2).toString();
    return h;
}

PackageQuote RefundWriter::quotePackage(const QString &memberId, const QString &itemId, const QString &asOf)
{
    PackageQuote q;
    q.itemId = itemId;
    const QVariantList item = LedgerSql::rows(QStringLiteral("select name,coalesce(xiaoshoujiage,0) from fuwuxiangmu "
                                                             "where ID=?"),
                                              {itemId})
                                  .value(0);
    q.name = item.isEmpty() ? itemId : item.value(0).toString();
    // Then: the uses its last uses row recorded (each row holds the item's uses after it).
    q.usesLeft = asOf.isEmpty()
                     ? UsesBook::left(memberId, itemId)
                     : value(QStringLiteral("select dangshikaneicishu from huiyuanyuebiandong where huiyuanid=? and "
                                            "xiangmumingchen=? and biandongriqi<=? order by ID desc LIMIT 1"),
                             {memberId, itemId, asOf})
                           .toDouble();
    QVariantList bound{memberId, itemId};
    if (!asOf.isEmpty())
        bound << asOf;
    // Every card issue or renewal that sold uses of the item, by the remark
    // its uses rows carry.
    const QList<QVariantList> sold = LedgerSql::rows(
        QStringLiteral("select beizhu,sum(cishuzengjia) from huiyuanyuebiandong where huiyuanid=? and "
                       "xiangmumingchen=? and cishuzengjia>0 and biandongleixing in ('会员办卡','会员套餐充值')")
            + (asOf.isEmpty() ? QString() : QStringLiteral(" and biandongriqi<=?"))
            + QStringLiteral(" group by beizhu order by min(ID)"),
        bound);
    double money = 0, uses = 0;
    for (const QVariantList &s : sold) {
        const QString remark = s.value(0).toString();
        const QString doc = remark.mid(remark.indexOf(QStringLiteral("：")) + 1);
        const QList<QVariantList> pay = LedgerSql::rows(
            QStringLiteral("select max(jiaofeileixing),coalesce(sum(yingjiaojine),0),coalesce(sum(kaneijine),0),"
                           "coalesce(sum(zengsongjine),0) from huiyuanjiaofei where ID=? and jiaofeileixing in "
                           "('办卡交费','套餐交费')"),
            {doc});
        if (pay.isEmpty() || pay.first().value(0).isNull())
            continue; // no payment on file: not priced
        const QVariantList p = pay.first();
        // A card issue's due is the card's price and the package's; the card's
        // price is what it holds less its bonus.
        const double docMoney = p.value(0).toString() == QStringLiteral("办卡交费")
                                    ? p.value(1).toDouble() - (p.value(2).toDouble() - p.value(3).toDouble())
                                    : p.value(1).toDouble();
        const QList<QVariantList> items = LedgerSql::rows(
            QStringLiteral("select y.xiangmumingchen,sum(y.cishuzengjia),max(coalesce(f.xiaoshoujiage,0)) from "
                           "huiyuanyuebiandong y left join fuwuxiangmu f on f.ID=y.xiangmumingchen where "
                           "y.huiyuanid=? and y.beizhu=? and y.cishuzengjia>0 group by y.xiangmumingchen order by y.xiangmumingchen"),
            {memberId, remark});
        double weightAll = 0, weightThis = 0, usesAll = 0;
        for (const QVariantList &i : items) {
            weightAll += i.value(1).toDouble() * i.value(2).toDouble();
            usesAll += i.value(1).toDouble();
            if (i.value(0).toString() == itemId)
                weightThis = i.value(1).toDouble() * i.value(2).toDouble();
        }
        const double share = weightAll > 0 ? weightThis / weightAll
                                           : (usesAll > 0 ? s.value(1).toDouble() / usesAll : 0.0);
        money += qMax(0.0, docMoney) * 100.0 * share;
        uses += s.value(1).toDouble();
    }
    if (uses > 0) {
        q.perUseCents = money / uses;
    } else {
        q.fromListPrice = true;
        q.perUseCents = double(yuanToCents(item.value(1).toDouble()));
    }
    return q;
}

QList<PackageQuote> RefundWriter::packagesOf(const QString &memberId, const QString &asOf)
{
    QList<PackageQuote> out;
    if (!asOf.isEmpty()) {
        for (const QVariantList &i : LedgerSql::rows(
                 QStringLiteral("select xiangmumingchen from huiyuanyuebiandong where huiyuanid=? and "
                                "coalesce(xiangmumingchen,'')<>'' and biandongriqi<=? group by xiangmumingchen "
                                "order by min(ID)"),
                 {memberId, asOf})) {
            const PackageQuote q = quotePackage(memberId, i.value(0).toString(), asOf);
            if (q.usesLeft > 0)
                out << q;
        }
        return out;
    }
    for (const QVariantList &i :
         LedgerSql::rows(QStringLiteral("select xiangmuID from huiyuantaocan where huiyuanID=? group by xiangmuID "
                                        "having sum(shengyucishu)>0 order by min(rowid)"),
                         {memberId}))
        out << quotePackage(memberId, i.value(0).toString());
    return out;
}

static LedgerResult refundPackageOnce(const PackageRefund &r)
{
    QString refused = checkCommon(r.reason, r.operatorName, r.authorizedBy);
    if (refused.isEmpty() && r.memberId == QLatin1String(kWalkInId))
        refused = QStringLiteral("散客没有套餐，不能退套餐");
    else if (refused.isEmpty() && r.itemId.isEmpty())
        refused = QStringLiteral("请选择要退的套餐项目");
    else if (refused.isEmpty() && r.uses <= 0)
        refused = QStringLiteral("退回次数必须是大于0的整数");
    else if (refused.isEmpty() && r.paidBackCents < 0)
        refused = QStringLiteral("退款金额必须是不小于0的数字");
    else if (refused.isEmpty() && r.method.isEmpty())
        refused = QStringLiteral("请选择退款方式");
    if (!refused.isEmpty())
        return LedgerResult::failure(refused);

    const QString what = QStringLiteral("退套餐保存失败");
    TransactionScope tx;
    checkAuthorizer(r.authorizedBy);
    if (!tx.failed() && !memberExists(r.memberId))
        refuse(QStringLiteral("找不到该会员"));
    const PackageQuote q = RefundWriter::quotePackage(r.memberId, r.itemId);
    const qint64 limit = q.limitCents(r.uses);
    if (!tx.failed() && r.paidBackCents > limit) {
        if (r.aboveLimitBy.isEmpty())
            refuse(QStringLiteral("退款金额不能大于") + centsText(limit) + QStringLiteral("元（每次")
                   + centsText(qRound64(q.perUseCents)) + QStringLiteral("元×") + QString::number(r.uses)
                   + QStringLiteral("次）；多退需有系统设置权限的操作员确认"));
        else if (!RefundWriter::mayAuthorize(r.aboveLimitBy))
            refuse(QStringLiteral("操作员") + r.aboveLimitBy + QStringLiteral("没有系统设置权限，不能多退"));
    }
    if (tx.failed())
        return finish(tx, what, QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("TT"), QStringLiteral("退套餐"), r.operatorName);
    const Entry entry{QStringLiteral("退套餐"), r.operatorName, QStringLiteral("退款单：") + id};
    UsesBook::returnUnused(r.memberId, r.itemId, r.uses, entry);
    const bool toCard = isCard(r.method);
    if (toCard && !tx.failed())
        BalanceBook::change(r.memberId, r.paidBackCents, entry);
    const double back = centsToYuan(r.paidBackCents);
    // Onto the card no money changes hands: the row takes nothing in or out,
    // the card's value grows (and is takings when it is spent or paid out).
    QString remark = QStringLiteral("退套餐:") + q.name + QStringLiteral(":") + QString::number(r.uses);
    if (r.paidBackCents > limit)
        remark += QStringLiteral(" 超出按次计价") + centsText(r.paidBackCents - limit)
                  + QStringLiteral("元，确认人：") + r.aboveLimitBy;
    if (!tx.failed())
        execOne(kPaymentInsert,
                {id, r.memberId, LedgerSql::now(), QStringLiteral("退套餐"), -back, toCard ? 0.0 : -back, 0, 0,
                 toCard ? back : 0.0, toCard ? back : 0.0, r.method, r.operatorName, withReason(remark, r.reason), LedgerSql::desk()},
                QStringLiteral("退款记录未写入"));
    if (!tx.failed())
        LedgerSql::log(r.operatorName,
                       withReason(QStringLiteral("会员退套餐  会员号：") + r.memberId + QStringLiteral("  项目：")
                                      + r.itemId + QStringLiteral("  次数：") + QString::number(r.uses)
                                      + QStringLiteral("  单号：") + id + QStringLiteral("  确认人：") + r.authorizedBy,
                                  r.reason));
    return finish(tx, what, id);
}

SaleVoidPreview RefundWriter::previewVoid(const QString &saleId)
{
    SaleVoidPreview p;
    const QList<QVariantList> head = LedgerSql::rows(
        QStringLiteral("select count(*),max(huiyuanid),coalesce(sum(qiankuanjine),0) from huiyuanxiaofei where ID=?"),
        {saleId});
    if (saleId.isEmpty() || head.isEmpty() || head.first().value(0).toInt() == 0) {
        p.problem = QStringLiteral("找不到该消费单");
        return p;
    }
    if (value(QStringLiteral("select 1 from xiaofeizuofei where ID=?"), {saleId}).isValid()) {
        p.problem = QStringLiteral("该消费单已经作废，不能再次作废");
        return p;
    }
    if (value(QStringLiteral("select 1 from xiaofeizuofei where zuofeiID=?"), {saleId}).isValid()) {
        p.problem = QStringLiteral("这是一张作废单，不能作废");
        return p;
    }
    if (!value(QStringLiteral("select 1 from xiaofeimingxi where ID=? LIMIT 1"), {saleId}).isValid()) {
        p.problem = QStringLiteral("该单据没有消费明细，不能作废");
        return p;
    }
    p.memberId = head.first().value(1).toString();
    p.openDebtCents = cents(head.first().value(2));
    const QString bill = QStringLiteral("消费单：") + saleId;
    p.cardCents = cents(value(QStringLiteral("select coalesce(sum(coalesce(yuejianshao,0)-coalesce(yuezengjia,0)),0) from "
                                             "huiyuanyuebiandong where huiyuanid=? and beizhu=? and "
                                             "coalesce(xiangmumingchen,'')=''"),
                              {p.memberId, bill}));
    p.cashCents = cents(value(QStringLiteral("select coalesce(sum(shishoujine),0) from huiyuanxiaofei where ID=? and "
                                             "fukuanfangshi<>?"),
                              {saleId, QString::fromUtf8(kCardMethod)}));
    p.repaidCents = cents(value(QStringLiteral("select coalesce(sum(shishoujine),0) from huiyuanxiaofei where ID=? and "
                                               "beizhu='会员还款' and coalesce(xiaofeijine,0)=0 and "
                                               "coalesce(yingshoujine,0)=0"),
                                {saleId}));
    p.points = value(QStringLiteral("select coalesce(sum(coalesce(jifenzengjia,0)-coalesce(jifenjianshao,0)),0) from "
                                    "huiyuanjifen where huiyuanid=? and beizhu=?"),
                     {p.memberId, bill})
                   .toDouble();
    return p;
}

static LedgerResult voidSaleOnce(const SaleVoid &v)
{
    const QString refused = checkCommon(v.reason, v.operatorName, v.authorizedBy);
    if (!refused.isEmpty())
        return LedgerResult::failure(refused);

    const QString what = QStringLiteral("作废消费单失败");
    TransactionScope tx;
    checkAuthorizer(v.authorizedBy);
    // Read again under the lock: another desk may have voided it a moment ago.
    const SaleVoidPreview p = RefundWriter::previewVoid(v.saleId);
    if (!tx.failed() && !p.problem.isEmpty())
        refuse(p.problem);
    const bool walkIn = p.memberId == QLatin1String(kWalkInId);
    const QString bill = QStringLiteral("消费单：") + v.saleId;
    const QList<QVariantList> uses = LedgerSql::rows(
        QStringLiteral("select xiangmumingchen,ROUND(sum(coalesce(cishujianshao,0)-coalesce(cishuzengjia,0))) from "
                       "huiyuanyuebiandong where huiyuanid=? and beizhu=? and coalesce(xiangmumingchen,'')<>'' "
                       "group by xiangmumingchen order by min(ID)"),
        {p.memberId, bill});
    // A member deleted since (nothing left on the card then): what came in by
    // other methods goes back by them; there is no card to take back what it paid.
    const bool unfiled = !walkIn && !tx.failed() && !memberExists(p.memberId);
    if (unfiled && p.cardCents != 0)
        refuse(QStringLiteral("该会员已删除，本单储蓄卡支付的") + centsText(p.cardCents)
               + QStringLiteral("元无法退回卡内，不能作废"));
    else if (unfiled && !uses.isEmpty())
        refuse(QStringLiteral("该会员已删除，本单用掉的套餐次数无法退回，不能作废"));
    if (!tx.failed() && !unfiled && p.points > 0 && PointsBook::points(p.memberId) + 0.0005 < p.points)
        refuse(QStringLiteral("该会员现有积分少于本单所得积分，不能作废"));
    if (tx.failed())
        return finish(tx, what, QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("ZF"), QStringLiteral("消费作废"), v.operatorName);
    const Entry entry{QStringLiteral("消费作废"), v.operatorName, QStringLiteral("作废单：") + id};
    const QString now = LedgerSql::now();

    // The register is the guard: its key is the voided sale.
    execOne(QStringLiteral("insert into xiaofeizuofei(ID,zuofeiID,huiyuanid,zuofeiriqi,caozuoyuan,shouquanren,"
                           "quxiaoqiankuan,yuanyin) values(?,?,?,?,?,?,?,?)"),
            {v.saleId, id, p.memberId, now, v.operatorName, v.authorizedBy, centsToYuan(p.openDebtCents),
             v.reason.trimmed()},
            QStringLiteral("该消费单已经作废，不能再次作废"));
    if (p.openDebtCents != 0 && !tx.failed())
        DebtBook::cancelSaleDebt(v.saleId);

    if (p.cardCents != 0 && !tx.failed())
        BalanceBook::change(p.memberId, p.cardCents, entry);

    for (const QVariantList &u : uses) {
        if (tx.failed())
            break;
        UsesBook::giveBack(p.memberId, u.value(0).toString(), u.value(1).toLongLong(), entry);
    }
    if (!tx.failed() && unfiled)
        PointsBook::changeUnfiled(p.memberId, -p.points, entry);
    else if (!tx.failed())
        PointsBook::change(p.memberId, -p.points, entry);

    // The reversing lines and commission rows: every analysis nets the sale out.
    if (!tx.failed())
        exec(QStringLiteral("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,"
                            "shuliang,jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu) "
                            "select ?,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,-shuliang,-jine,-jifen,"
                            "fukuanfangshi,tichengyuangongID,?,beizhu from xiaofeimingxi where ID=? order by rowid"),
             {id, v.operatorName, v.saleId});
    if (!tx.failed())
        CommissionBook::reverse(v.saleId, id, kVoidMark);
    if (!tx.failed())
        Vouchers::giveBackInside(v.saleId, id, v.operatorName); // 代金券 the sale took are good again

    const QList<QVariantList> stock = LedgerSql::rows(
        QStringLiteral("select chanpinID,sum(shuliang),sum(jine),max(xiaoshoujiage) from chanpinrukumingxi "
                       "where rukuID=? group by chanpinID order by min(rowid)"),
        {v.saleId});
    for (const QVariantList &s : stock) {
        if (tx.failed())
            break;
        StockMove m;
        m.documentId = id;
        m.kind = QStringLiteral("出库明细");
        m.productId = s.value(0).toString();
        m.unitCents = cents(s.value(3));
        m.quantity = -s.value(1).toDouble();
        m.amountCents = -cents(s.value(2));
        m.reason = QStringLiteral("消费作废");
        m.operatorName = v.operatorName;
        m.remark = bill;
        StockBook::move(m);
    }

    // The takings paid back, by the methods they came in (repayments too); the
    // first row carries the sale's totals and points, negated.
    const QList<QVariantList> totals = LedgerSql::rows(
        QStringLiteral("select coalesce(sum(xiaofeijine),0),coalesce(sum(yingshoujine),0),coalesce(sum(qiandanjine),0) "
                       "from huiyuanxiaofei where ID=?"),
        {v.saleId});
    QList<QVariantList> methods = LedgerSql::rows(
        QStringLiteral("select fukuanfangshi,coalesce(sum(shishoujine),0) from huiyuanxiaofei where ID=? "
                       "group by fukuanfangshi having ROUND(sum(shishoujine),2)<>0 order by min(rowid)"),
        {v.saleId});
    if (methods.isEmpty())
        methods = LedgerSql::rows(QStringLiteral("select fukuanfangshi,0 from huiyuanxiaofei where ID=? order by rowid "
                                                 "LIMIT 1"),
                                  {v.saleId});
    const double balance = walkIn || unfiled ? 0.0 : centsToYuan(BalanceBook::balance(p.memberId));
    const QVariantList t = totals.value(0);
    for (int k = 0; k < methods.size() && !tx.failed(); ++k) {
        const bool first = k == 0;
        const double amount = -centsToYuan(cents(methods.at(k).value(1)));
        exec(QStringLiteral("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,"
                            "xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu,shouyintai) "
                            "values(?,?,?,?,?,?,?,?,?,0,?,?,?,?,?)"),
             {id, p.memberId, now, amount, methods.at(k).value(0), amount,
              first ? -centsToYuan(cents(t.value(0))) : 0.0, first ? -centsToYuan(cents(t.value(1))) : 0.0,
              first ? -centsToYuan(cents(t.value(2))) : 0.0, balance, first ? -p.points : 0.0, v.operatorName,
              kVoidMark, LedgerSql::desk()});
    }

    // A booking settled by this sale is open again, the customer still there.
    if (!tx.failed())
        BookingWriter::reopenAfterVoid(v.saleId, v.operatorName);
    if (!tx.failed())
        LedgerSql::log(v.operatorName,
                       withReason(QStringLiteral("作废会员消费  会员号：") + p.memberId + QStringLiteral("  单号：")
                                      + v.saleId + QStringLiteral("  作废单：") + id + QStringLiteral("  确认人：")
                                      + v.authorizedBy,
                                  v.reason));
    return finish(tx, what, id);
}

// Each runs again from the start when another desk's transaction got in its
// way on a shop server. One whose answer was lost is the same one again when
// the same value comes from the same window: settled from the books before
// anything is written (see UnsettledOutcomes), so money goes back once.
LedgerResult RefundWriter::refundBalance(const BalanceRefund &r)
{
    const QStringList key{QStringLiteral("balance-refund"), r.memberId, QString::number(r.takenCents),
                          QString::number(r.paidBackCents), r.method, r.reason, r.operatorName, r.authorizedBy};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("退储值保存失败"),
                                  [&] { return refundBalanceOnce(r); });
}

LedgerResult RefundWriter::refundPackage(const PackageRefund &r)
{
    const QStringList key{QStringLiteral("package-refund"), r.memberId, r.itemId, QString::number(r.uses),
                          QString::number(r.paidBackCents), r.method, r.reason, r.operatorName, r.authorizedBy,
                          r.aboveLimitBy};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("退套餐保存失败"),
                                  [&] { return refundPackageOnce(r); });
}

LedgerResult RefundWriter::voidSale(const SaleVoid &v)
{
    const QStringList key{QStringLiteral("void"), v.saleId, v.reason, v.operatorName, v.authorizedBy};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("作废消费单失败"), [&] { return voidSaleOnce(v); });
}
