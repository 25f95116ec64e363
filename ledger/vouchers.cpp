#include "vouchers.h"

#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "settingsright.h"
#include "textlimits.h"
#include "transactionscope.h"

using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

const char kVoucherMethod[] = "代金券";
const char kVoucherMethodOld[] = "代金卷";
const char kVoucherKeepsRest[] = "代金券余额保留";

namespace {

const char kColumns[] = "select ID,mianzhi,yue,youxiaoqizhi,zhuangtai,laiyuan,huiyuanid from daijinquan ";

Voucher voucherOf(const QVariantList &r)
{
    Voucher v;
    v.found = true;
    v.number = r.value(0).toString();
    v.valueCents = yuanToCents(r.value(1).toDouble());
    v.restCents = yuanToCents(r.value(2).toDouble());
    v.validUntil = r.value(3).toString();
    v.state = r.value(4).toString();
    v.source = r.value(5).toString();
    v.memberId = r.value(6).toString();
    return v;
}

// One row of the voucher's ledger, with its rest as it now stands.
bool ledgerRow(const QString &number, const QString &kind, qint64 up, qint64 down, const QString &document,
               const QString &operatorName)
{
    return execOne(QStringLiteral("insert into daijinquanbiandong(quanID,riqi,leixing,zengjia,jianshao,dangshiyue,danju,caozuoyuan) "
                                  "select ?,?,?,?,?,yue,?,? from daijinquan where ID=?"),
                   {number, LedgerSql::now(), kind, centsToYuan(up), centsToYuan(down), document, operatorName, number},
                   QStringLiteral("代金券变动记录未写入"));
}

QString stateAfter(qint64 rest, qint64 value)
{
    return rest <= 0 ? QStringLiteral("已用完") : rest < value ? QStringLiteral("部分使用") : QStringLiteral("未使用");
}

LedgerResult issueOnce(const VoucherBatch &b)
{
    if (b.count <= 0 || b.count > 1000)
        return LedgerResult::failure(QStringLiteral("一次发放的张数必须在1到1000之间"));
    if (b.valueCents <= 0)
        return LedgerResult::failure(QStringLiteral("代金券面值必须大于0"));
    if (b.priceCents < 0)
        return LedgerResult::failure(QStringLiteral("售价不能为负数"));
    if (!b.validUntil.isValid() || b.validUntil < QDate::fromString(LedgerSql::today(), Qt::ISODate))
        return LedgerResult::failure(QStringLiteral("有效期不能早于今天"));
    if (b.first < 0 || b.digits < 1 || b.digits > 12)
        return LedgerResult::failure(QStringLiteral("券号的起始号码不正确"));
    const bool sold = b.priceCents > 0;
    if (sold && b.method.trimmed().isEmpty())
        return LedgerResult::failure(QStringLiteral("请选择付款方式"));

    TransactionScope tx;
    // A voucher given away, or sold for less than it pays, is the shop's money
    // handed out: the owner's call, like a bonus.
    if (b.priceCents < b.valueCents && !holdsSettingsRight(b.operatorName))
        refuse(QStringLiteral("发放或低于面值出售代金券需要系统设置权限"));
    else if (!b.memberId.isEmpty() && !value(QStringLiteral("select 1 from huiyuan where ID=?"), {b.memberId}).isValid())
        refuse(QStringLiteral("找不到该会员"));
    const QString id = tx.failed() ? QString()
                                   : LedgerSql::newDocumentId(QStringLiteral("FQ"), QStringLiteral("代金券发放"), b.operatorName);
    const QString now = LedgerSql::now();
    for (int i = 0; i < b.count && !tx.failed(); ++i) {
        const QString number = b.prefix.trimmed() + QStringLiteral("%1").arg(b.first + i, b.digits, 10, QLatin1Char('0'));
        if (value(QStringLiteral("select 1 from daijinquan where ID=?"), {number}).isValid()) {
            refuse(QStringLiteral("券号 %1 已经存在，请换一个起始号码").arg(number));
            break;
        }
        execOne(QStringLiteral("insert into daijinquan(ID,mianzhi,yue,youxiaoqizhi,zhuangtai,laiyuan,shoujia,huiyuanid,"
                               "faxingdan,riqi,caozuoyuan,shouyintai,beizhu) values(?,?,0,?,'未使用',?,?,?,?,?,?,?,?)"),
                {number, centsToYuan(b.valueCents), b.validUntil.toString(Qt::ISODate),
                 sold ? QStringLiteral("售出") : QStringLiteral("发放"), centsToYuan(b.priceCents), b.memberId, id, now,
                 b.operatorName, LedgerSql::desk(), b.remark},
                QStringLiteral("代金券未写入"));
        // The rest follows the ledger from nothing up, as every other account.
        execOne(QStringLiteral("update daijinquan set yue=yue+? where ID=?"), {centsToYuan(b.valueCents), number},
                QStringLiteral("代金券未写入"));
        ledgerRow(number, QStringLiteral("发放"), b.valueCents, 0, id, b.operatorName);
    }
    if (sold && !tx.failed())
        execOne(QStringLiteral("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,shifujine,"
                               "zengsongjine,zengsongjine2,kaneijine,kaneijine2,qiankuanjine,fukuanleixing,yuangongName,"
                               "caozuoyuan,beizhu,shouyintai) values(?,?,?,'代金券售出',?,?,0,0,0,0,0,?,'',?,?,?)"),
                {id, b.memberId.isEmpty() ? QString::fromUtf8(kWalkInId) : b.memberId, now,
                 centsToYuan(b.priceCents * b.count), centsToYuan(b.priceCents * b.count), b.method, b.operatorName,
                 QStringLiteral("代金券%1张 面值%2").arg(b.count).arg(centsText(b.valueCents)), LedgerSql::desk()},
                QStringLiteral("收款记录未写入"));
    if (!tx.failed())
        LedgerSql::log(b.operatorName, QStringLiteral("%1代金券  %2张  面值%3  单号：%4")
                                           .arg(sold ? QStringLiteral("售出") : QStringLiteral("发放"))
                                           .arg(b.count)
                                           .arg(centsText(b.valueCents), id));
    return LedgerSql::committed(tx, QStringLiteral("代金券发放失败"), id);
}

LedgerResult voidOnce(const QString &number, const QString &reason, const QString &op)
{
    if (reason.trimmed().isEmpty())
        return LedgerResult::failure(QStringLiteral("请填写作废原因"));
    TransactionScope tx;
    const Voucher v = Vouchers::find(number);
    if (!holdsSettingsRight(op))
        refuse(QStringLiteral("作废代金券需要系统设置权限"));
    else if (!v.found)
        refuse(QStringLiteral("没有这张代金券：") + number);
    else if (v.state == QStringLiteral("已作废"))
        refuse(QStringLiteral("这张代金券已经作废了"));
    if (!tx.failed()) {
        execOne(QStringLiteral("update daijinquan set yue=yue-?,zhuangtai='已作废',beizhu=? where ID=? and yue=? and zhuangtai<>'已作废'"),
                {centsToYuan(v.restCents), reason.trimmed(), number, centsToYuan(v.restCents)},
                QStringLiteral("代金券已被另一台收银机改动，请重试"));
        ledgerRow(number, QStringLiteral("作废"), 0, v.restCents, QString(), op);
        LedgerSql::log(op, QStringLiteral("作废代金券  %1  余额%2  原因：%3").arg(number, centsText(v.restCents), reason.trimmed()));
    }
    return LedgerSql::committed(tx, QStringLiteral("作废代金券失败"), number);
}

} // namespace

