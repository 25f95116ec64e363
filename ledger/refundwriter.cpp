#include "refundwriter.h"

#include "accountbooks.h"
#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "operatorstore.h"
#include "transactionscope.h"

#include <QMap>

using LedgerSql::exec;
using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kPaymentInsert = QStringLiteral(
    "insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,"
    "zengsongjine2,kaneijine,kaneijine2,qiankuanjine,fukuanleixing,yuangongName,caozuoyuan,beizhu) "
    "values(?,?,?,?,?,?,?,?,?,?,0,?,'',?,?)");
const QString kVoidMark = QStringLiteral("作废冲销");

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
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    return LedgerResult::success(id);
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
    if (!tx.failed() && BalanceBook::balance(r.memberId) < r.takenCents)
        refuse(QStringLiteral("退款金额大于卡内余额，卡内余额：") + centsText(BalanceBook::balance(r.memberId)));
    if (tx.failed())
        return finish(tx, what, QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("TK"), QStringLiteral("退储值"), r.operatorName);
    BalanceBook::change(r.memberId, -r.takenCents,
                        {QStringLiteral("退储值"), r.operatorName, QStringLiteral("退款单：") + id});
    const double kept = centsToYuan(r.takenCents - r.paidBackCents);
    execOne(kPaymentInsert,
            {id, r.memberId, LedgerSql::now(), QStringLiteral("退储值"), -centsToYuan(r.paidBackCents),
             -centsToYuan(r.paidBackCents), -kept, -kept, -centsToYuan(r.takenCents), -centsToYuan(r.takenCents),
             r.method, r.operatorName,
             withReason(QStringLiteral("退储值:") + centsText(r.takenCents), r.reason)},
            QStringLiteral("退款记录未写入"));
    if (!tx.failed())
        LedgerSql::log(r.operatorName,
                       withReason(QStringLiteral("会员退储值  会员号：") + r.memberId + QStringLiteral("  单号：") + id
                                      + QStringLiteral("  确认人：") + r.authorizedBy,
                                  r.reason));
    return finish(tx, what, id);
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
    if (tx.failed())
        return finish(tx, what, QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("TT"), QStringLiteral("退套餐"), r.operatorName);
    const Entry entry{QStringLiteral("退套餐"), r.operatorName, QStringLiteral("退款单：") + id};
    UsesBook::returnUnused(r.memberId, r.itemId, r.uses, entry);
    const bool toCard = isCard(r.method);
    if (toCard && !tx.failed())
        BalanceBook::change(r.memberId, r.paidBackCents, entry);
    const QString name = value(QStringLiteral("select name from fuwuxiangmu where ID=?"), {r.itemId}).toString();
    const double back = centsToYuan(r.paidBackCents);
    if (!tx.failed())
        execOne(kPaymentInsert,
                {id, r.memberId, LedgerSql::now(), QStringLiteral("退套餐"), -back, -back, 0, 0,
                 toCard ? back : 0.0, toCard ? back : 0.0, r.method, r.operatorName,
                 withReason(QStringLiteral("退套餐:") + (name.isEmpty() ? r.itemId : name) + QStringLiteral(":")
                                + QString::number(r.uses),
                            r.reason)},
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
        QStringLiteral("select count(*),max(huiyuanid),ifnull(sum(qiankuanjine),0) from huiyuanxiaofei where ID=?"),
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
    p.cardCents = cents(value(QStringLiteral("select ifnull(sum(ifnull(yuejianshao,0)-ifnull(yuezengjia,0)),0) from "
                                             "huiyuanyuebiandong where huiyuanid=? and beizhu=? and "
                                             "ifnull(xiangmumingchen,'')=''"),
                              {p.memberId, bill}));
    p.cashCents = cents(value(QStringLiteral("select ifnull(sum(shishoujine),0) from huiyuanxiaofei where ID=? and "
                                             "fukuanfangshi<>?"),
                              {saleId, QString::fromUtf8(kCardMethod)}));
    p.repaidCents = cents(value(QStringLiteral("select ifnull(sum(shishoujine),0) from huiyuanxiaofei where ID=? and "
                                               "beizhu='会员还款' and ifnull(xiaofeijine,0)=0 and "
                                               "ifnull(yingshoujine,0)=0"),
                                {saleId}));
    p.points = value(QStringLiteral("select ifnull(sum(ifnull(jifenzengjia,0)-ifnull(jifenjianshao,0)),0) from "
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
    if (!tx.failed() && !walkIn && !memberExists(p.memberId))
        refuse(QStringLiteral("找不到该消费单的会员"));
    if (!tx.failed() && p.points > 0 && PointsBook::points(p.memberId) + 0.0005 < p.points)
        refuse(QStringLiteral("该会员现有积分少于本单所得积分，不能作废"));
    if (tx.failed())
        return finish(tx, what, QString());

    const QString id = LedgerSql::newDocumentId(QStringLiteral("ZF"), QStringLiteral("消费作废"), v.operatorName);
    const QString bill = QStringLiteral("消费单：") + v.saleId;
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

    const QList<QVariantList> uses = LedgerSql::rows(
        QStringLiteral("select xiangmumingchen,ROUND(sum(ifnull(cishujianshao,0)-ifnull(cishuzengjia,0))) from "
                       "huiyuanyuebiandong where huiyuanid=? and beizhu=? and ifnull(xiangmumingchen,'')<>'' "
                       "group by xiangmumingchen order by min(ID)"),
        {p.memberId, bill});
    for (const QVariantList &u : uses) {
        if (tx.failed())
            break;
        UsesBook::giveBack(p.memberId, u.value(0).toString(), u.value(1).toLongLong(), entry);
    }
    if (!tx.failed())
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
        QStringLiteral("select ifnull(sum(xiaofeijine),0),ifnull(sum(yingshoujine),0),ifnull(sum(qiandanjine),0) "
                       "from huiyuanxiaofei where ID=?"),
        {v.saleId});
    QList<QVariantList> methods = LedgerSql::rows(
        QStringLiteral("select fukuanfangshi,ifnull(sum(shishoujine),0) from huiyuanxiaofei where ID=? "
                       "group by fukuanfangshi having ROUND(sum(shishoujine),2)<>0 order by min(rowid)"),
        {v.saleId});
    if (methods.isEmpty())
        methods = LedgerSql::rows(QStringLiteral("select fukuanfangshi,0 from huiyuanxiaofei where ID=? order by rowid "
                                                 "LIMIT 1"),
                                  {v.saleId});
    const double balance = walkIn ? 0.0 : centsToYuan(BalanceBook::balance(p.memberId));
    const QVariantList t = totals.value(0);
    for (int k = 0; k < methods.size() && !tx.failed(); ++k) {
        const bool first = k == 0;
        const double amount = -centsToYuan(cents(methods.at(k).value(1)));
        exec(QStringLiteral("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,"
                            "xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu) "
                            "values(?,?,?,?,?,?,?,?,?,0,?,?,?,?)"),
             {id, p.memberId, now, amount, methods.at(k).value(0), amount,
              first ? -centsToYuan(cents(t.value(0))) : 0.0, first ? -centsToYuan(cents(t.value(1))) : 0.0,
              first ? -centsToYuan(cents(t.value(2))) : 0.0, balance, first ? -p.points : 0.0, v.operatorName,
              kVoidMark});
    }

    if (!tx.failed())
        LedgerSql::log(v.operatorName,
                       withReason(QStringLiteral("作废会员消费  会员号：") + p.memberId + QStringLiteral("  单号：")
                                      + v.saleId + QStringLiteral("  作废单：") + id + QStringLiteral("  确认人：")
                                      + v.authorizedBy,
                                  v.reason));
    return finish(tx, what, id);
}

// Each runs again from the start when another desk's transaction got in its
// way on a shop server.
LedgerResult RefundWriter::refundBalance(const BalanceRefund &r)
{
    return retryOnConflict([&] { return refundBalanceOnce(r); });
}

LedgerResult RefundWriter::refundPackage(const PackageRefund &r)
{
    return retryOnConflict([&] { return refundPackageOnce(r); });
}

LedgerResult RefundWriter::voidSale(const SaleVoid &v)
{
    return retryOnConflict([&] { return voidSaleOnce(v); });
}
