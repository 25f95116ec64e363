#include "salewriter.h"

#include "accountbooks.h"
#include "basket.h"
#include "bookingwriter.h"
#include "amounts.h"
#include "conflictretry.h"
#include "heldbills.h"
#include "ledgersql.h"
#include "packageexpiry.h"
#include "vouchers.h"
#include "transactionscope.h"
#include "unsettledoutcomes.h"

#include <QMap>

using LedgerSql::exec;
using LedgerSql::execOne;
using LedgerSql::refuse;

namespace {

const QString kPackageUse = QStringLiteral("套餐消费");
const QString kProduct = QStringLiteral("产品");

// Checks that need no database: a refused sale writes nothing.
QString checkShape(const Sale &s, qint64 receivable)
{
    if (s.lines.isEmpty())
        return QStringLiteral("请先添加消费项目");
    const bool walkIn = s.memberId == QLatin1String(kWalkInId);
    if (s.debtCents < 0)
        return QStringLiteral("付款金额合计大于应收金额，请确认");
    if (s.debtCents > 0 && walkIn)
        return QStringLiteral("散客不能欠费");
    qint64 paid = 0;
    for (const PaymentPart &p : s.payments) {
        if (p.cents < 0)
            return QStringLiteral("付款金额必须是不小于0的数字");
        if (p.method == QString::fromUtf8(kCardMethod) && walkIn && p.cents > 0)
            return QStringLiteral("散客没有会员卡，请采用别的方式付款");
        paid += p.cents;
    }
    if (paid + s.debtCents != receivable)
        return QStringLiteral("付款金额与应收金额不符，请重新付款");
    for (const SaleLine &l : s.lines) {
        if (l.quantity <= 0)
            return QStringLiteral("数量必须是大于0的整数");
        if (l.type != kPackageUse && l.amountCents != l.unitCents * l.quantity)
            return QStringLiteral("消费项目的金额与单价、数量不符");
    }
    return QString();
}

} // namespace

