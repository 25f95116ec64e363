#include "bookingcheckout.h"

#include "amounts.h"
#include "bookingbook.h"
#include "commissionrules.h"
#include "heldbills.h"
#include "ledgersql.h"

#include <QtMath>

namespace {

const QString kService = QStringLiteral("服务项目");
const QString kPackageUse = QStringLiteral("套餐消费");

// The price per unit the line editor offers: the promotion of the item for the
// card type, else the list price times the card's service discount.
qint64 offeredCents(const QString &itemId, const QString &itemName, const QString &cardName, qint64 listCents,
                    bool packageUse)
{
    const QVariant promo = LedgerSql::value(
        QStringLiteral("select zuizhongjiage from cuxiao where xiangmuID=? and xiangmumingcheng=? and huiyuanleixing=?"),
        {itemId, itemName, cardName});
    if (promo.isValid() && !promo.isNull())
        return yuanToCents(promo.toDouble());
    if (packageUse)
        return listCents;
    const QVariant discount =
        LedgerSql::value(QStringLiteral("select fuwuzekou from huiyuanka where name=?"), {cardName});
    bool ok = false;
    const double factor = discount.toString().trimmed().toDouble(&ok);
    if (!ok || factor < 0)
        return listCents;
    return qRound64(double(listCents) * factor);
}

} // namespace

LedgerResult BookingCheckout::fill(Basket &basket, const QString &bookingId, const QString &memberId,
                                   const QString &cardName, const QString &operatorName)
{
    BookingRecord rec;
    if (!BookingBook::find(bookingId, &rec))
        return LedgerResult::failure(QStringLiteral("找不到该预约，可能已被删除"));
    if (rec.state != BookingState::text(BookingState::kBooked) && rec.state != BookingState::text(BookingState::kArrived))
        return LedgerResult::failure(QStringLiteral("该预约现在是“%1”，不能开单").arg(rec.state));
    // One bill per booking: the held one is taken up, not rung up a second time.
    const QString held = HeldBills::holding(bookingId);
    if (!held.isEmpty())
        return LedgerResult::failure(QStringLiteral("该预约已挂单（挂单号：%1），请从挂单中取回").arg(held));
    const QString bookedFor = rec.booking.memberId.isEmpty() ? QString::fromUtf8(kWalkInId) : rec.booking.memberId;
    if (bookedFor != memberId)
        return LedgerResult::failure(QStringLiteral("该预约不是这位顾客的，请先选择预约的会员"));

    int n = 0;
    for (const BookingItem &item : rec.booking.items) {
        ++n;
        const QVariant price =
            LedgerSql::value(QStringLiteral("select xiaoshoujiage from fuwuxiangmu where ID=?"), {item.itemId});
        if (!price.isValid()) {
            basket.clear();
            return LedgerResult::failure(QStringLiteral("找不到服务项目 %1，不能开单").arg(item.itemId));
        }
        const bool packageUse = basket.usesLeft(item.itemId) - basket.usesPending(item.itemId) >= 1;
        SaleLine line;
        line.key = bookingId + QLatin1Char('-') + QString::number(n);
        line.type = packageUse ? kPackageUse : kService;
        line.itemId = item.itemId;
        line.name = item.itemName;
        line.listCents = yuanToCents(price.toDouble());
        line.unitCents = offeredCents(item.itemId, item.itemName, cardName, line.listCents, packageUse);
        line.quantity = 1;
        line.amountCents = packageUse ? 0 : line.unitCents;
        line.points = centsToYuan(line.listCents);
        line.enteredBy = operatorName;
        line.employeeId = item.employeeId;

        // The customer asked for this stylist: 点单. A package use earns on the item's price.
        const CommissionRule rule = CommissionRules::find(item.itemId, kService, QStringLiteral("点单提成"),
                                                          CommissionRules::employeeType(item.employeeId));
        CommissionRow c;
        c.employeeId = item.employeeId;
        c.orderMode = QStringLiteral("点单提成");
        c.method = rule.found ? rule.method : QStringLiteral("不参与提成");
        c.rate = rule.found ? rule.rate : 0;
        c.cents = rule.found ? CommissionRules::commissionCents(rule.method, rule.rate, rule.fixedCents,
                                                                packageUse ? line.unitCents : line.amountCents)
                             : 0;
        if (!basket.addCommission(line.key, line.itemId, line.name, c)) {
            basket.clear();
            return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("开单失败"), LedgerSql::lastError()));
        }
        const LedgerResult added = basket.addLine(line);
        if (!added.ok) {
            basket.clear();
            return added;
        }
    }
    return LedgerResult::success(bookingId);
}
