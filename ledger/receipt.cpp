#include "receipt.h"

#include "amounts.h"
#include "ledgersql.h"
#include "ledgertypes.h"
#include "packageexpiry.h"
#include "vouchers.h"

using LedgerSql::rows;
using LedgerSql::value;

namespace {

QString money(const QVariant &v)
{
    return centsShown(yuanToCents(v.toDouble()));
}

QString count(const QVariant &v)
{
    return QString::number(v.toDouble());
}

bool isRepaymentRow(const QVariantList &r, int remarkColumn)
{
    return r.value(remarkColumn).toString() == QStringLiteral("会员还款");
}

// Every remark by which a writer ties its ledger rows to a document.
QVariantList remarksOf(const QString &id)
{
    QVariantList v;
    for (const char *prefix : {"消费单：", "交费单：", "充值单：", "退款单：", "作废单："})
        v << QString::fromUtf8(prefix) + id;
    return v;
}

const QString kRemarkIn = QStringLiteral(" beizhu in (?,?,?,?,?)");

} // namespace

Receipt Receipt::of(const QString &documentId, qint64 tenderedCents)
{
    Receipt r;
    r.documentId = documentId;
    r.shop = ReceiptSettings::load();
    if (documentId.isEmpty())
        return r;
    // Whether the document is a sale or a payment, in one round trip.
    const QVariantList kind = rows(QStringLiteral("select (select 1 from huiyuanxiaofei where ID=? LIMIT 1), "
                                                  "(select 1 from huiyuanjiaofei where ID=? LIMIT 1)"),
                                   {documentId, documentId})
                                  .value(0);
    if (!kind.value(0).isNull() && kind.value(0).isValid())
        r.readSale(tenderedCents);
    else if (!kind.value(1).isNull() && kind.value(1).isValid())
        r.readPayment();
    else
        return r;
    r.found = true;
    // The desk's operator who wrote the document, when its rows name nobody.
    if (r.operatorName.isEmpty())
        r.operatorName = value(QStringLiteral("select caozuoyuan from danjuhao where ID=?"), {documentId}).toString();
    if (r.memberId == QLatin1String(kWalkInId))
        r.memberName = QStringLiteral("散客");
    else
        r.memberName = value(QStringLiteral("select name from huiyuan where ID=?"), {r.memberId}).toString();
    r.readFigures(r.memberId == QLatin1String(kWalkInId));
    return r;
}