bool Vouchers::isVoucherMethod(const QString &method)
{
    return method == QString::fromUtf8(kVoucherMethod) || method == QString::fromUtf8(kVoucherMethodOld);
}

bool Vouchers::inUse()
{
    return value(QStringLiteral("select 1 from daijinquan LIMIT 1")).isValid();
}

Voucher Vouchers::find(const QString &number)
{
    const QList<QVariantList> r = LedgerSql::rows(QString::fromUtf8(kColumns) + QStringLiteral("where ID=?"), {number.trimmed()});
    return r.isEmpty() ? Voucher() : voucherOf(r.first());
}

QString Vouchers::whyNot(const QString &number, qint64 cents)
{
    const Voucher v = find(number);
    if (number.trimmed().isEmpty())
        return QStringLiteral("请输入代金券券号");
    if (!v.found)
        return QStringLiteral("没有这张代金券：") + number.trimmed();
    if (v.state == QStringLiteral("已作废"))
        return QStringLiteral("代金券 %1 已作废").arg(v.number);
    if (v.restCents <= 0)
        return QStringLiteral("代金券 %1 已经用过了").arg(v.number);
    if (v.validUntil < LedgerSql::today())
        return QStringLiteral("代金券 %1 已于 %2 过期").arg(v.number, v.validUntil);
    if (cents > v.restCents)
        return QStringLiteral("代金券 %1 只剩 %2 元，不够支付 %3 元").arg(v.number, centsShown(v.restCents), centsShown(cents));
    return QString();
}

LedgerResult Vouchers::issue(const VoucherBatch &b)
{
    // The number is printed on the voucher and the receipt.
    const QString tooLong = TextLimits::firstRefusal({{QStringLiteral("券号前缀"), b.prefix, TextLimits::kName},
                                                      {QStringLiteral("备注"), b.remark, TextLimits::kRemark}});
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong + QStringLiteral("，本次操作未保存"));
    return retryOnConflict([&] { return issueOnce(b); });
}

LedgerResult Vouchers::voidVoucher(const QString &number, const QString &reason, const QString &op)
{
    const QString tooLong = TextLimits::refusal(QStringLiteral("作废原因"), reason, TextLimits::kReason);
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong + QStringLiteral("，本次操作未保存"));
    return retryOnConflict([&] { return voidOnce(number, reason, op); });
}