static LedgerResult commitOnce(const Sale &s)
{
    qint64 saleCents = 0;
    double points = 0;
    QMap<QString, qint64> usesByItem;
    for (const SaleLine &l : s.lines) {
        if (l.type == kPackageUse)
            usesByItem[l.itemId] += l.quantity;
        else
            saleCents += l.amountCents;
        // Points reward money spent: a use of a prepaid package costs nothing today.
        if (l.type != kPackageUse)
            points += l.points;
    }
    const qint64 receivable = saleCents - s.signBillCents;
    const QString refused = checkShape(s, receivable);
    if (!refused.isEmpty())
        return LedgerResult::failure(refused);

    const bool walkIn = s.memberId == QLatin1String(kWalkInId);
    qint64 cardCents = 0;
    for (const PaymentPart &p : s.payments)
        if (p.method == QString::fromUtf8(kCardMethod))
            cardCents += p.cents;

    TransactionScope tx;
    // The basket is checked again inside the lock: a sale that another window
    // of this desk already committed, or emptied, is not written twice.
    if (!s.basketId.isEmpty()
        && !LedgerSql::value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {s.basketId})
                .isValid())
        refuse(QStringLiteral("消费单已经结账或已清空"));
    if (!walkIn && !LedgerSql::value(QStringLiteral("select 1 from huiyuan where ID=?"), {s.memberId}).isValid())
        refuse(QStringLiteral("找不到该会员"));
    // A resumed held bill is sold once: removed here, or the sale is refused
    // because another checkout has taken it up meanwhile.
    // A bill held from a booking settles it, at whichever desk it is sold.
    QString bookingId = s.bookingId;
    if (!tx.failed() && !s.heldBillId.isEmpty()) {
        if (bookingId.isEmpty())
            bookingId = HeldBills::bookingOf(s.heldBillId);
        HeldBills::removeSold(s.heldBillId, s.basketId);
    }
    const QString wanted = s.documentId.isEmpty() ? s.basketId : s.documentId;
    const QString id = tx.failed() ? QString()
                                   : LedgerSql::newDocumentId(QStringLiteral("xf_"), QStringLiteral("会员消费"),
                                                              s.operatorName, wanted);
    // The basket's own number taken, by this desk, after a try of this basket
    // whose outcome stayed unknown: the basket is sold already, by that try,
    // whose COMMIT was still on its way when the books were asked. The number
    // just given instead would sell it a second time. Without such a try the
    // number is another sale's (another program under the same desk name took
    // it), and this basket is sold under the new number as before.
    const bool soldBefore = !tx.failed() && !wanted.isEmpty() && id != wanted
                            && UnsettledOutcomes::wasUnknown(QStringLiteral("sale|") + wanted)
                            && LedgerSql::value(LedgerSql::documentProbe(), {wanted, LedgerSql::desk()}).isValid();
    if (soldBefore)
        refuse(QStringLiteral("本单已经保存"));
    const QString bill = QStringLiteral("消费单：") + id;
    const QString now = LedgerSql::now();

    if (!tx.failed() && cardCents > 0)
        BalanceBook::change(s.memberId, -cardCents, {QStringLiteral("会员消费"), s.operatorName, bill});

    for (const SaleLine &l : s.lines) {
        if (tx.failed())
            break;
        exec(QStringLiteral("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,"
                            "shuliang,jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu) "
                            "values(?,?,?,?,?,?,?,?,?,?,?,?,?)"),
             {id, l.type, l.itemId, l.name, centsToYuan(l.listCents), centsToYuan(l.unitCents), l.quantity,
              centsToYuan(l.type == kPackageUse ? 0 : l.amountCents), l.type == kPackageUse ? 0.0 : l.points, s.lineMethod, l.employeeId,
              l.enteredBy, l.type});
        for (const CommissionRow &c : l.commissions)
            if (!tx.failed())
                CommissionBook::add(id, l.itemId, l.name, c, QStringLiteral("消费提成"), l.key);
    }

    // 代金券: each voucher payment takes its voucher here, guarded against another desk.
    for (const PaymentPart &p : s.payments)
        if (!tx.failed() && Vouchers::isVoucherMethod(p.method))
            Vouchers::useInside(p, id, s.operatorName);
    if (!tx.failed() && s.payments.isEmpty() && Vouchers::isVoucherMethod(s.lineMethod))
        Vouchers::useInside(PaymentPart{s.lineMethod, 0}, id, s.operatorName);

    // One header row per payment method; totals, debt and points stand on the first.
    const double balance = walkIn ? 0.0 : centsToYuan(BalanceBook::balance(s.memberId));
    const QString enteredBy = s.lines.isEmpty() ? s.operatorName : s.lines.first().enteredBy;
    QList<PaymentPart> pays = s.payments;
    if (pays.isEmpty())
        pays << PaymentPart{s.lineMethod, 0};
    for (int k = 0; k < pays.size() && !tx.failed(); ++k) {
        const bool first = k == 0;
        const double amount = centsToYuan(pays.at(k).cents);
        exec(QStringLiteral("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,jine,"
                            "xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,caozuoyuan,beizhu,"
                            "shouyintai) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
             {id, s.memberId, now, amount, pays.at(k).method, amount, first ? centsToYuan(saleCents) : 0.0,
              first ? centsToYuan(receivable) : 0.0, first ? centsToYuan(s.signBillCents) : 0.0,
              first ? centsToYuan(s.debtCents) : 0.0, balance, first ? points : 0.0, enteredBy,
              s.debtCents > 0 ? QStringLiteral("会员欠费") : QString(), LedgerSql::desk()});
    }

    for (auto it = usesByItem.cbegin(); it != usesByItem.cend() && !tx.failed(); ++it)
        if (PackageExpiry::checkUseInside(s.memberId, it.key())) // 有效期
            UsesBook::take(s.memberId, it.key(), it.value(), {QStringLiteral("会员套餐消费"), s.operatorName, bill});

    if (!tx.failed())
        PointsBook::change(s.memberId, points, {QStringLiteral("会员消费"), s.operatorName, bill});

    // Stock-out: one movement per product, all of its lines together.
    QMap<QString, StockMove> out;
    for (const SaleLine &l : s.lines) {
        if (l.type != kProduct)
            continue;
        StockMove &m = out[l.itemId];
        m.documentId = id;
        m.kind = QStringLiteral("出库明细");
        m.productId = l.itemId;
        m.unitCents = l.listCents;
        m.quantity -= double(l.quantity);
        m.amountCents -= l.amountCents;
        m.reason = QStringLiteral("产品销售");
        m.operatorName = s.operatorName;
    }
    for (const StockMove &m : out) {
        if (tx.failed())
            break;
        StockBook::move(m);
    }

    if (!s.basketId.isEmpty()) {
        exec(QStringLiteral("delete from tempxiaofeimingxi where ID=?"), {s.basketId});
        exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=?"), {s.basketId});
    }
    if (!tx.failed() && !bookingId.isEmpty())
        BookingWriter::completeWithSale(bookingId, id, s.operatorName);
    if (!tx.failed())
        LedgerSql::log(s.operatorName, QStringLiteral("增加会员消费  会员号：") + s.memberId);
    if (!tx.commit()) {
        if (soldBefore) {
            if (!s.basketId.isEmpty())
                Basket(s.basketId).clear();
            LedgerResult saved = LedgerResult::success(wanted);
            saved.notice = UnsettledOutcomes::landedNotice(wanted);
            return saved;
        }
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("保存消费记录失败"), tx.firstError()));
    }
    return LedgerResult::success(id);
}

namespace {
const QString kSaveFailed = QStringLiteral("保存消费记录失败");

// A sale is the same sale again by its basket (or the document it asks for).
QString saleKey(const QString &document)
{
    return document.isEmpty() ? QString() : QStringLiteral("sale|") + document;
}

std::optional<LedgerResult> settleSale(const QString &key, const QString &basketId)
{
    std::optional<LedgerResult> earlier = UnsettledOutcomes::settle(key, kSaveFailed);
    // Landed: the sale took its basket with it; whatever a reconnect gave back
    // is gone as after any sale.
    if (earlier && earlier->ok && !basketId.isEmpty())
        Basket(basketId).clear();
    return earlier;
}
} // namespace

// Each operation runs again from the start when another desk's transaction
// got in its way.
LedgerResult SaleWriter::commit(const Sale &s)
{
    const QString key = saleKey(s.documentId.isEmpty() ? s.basketId : s.documentId);
    if (const std::optional<LedgerResult> earlier = settleSale(key, s.basketId))
        return *earlier;
    return UnsettledOutcomes::run(key, kSaveFailed, [&] { return commitOnce(s); });
}

std::optional<LedgerResult> SaleWriter::settle(const QString &basketId)
{
    return settleSale(saleKey(basketId), basketId);
}

bool SaleWriter::awaitsOutcome(const QString &basketId)
{
    return UnsettledOutcomes::pending(saleKey(basketId));
}