void Receipt::readSale(qint64 tenderedCents)
{
    const QList<QVariantList> head = rows(
        QStringLiteral("select xiaofeiriqi,huiyuanid,shishoujine,fukuanfangshi,xiaofeijine,yingshoujine,qiandanjine,"
                       "qiankuanjine,suodejifen,caozuoyuan,beizhu from huiyuanxiaofei where ID=? order by rowid"),
        {documentId});
    // The sale this void undid, or the void that undid this sale.
    QVariantList voided, voidedBy;
    for (const QVariantList &v : rows(QStringLiteral("select ID,zuofeiID,yuanyin from xiaofeizuofei where zuofeiID=? or ID=? order by ID"),
                                      {documentId, documentId})) {
        if (v.value(1).toString() == documentId)
            voided = {v.value(0), v.value(2)};
        else
            voidedBy = {v.value(1), v.value(2)};
    }
    title = voided.isEmpty() ? QStringLiteral("消费小票") : QStringLiteral("作废单");
    time = head.first().value(0).toString();
    memberId = head.first().value(1).toString();
    operatorName = head.first().value(9).toString();

    qint64 listTotal = 0, saleTotal = 0, signBill = 0, receivable = 0, cash = 0;
    double points = 0;
    for (const QVariantList &h : head) {
        // A repayment row carries no sale figures; the sale's first row keeps
        // them even after its debt was repaid.
        const bool repayment = isRepaymentRow(h, 10) && yuanToCents(h.value(4).toDouble()) == 0
                               && yuanToCents(h.value(5).toDouble()) == 0;
        const qint64 paid = yuanToCents(h.value(2).toDouble());
        if (repayment) {
            payments << Pair{QStringLiteral("还款 ") + h.value(0).toString().left(10) + QStringLiteral(" ")
                                 + h.value(3).toString(),
                             centsShown(paid)};
            continue;
        }
        saleTotal += yuanToCents(h.value(4).toDouble());
        receivable += yuanToCents(h.value(5).toDouble());
        signBill += yuanToCents(h.value(6).toDouble());
        points += h.value(8).toDouble();
        if (paid != 0 || head.size() == 1)
            payments << Pair{h.value(3).toString(), centsShown(paid)};
        if (h.value(3).toString() != QString::fromUtf8(kCardMethod))
            cash += paid;
    }

    for (const QVariantList &l :
         rows(QStringLiteral("select xiaofeileixing,name,shuliang,xiaoshoujiage,youhuijiage,jine,"
                             "(select group_concat(DISTINCT y.name) from tichengmingxi t, yuangong y where "
                             "y.ID=t.yuangongID and t.xiaofeiID=xiaofeimingxi.ID and t.xiangmuID=xiaofeimingxi.xiangmuID) "
                             "from xiaofeimingxi where ID=? order by rowid"),
              {documentId})) {
        ReceiptLine line;
        const bool use = l.value(0).toString() == QStringLiteral("套餐消费");
        line.name = l.value(1).toString();
        line.staff = l.value(6).toString();
        line.quantity = count(l.value(2));
        line.listPrice = money(l.value(3));
        line.price = use ? QStringLiteral("套餐") : money(l.value(4));
        line.amount = money(l.value(5));
        if (!use) {
            const qint64 full = yuanToCents(l.value(3).toDouble() * l.value(2).toDouble());
            listTotal += full;
            const qint64 off = full - yuanToCents(l.value(5).toDouble());
            if (off != 0)
                line.discount = centsShown(off);
        }
        lines << line;
    }
    totals << Pair{QStringLiteral("原价合计"), centsShown(listTotal)};
    if (listTotal != saleTotal)
        totals << Pair{QStringLiteral("折扣优惠"), centsShown(listTotal - saleTotal)};
    totals << Pair{QStringLiteral("消费金额"), centsShown(saleTotal)};
    if (signBill != 0)
        totals << Pair{QStringLiteral("签单优惠"), centsShown(signBill)};
    totals << Pair{QStringLiteral("应收金额"), centsShown(receivable)};
    if (tenderedCents >= 0 && tenderedCents >= cash) {
        payments << Pair{QStringLiteral("收款"), centsShown(tenderedCents)};
        payments << Pair{QStringLiteral("找零"), centsShown(tenderedCents - cash)};
    }
    after << Pair{QStringLiteral("本单积分"), QString::number(points)};
    // A numbered voucher is named with what it gave, so the member can tell
    // which paper voucher was taken and what is left on it.
    for (const VoucherUse &u : Vouchers::usedBy(documentId))
        notes << QStringLiteral("代金券 %1：本次使用 %2，余额 %3").arg(u.number, centsShown(u.takenCents), centsShown(u.restCents))
                     + (u.lapsedCents > 0 ? QStringLiteral("（未用完的 %1 已失效）").arg(centsShown(u.lapsedCents)) : QString());
    if (!voided.isEmpty())
        notes << QStringLiteral("原消费单：") + voided.value(0).toString()
              << QStringLiteral("作废原因：") + voided.value(1).toString();
    if (!voidedBy.isEmpty())
        notes << QStringLiteral("本单已作废，作废单：") + voidedBy.value(0).toString();
    // Neither a void nor a sale it undid thanks the customer for a purchase.
    if (!voided.isEmpty() || !voidedBy.isEmpty())
        closing = QStringLiteral("本单已作废");
    if (!voided.isEmpty())
        paymentsCaption = QStringLiteral("退回");
}