bool Vouchers::keepsRest()
{
    return value(QStringLiteral("select zhi from dianpushezhi where mingcheng=?"), {QString::fromUtf8(kVoucherKeepsRest)})
               .toString()
           == QStringLiteral("是");
}

LedgerResult Vouchers::setKeepsRest(bool keep, const QString &op)
{
    return retryOnConflict([&] {
        TransactionScope tx;
        if (!holdsSettingsRight(op))
            refuse(QStringLiteral("修改代金券设置需要系统设置权限"));
        if (!tx.failed()) {
            LedgerSql::exec(QStringLiteral("delete from dianpushezhi where mingcheng=?"), {QString::fromUtf8(kVoucherKeepsRest)});
            execOne(QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values(?,?)"),
                    {QString::fromUtf8(kVoucherKeepsRest), keep ? QStringLiteral("是") : QStringLiteral("否")},
                    QStringLiteral("设置未写入"));
            LedgerSql::log(op, QStringLiteral("修改代金券设置  部分使用保留余额：") + (keep ? QStringLiteral("是") : QStringLiteral("否")));
        }
        return LedgerSql::committed(tx, QStringLiteral("设置保存失败"), QString());
    });
}

bool Vouchers::useInside(const PaymentPart &p, const QString &saleId, const QString &op)
{
    if (p.voucherNo.trimmed().isEmpty()) {
        // A shop that does not number its vouchers keeps 代金券 as a plain method.
        if (!inUse())
            return true;
        refuse(QStringLiteral("用代金券付款请输入券号"));
        return false;
    }
    if (p.cents <= 0)
        return true;
    const QString why = whyNot(p.voucherNo, p.cents);
    if (!why.isEmpty()) {
        refuse(why);
        return false;
    }
    const QString number = p.voucherNo.trimmed();
    // Guarded: a voucher another desk spent meanwhile changes no row, and the sale fails whole.
    if (!execOne(QStringLiteral("update daijinquan set yue=ROUND(yue-?,2) where ID=? and yue>=? and zhuangtai<>'已作废' "
                                "and youxiaoqizhi>=?"),
                 {centsToYuan(p.cents), number, centsToYuan(p.cents), LedgerSql::today()},
                 QStringLiteral("代金券 %1 已被另一台收银机使用").arg(number)))
        return false;
    if (!ledgerRow(number, QStringLiteral("使用"), 0, p.cents, saleId, op))
        return false;
    const Voucher v = find(number);
    if (v.restCents > 0 && !keepsRest()) {
        // The shop does not keep a partly used voucher's rest: it lapses with this sale.
        execOne(QStringLiteral("update daijinquan set yue=0 where ID=?"), {number}, QStringLiteral("代金券未修改"));
        ledgerRow(number, QStringLiteral("余额失效"), 0, v.restCents, saleId, op);
    }
    return execOne(QStringLiteral("update daijinquan set zhuangtai=? where ID=?"),
                   {stateAfter(keepsRest() ? v.restCents : 0, v.valueCents), number}, QStringLiteral("代金券未修改"));
}

bool Vouchers::giveBackInside(const QString &saleId, const QString &voidId, const QString &op)
{
    const QList<QVariantList> taken = LedgerSql::rows(
        QStringLiteral("select b.quanID,sum(b.jianshao) from daijinquanbiandong b join daijinquan v on v.ID=b.quanID "
                       "where b.danju=? and b.leixing in ('使用','余额失效') and v.zhuangtai<>'已作废' "
                       "group by b.quanID order by b.quanID"),
        {saleId});
    for (const QVariantList &t : taken) {
        const QString number = t.value(0).toString();
        const qint64 cents = yuanToCents(t.value(1).toDouble());
        if (!execOne(QStringLiteral("update daijinquan set yue=ROUND(yue+?,2) where ID=?"), {centsToYuan(cents), number},
                     QStringLiteral("代金券未退回")))
            return false;
        if (!ledgerRow(number, QStringLiteral("消费作废退回"), cents, 0, voidId, op))
            return false;
        const Voucher v = find(number);
        if (!execOne(QStringLiteral("update daijinquan set zhuangtai=? where ID=?"), {stateAfter(v.restCents, v.valueCents), number},
                     QStringLiteral("代金券未退回")))
            return false;
    }
    return true;
}

QList<VoucherUse> Vouchers::usedBy(const QString &saleId)
{
    QList<VoucherUse> out;
    // Each row states the rest after it, so the sale's lowest is what it left.
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select quanID,sum(case when leixing='使用' then jianshao else 0 end),min(dangshiyue),"
                            "sum(case when leixing='余额失效' then jianshao else 0 end) "
                            "from daijinquanbiandong where danju=? and leixing in ('使用','余额失效') "
                            "group by quanID order by min(ID)"),
             {saleId})) {
        VoucherUse u;
        u.number = r.value(0).toString();
        u.takenCents = yuanToCents(r.value(1).toDouble());
        u.restCents = yuanToCents(r.value(2).toDouble());
        u.lapsedCents = yuanToCents(r.value(3).toDouble());
        out << u;
    }
    return out;
}