void Receipt::readPayment()
{
    const QList<QVariantList> head = rows(
        QStringLiteral("select jiaofeiriqi,huiyuanid,jiaofeileixing,yingjiaojine,shifujine,zengsongjine,kaneijine,"
                       "fukuanleixing,caozuoyuan,beizhu from huiyuanjiaofei where ID=? order by rowid"),
        {documentId});
    const QVariantList first = head.first();
    const QString kind = first.value(2).toString();
    static const QMap<QString, QString> titles = {
        {QStringLiteral("办卡交费"), QStringLiteral("办卡小票")},   {QStringLiteral("会员充值"), QStringLiteral("充值小票")},
        {QStringLiteral("套餐交费"), QStringLiteral("套餐续费小票")}, {QStringLiteral("退储值"), QStringLiteral("退储值小票")},
        {QStringLiteral("退套餐"), QStringLiteral("退套餐小票")}};
    title = titles.value(kind, kind + QStringLiteral("小票"));
    time = first.value(0).toString();
    memberId = first.value(1).toString();
    operatorName = first.value(8).toString();
    if (kind == QStringLiteral("退储值") || kind == QStringLiteral("退套餐")) {
        readRefund(first);
        return;
    }

    ReceiptLine line;
    line.name = kind;
    line.quantity = QStringLiteral("1");
    line.listPrice = line.price = line.amount = money(first.value(3));
    lines << line;
    totals << Pair{kind.startsWith(QStringLiteral("退")) ? QStringLiteral("退款金额") : QStringLiteral("应交金额"),
                   money(first.value(3))};
    if (yuanToCents(first.value(5).toDouble()) != 0)
        totals << Pair{QStringLiteral("赠送金额"), money(first.value(5))};
    if (yuanToCents(first.value(6).toDouble()) != 0)
        totals << Pair{QStringLiteral("卡内金额变动"), money(first.value(6))};
    for (const QVariantList &h : head) {
        if (h.value(2).toString() == QStringLiteral("会员还款"))
            payments << Pair{QStringLiteral("还款 ") + h.value(0).toString().left(10) + QStringLiteral(" ")
                                 + h.value(7).toString(),
                             money(h.value(4))};
        else
            payments << Pair{h.value(7).toString(), money(h.value(4))};
    }
    if (!first.value(9).toString().isEmpty())
        notes << first.value(9).toString();
}

// A refund as its rows hold it, every amount as the money that goes back
// (positive): the uses returned or the value taken off the card, how that
// value was used, and what was handed over by which method.
void Receipt::readRefund(const QVariantList &row)
{
    const QString kind = row.value(2).toString();
    closing = QStringLiteral("退款已办理");
    paymentsCaption = QStringLiteral("退款");
    const qint64 back = -yuanToCents(row.value(3).toDouble()); // yingjiaojine: what the member gets back
    const QString method = row.value(7).toString();
    const QString remark = row.value(9).toString();
    if (kind == QStringLiteral("退套餐")) {
        for (const QVariantList &u :
             rows(QStringLiteral("select coalesce(f.name,y.xiangmumingchen),y.cishujianshao from huiyuanyuebiandong y "
                                 "left join fuwuxiangmu f on f.ID=y.xiangmumingchen where y.huiyuanid=? and y.beizhu=? "
                                 "and coalesce(y.xiangmumingchen,'')<>'' order by y.ID"),
                  {memberId, QStringLiteral("退款单：") + documentId})) {
            ReceiptLine line;
            line.name = u.value(0).toString();
            line.quantity = count(u.value(1));
            const double uses = u.value(1).toDouble();
            line.listPrice = line.price = uses > 0 ? centsText(qRound64(double(back) / uses)) : centsText(back);
            line.amount = centsText(back);
            lines << line;
        }
        totals << Pair{QStringLiteral("退款金额"), centsText(back)};
        payments << Pair{method == QString::fromUtf8(kCardMethod) ? QStringLiteral("退回储蓄卡") : method,
                         centsText(back)};
    } else {
        const qint64 taken = -yuanToCents(row.value(6).toDouble());
        const qint64 bonus = -yuanToCents(row.value(5).toDouble());
        // The writer names the debt the card repaid in the remark ("还欠款:…").
        const QString tag = QStringLiteral("还欠款:");
        const int at = remark.indexOf(tag);
        const qint64 debt = at < 0 ? 0
                                   : parseMoneyInput(remark.mid(at + tag.size()).section(QLatin1Char(' '), 0, 0),
                                                     QString())
                                         .cents;
        ReceiptLine line;
        line.name = QStringLiteral("扣除卡内金额");
        line.quantity = QStringLiteral("1");
        line.listPrice = line.price = line.amount = centsText(taken);
        lines << line;
        totals << Pair{QStringLiteral("扣除卡内金额"), centsText(taken)};
        if (debt > 0)
            totals << Pair{QStringLiteral("冲还欠款"), centsText(debt)};
        if (bonus > 0)
            totals << Pair{QStringLiteral("扣回赠送"), centsText(bonus)};
        if (taken - debt - bonus - back > 0)
            totals << Pair{QStringLiteral("扣除不退"), centsText(taken - debt - bonus - back)};
        totals << Pair{QStringLiteral("退款金额"), centsText(back)};
        payments << Pair{method, centsText(back)};
    }
    if (!remark.isEmpty())
        notes << remark;
}

// Debt, balance, uses and points as they stood right after this document.
void Receipt::readFigures(bool walkIn)
{
    const QVariantList owed = rows(QStringLiteral("select (select coalesce(sum(qiankuanjine),0) from huiyuanxiaofei where ID=?), "
                                                  "(select coalesce(sum(qiankuanjine),0) from huiyuanjiaofei where ID=?)"),
                                   {documentId, documentId})
                                  .value(0);
    const qint64 debt = yuanToCents(owed.value(0).toDouble() + owed.value(1).toDouble());
    if (debt != 0)
        after << Pair{QStringLiteral("本单欠款"), centsShown(debt)};
    if (walkIn)
        return;
    QVariantList remarks = remarksOf(documentId);
    const QVariantList ledger = rows(QStringLiteral("select dangshikaneiyue from huiyuanyuebiandong where huiyuanid=? and")
                                         + kRemarkIn + QStringLiteral(" order by ID desc LIMIT 1"),
                                     QVariantList{memberId} + remarks)
                                    .value(0);
    const QVariant balance = ledger.isEmpty()
        ? value(QStringLiteral("select shengyujine from huiyuanxiaofei where ID=? order by rowid LIMIT 1"), {documentId})
        : ledger.value(0);
    if (balance.isValid())
        after << Pair{QStringLiteral("卡内余额"), money(balance)};
    else
        after << Pair{QStringLiteral("卡内余额"),
                      money(value(QStringLiteral("select shengyujine from huiyuan where ID=?"), {memberId}))};
    for (const QVariantList &u :
         rows(QStringLiteral("select coalesce(f.name,y.xiangmumingchen),y.dangshikaneicishu,y.xiangmumingchen from huiyuanyuebiandong y "
                             "left join fuwuxiangmu f on f.ID=y.xiangmumingchen where y.ID in (select max(ID) from "
                             "huiyuanyuebiandong where huiyuanid=? and coalesce(xiangmumingchen,'')<>'' and")
                  + kRemarkIn + QStringLiteral(" group by xiangmumingchen) order by y.ID"),
              QVariantList{memberId} + remarks))
    {
        // The uses' expiry beside what is left, when the package has one.
        const QString until = PackageExpiry::expiry(memberId, u.value(2).toString());
        after << Pair{u.value(0).toString() + QStringLiteral(" 剩余次数"),
                      count(u.value(1)) + (until.isEmpty() ? QString() : QStringLiteral("（%1到期）").arg(until))};
    }
    const QVariant points = value(QStringLiteral("select shengyujifen from huiyuanjifen where huiyuanid=? and")
                                      + kRemarkIn + QStringLiteral(" order by ID desc LIMIT 1"),
                                  QVariantList{memberId} + remarks);
    if (points.isValid())
        after << Pair{QStringLiteral("累计积分"), count(points)};
}
