#include "heldbills.h"

#include "amounts.h"
#include "basket.h"
#include "bookingwriter.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "lineprices.h"
#include "operatorstore.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QDateTime>
#include <QMap>
#include <QThread>
#include <cmath>

using LedgerSql::exec;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kPackageUse = QStringLiteral("套餐消费");
const QString kGone = QStringLiteral("该挂单已被其他收银台取走或删除");
const QString kTakenElsewhere = QStringLiteral("该挂单已被其他收银台取走或删除，本单不能再挂单或结账，请放弃本单");
const QString kHandPriced = QStringLiteral("是");

// The held bill's own number: unique by the table's key, whichever desk holds
// a bill in the same millisecond.
QString newHeldId()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const QString id = QStringLiteral("gd_") + LedgerSql::serialNow();
        if (!value(QStringLiteral("select 1 from guadan where ID=?"), {id}).isValid())
            return id;
        QThread::msleep(1);
    }
    refuse(QStringLiteral("无法生成挂单号"));
    return QString();
}

// A mark older than this was left by a checkout that is no longer there.
QString takenCutoff()
{
    return QDateTime::fromString(LedgerSql::now(), QStringLiteral("yyyy-MM-dd hh:mm:ss"))
        .addSecs(-HeldBills::kTakenTimeoutSecs)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

bool dropLines(const QString &heldId)
{
    return exec(QStringLiteral("delete from guadanmingxi where guadanID=?"), {heldId}) >= 0
           && exec(QStringLiteral("delete from guadanticheng where guadanID=?"), {heldId}) >= 0;
}

// Removes a bill the basket took (or that nobody holds now); affected rows
// must be one, or another checkout has it.
bool removeTaken(const QString &heldId, const QString &basketId, const QString &why)
{
    if (!LedgerSql::execOne(QStringLiteral("delete from guadan where ID=? and (qudanID=? or qudanID is null)"),
                            {heldId, basketId}, why))
        return false;
    return dropLines(heldId);
}

// A price the cashier typed by hand stays what it was; every other line is
// priced again when the bill is taken up.
void markHandPrices(const QString &heldId, const QString &basketId, const QString &memberId)
{
    const QString card = LinePrices::cardTypeOf(memberId);
    const QList<QVariantList> lines = LedgerSql::rows(
        QStringLiteral("select hangID,xiaofeileixing,xiangmuID,name,youhuijiage from tempxiaofeimingxi where ID=? and "
                       "xiaofeileixing!=? order by rowid"),
        {basketId, kPackageUse});
    for (const QVariantList &l : lines) {
        const LinePrices::Offer offer = LinePrices::offer(l.value(1).toString(), l.value(2).toString(),
                                                          l.value(3).toString(), card);
        if (offer.found && offer.unitCents != yuanToCents(l.value(4).toDouble()))
            exec(QStringLiteral("update guadanmingxi set shoudongjia=? where guadanID=? and hangID=?"),
                 {kHandPriced, heldId, l.value(0)});
    }
}

// The booking a held bill was rung up from, and the state the booking had
// before the bill was first held; both empty for a bill of no booking.
struct BookingLink
{
    QString bookingId;
    QString stateBefore;
};

BookingLink bookingLink(const QString &heldId)
{
    const QVariantList r = LedgerSql::rows(QStringLiteral("select coalesce(yuyueID,''),coalesce(yuyuezhuangtai,'') "
                                                          "from guadan where ID=?"),
                                           {heldId})
                               .value(0);
    return {r.value(0).toString(), r.value(1).toString()};
}

LedgerResult holdOnce(const QString &basketId, const QString &memberId, const QString &memberName,
                      const QString &operatorName, const QString &replaces, const QString &bookingId)
{
    if (basketId.isEmpty())
        return LedgerResult::failure(QStringLiteral("请先添加消费项目"));
    TransactionScope tx;
    if (!value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {basketId}).isValid())
        refuse(QStringLiteral("请先添加消费项目"));
    // Held again: the booking and what it was before go on to the new bill.
    QString booking = bookingId, bookingBefore;
    if (!tx.failed() && !replaces.isEmpty()) {
        const BookingLink link = bookingLink(replaces);
        if (booking.isEmpty() || booking == link.bookingId) {
            booking = link.bookingId;
            bookingBefore = link.stateBefore;
        }
        removeTaken(replaces, basketId, kTakenElsewhere);
    }
    const QString id = tx.failed() ? QString() : newHeldId();
    QString stateNow;
    if (!tx.failed() && !booking.isEmpty() && BookingWriter::holdInBill(booking, id, operatorName, &stateNow)
        && bookingBefore.isEmpty())
        bookingBefore = stateNow;
    if (!tx.failed()) {
        const qint64 cents = value(QStringLiteral("select CAST(ROUND(coalesce(sum(jine),0)*100) AS BIGINT) from "
                                                  "tempxiaofeimingxi where ID=? and xiaofeileixing!=?"),
                                   {basketId, kPackageUse})
                                 .toLongLong();
        const double uses = value(QStringLiteral("select coalesce(sum(shuliang),0) from tempxiaofeimingxi where ID=? "
                                                 "and xiaofeileixing=?"),
                                  {basketId, kPackageUse})
                                .toDouble();
        exec(QStringLiteral("insert into guadan(ID,huiyuanID,huiyuanname,guadanriqi,jine,cishu,caozuoyuan,beizhu,"
                            "shouyintai,yuyueID,yuyuezhuangtai) values(?,?,?,?,?,?,?,'',?,?,?)"),
             {id, memberId, memberName, LedgerSql::now(), centsToYuan(cents), uses, operatorName, LedgerSql::desk(),
              booking, bookingBefore});
        exec(QStringLiteral("insert into guadanmingxi(guadanID,hangID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,"
                            "youhuijiage,shuliang,jine,jifen,tichengyuangongID,fuwugonghao,beizhu) select ?,hangID,"
                            "xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,jine,jifen,"
                            "tichengyuangongID,fuwugonghao,beizhu from tempxiaofeimingxi where ID=? order by rowid"),
             {id, basketId});
        exec(QStringLiteral("insert into guadanticheng(guadanID,titleID,yuangongID,xiangmuID,xiangmumingcheng,"
                            "tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu) select ?,titleID,yuangongID,"
                            "xiangmuID,xiangmumingcheng,tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu "
                            "from temptichengmingxi where xiaofeiID=? order by rowid"),
             {id, basketId});
        markHandPrices(id, basketId, memberId);
        exec(QStringLiteral("delete from tempxiaofeimingxi where ID=?"), {basketId});
        exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=?"), {basketId});
        LedgerSql::log(operatorName, QStringLiteral("挂单  会员号：") + memberId + QStringLiteral("  挂单号：") + id
                                         + (replaces.isEmpty() ? QString() : QStringLiteral("  原挂单号：") + replaces)
                                         + (booking.isEmpty() ? QString() : QStringLiteral("  预约单：") + booking));
    }
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("挂单失败"), tx.firstError(),
                                                            QStringLiteral("消费项目仍在本单中")));
    return LedgerResult::success(id);
}

// Every money line of the basket priced as the line editor would price it now
// for the member's card type; what the cashier typed by hand stays.
void priceAgain(const QString &heldId, const QString &basketId, const QString &memberId, ResumeChanges *changes)
{
    const QString card = LinePrices::cardTypeOf(memberId);
    const QList<QVariantList> lines = LedgerSql::rows(
        QStringLiteral("select t.hangID,t.xiaofeileixing,t.xiangmuID,t.name,t.xiaoshoujiage,t.youhuijiage,t.shuliang,"
                       "g.shoudongjia from tempxiaofeimingxi t left join guadanmingxi g on g.guadanID=? and "
                       "g.hangID=t.hangID where t.ID=? and t.xiaofeileixing!=? order by t.rowid"),
        {heldId, basketId, kPackageUse});
    Basket basket(basketId);
    for (const QVariantList &l : lines) {
        const qint64 heldList = yuanToCents(l.value(4).toDouble());
        const qint64 heldUnit = yuanToCents(l.value(5).toDouble());
        const qint64 quantity = qint64(std::llround(l.value(6).toDouble()));
        const LinePrices::Offer offer = LinePrices::offer(l.value(1).toString(), l.value(2).toString(),
                                                          l.value(3).toString(), card);
        if (!offer.found) {
            changes->gone << l.value(3).toString();
            continue;
        }
        const bool byHand = l.value(7).toString() == kHandPriced;
        const qint64 unit = byHand ? heldUnit : offer.unitCents;
        if (unit == heldUnit && offer.listCents == heldList)
            continue;
        const qint64 amount = unit * quantity;
        exec(QStringLiteral("update tempxiaofeimingxi set xiaoshoujiage=?,youhuijiage=?,jine=?,jifen=? where ID=? and "
                            "hangID=?"),
             {centsToYuan(offer.listCents), centsToYuan(unit), centsToYuan(amount), centsToYuan(offer.listCents),
              basketId, l.value(0)});
        basket.rescaleCommissions(l.value(0).toString(), amount);
        if (unit != heldUnit)
            changes->prices << ResumeChanges::Price{l.value(3).toString(), quantity, heldUnit, unit};
    }
}

// Uses another desk spent since the bill was held are not in it any more:
// the lines keep what the member still holds.
void trimUses(const QString &basketId, const QString &memberId, ResumeChanges *changes)
{
    const QList<QVariantList> items = LedgerSql::rows(
        QStringLiteral("select xiangmuID,max(name),sum(shuliang) from tempxiaofeimingxi where ID=? and xiaofeileixing=? "
                       "group by xiangmuID order by xiangmuID"),
        {basketId, kPackageUse});
    for (const QVariantList &item : items) {
        const qint64 wanted = qint64(std::llround(item.value(2).toDouble()));
        const qint64 left = qint64(std::floor(
            value(QStringLiteral("select coalesce(sum(shengyucishu),0) from huiyuantaocan where huiyuanID=? and "
                                 "xiangmuID=?"),
                  {memberId, item.value(0)})
                .toDouble()
            + 1e-6));
        if (wanted <= left)
            continue;
        changes->usesShort << QStringLiteral("%1：挂单%2次，现剩余%3次").arg(item.value(1).toString()).arg(wanted).arg(qMax<qint64>(left, 0));
        qint64 excess = wanted - qMax<qint64>(left, 0);
        const QList<QVariantList> lines = LedgerSql::rows(
            QStringLiteral("select hangID,shuliang from tempxiaofeimingxi where ID=? and xiaofeileixing=? and "
                           "xiangmuID=? order by rowid desc"),
            {basketId, kPackageUse, item.value(0)});
        for (const QVariantList &l : lines) {
            if (excess <= 0)
                break;
            const qint64 q = qint64(std::llround(l.value(1).toDouble()));
            if (q <= excess) {
                exec(QStringLiteral("delete from tempxiaofeimingxi where ID=? and hangID=?"), {basketId, l.value(0)});
                exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=? and titleID=?"), {basketId, l.value(0)});
                excess -= q;
            } else {
                exec(QStringLiteral("update tempxiaofeimingxi set shuliang=? where ID=? and hangID=?"),
                     {q - excess, basketId, l.value(0)});
                excess = 0;
            }
        }
    }
}

qint64 basketCents(const QString &basketId)
{
    return value(QStringLiteral("select CAST(ROUND(coalesce(sum(jine),0)*100) AS BIGINT) from tempxiaofeimingxi "
                                "where ID=? and xiaofeileixing!=?"),
                 {basketId, kPackageUse})
        .toLongLong();
}

LedgerResult resumeOnce(const QString &heldId, const QString &basketId, const QString &operatorName,
                        ResumeChanges *changes, const QString &checkoutMember)
{
    *changes = ResumeChanges();
    TransactionScope tx;
    if (value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {basketId}).isValid())
        refuse(QStringLiteral("本单已有消费项目，不能再取挂单"));
    // A bill rung up from a booking is that member's: sold to another, the
    // booking would be settled by a sale of someone else, priced and paid by
    // the wrong card.
    if (!tx.failed() && !checkoutMember.isEmpty()) {
        const QVariantList held = LedgerSql::rows(QStringLiteral("select coalesce(huiyuanID,''),coalesce(huiyuanname,''),"
                                                                 "coalesce(yuyueID,'') from guadan where ID=?"),
                                                  {heldId})
                                      .value(0);
        if (!held.value(2).toString().isEmpty() && held.value(0).toString() != checkoutMember)
            refuse(QStringLiteral("挂单 %1 是预约会员 %2（%3）的，不能给其他会员结账，请选择该会员后再取单")
                       .arg(heldId, held.value(1).toString(), held.value(0).toString()));
    }
    // Taken by this checkout from here on; within the lock nobody else can
    // take it, and a bill another checkout holds leaves nothing copied.
    if (!tx.failed())
        LedgerSql::execOne(QStringLiteral("update guadan set qudanID=?,qudantai=?,qudanshijian=? where ID=? and "
                                          "(qudanID is null or qudanID=? or qudanshijian<?)"),
                           {basketId, LedgerSql::desk(), LedgerSql::now(), heldId, basketId, takenCutoff()}, kGone);
    const QString memberId =
        tx.failed() ? QString() : value(QStringLiteral("select huiyuanID from guadan where ID=?"), {heldId}).toString();
    if (!tx.failed()) {
        exec(QStringLiteral("insert into tempxiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,"
                            "shuliang,jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu,hangID) select ?,"
                            "xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,jine,jifen,'无',"
                            "tichengyuangongID,fuwugonghao,beizhu,hangID from guadanmingxi where guadanID=? order by rowid"),
             {basketId, heldId});
        exec(QStringLiteral("insert into temptichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,"
                            "tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) select yuangongID,"
                            "xiangmuID,xiangmumingcheng,?,tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,"
                            "titleID from guadanticheng where guadanID=? order by rowid"),
             {basketId, heldId});
        changes->heldCents = basketCents(basketId);
        priceAgain(heldId, basketId, memberId, changes);
        trimUses(basketId, memberId, changes);
        changes->nowCents = basketCents(basketId);
        LedgerSql::log(operatorName, QStringLiteral("解挂  挂单号：") + heldId);
    }
    if (!tx.commit()) {
        *changes = ResumeChanges();
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("取挂单失败"), tx.firstError()));
    }
    return LedgerResult::success(heldId);
}

// What the log keeps of a held bill thrown away: whose it was, what it came to
// and what was on it, so that a bill rung up, served, paid in cash and then
// deleted can still be found.
QString discardLogText(const QString &heldId, const QString &authorizedBy)
{
    const QList<QVariantList> head = LedgerSql::rows(
        QStringLiteral("select huiyuanID,huiyuanname,jine,cishu from guadan where ID=?"), {heldId});
    const QList<QVariantList> lines = LedgerSql::rows(
        QStringLiteral("select name,shuliang,jine from guadanmingxi where guadanID=? order by rowid"), {heldId});
    QStringList shown;
    for (int i = 0; i < lines.size() && i < 20; ++i)
        shown << lines.at(i).value(0).toString() + QStringLiteral("×") + moneyText(lines.at(i).value(1).toDouble())
                     + QLatin1Char(' ') + moneyText(lines.at(i).value(2).toDouble());
    if (lines.size() > 20)
        shown << QStringLiteral("等共%1行").arg(lines.size());
    const QVariantList h = head.value(0);
    return QStringLiteral("删除挂单  挂单号：") + heldId + QStringLiteral("  会员号：") + h.value(0).toString()
           + QStringLiteral("  会员：") + h.value(1).toString() + QStringLiteral("  金额：")
           + moneyText(h.value(2).toDouble()) + QStringLiteral("  套餐次数：") + moneyText(h.value(3).toDouble())
           + QStringLiteral("  明细：") + shown.join(QStringLiteral("，")) + QStringLiteral("  确认人：") + authorizedBy;
}

LedgerResult discardOnce(const QString &heldId, const QString &operatorName, const QString &authorizedBy,
                         const QString &basketId)
{
    TransactionScope tx;
    // Inside the transaction: the right may have been taken away at another desk.
    if (!OperatorStore::mayAuthorize(authorizedBy))
        refuse(QStringLiteral("删除挂单需要有系统设置权限的操作员确认"));
    const QList<QVariantList> bill = tx.failed() ? QList<QVariantList>() : LedgerSql::rows(
        QStringLiteral("select coalesce(qudanID,''),coalesce(qudantai,''),coalesce(qudanshijian,'') from guadan where ID=?"),
        {heldId});
    if (!tx.failed() && bill.isEmpty())
        refuse(kGone);
    else if (!tx.failed()) {
        const QVariantList &b = bill.first();
        const QString takenBy = b.value(0).toString();
        if (!takenBy.isEmpty() && takenBy != basketId && b.value(2).toString() >= takenCutoff())
            refuse(QStringLiteral("该挂单正在收银台%1结账，不能删除").arg(b.value(1).toString()));
    }
    const QString logText = tx.failed() ? QString() : discardLogText(heldId, authorizedBy);
    const BookingLink link = tx.failed() ? BookingLink() : bookingLink(heldId);
    if (!tx.failed() && LedgerSql::execOne(QStringLiteral("delete from guadan where ID=?"), {heldId}, kGone)
        && dropLines(heldId))
        LedgerSql::log(operatorName, logText);
    // Nothing was sold: the booking the bill was rung up from is open again.
    if (!tx.failed() && !link.bookingId.isEmpty())
        BookingWriter::giveUpBill(link.bookingId, heldId, link.stateBefore, operatorName);
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("删除挂单失败"), tx.firstError()));
    return LedgerResult::success(heldId);
}

QString cents(qint64 c)
{
    return centsText(c);
}

} // namespace

QString ResumeChanges::text() const
{
    if (isEmpty())
        return QString();
    QStringList out;
    if (!prices.isEmpty()) {
        out << QStringLiteral("挂单已按会员现在的卡类型和价格重新计价：");
        for (const Price &p : prices)
            out << QStringLiteral("%1 ×%2：%3 → %4").arg(p.name).arg(p.quantity).arg(cents(p.heldUnitCents),
                                                                                  cents(p.nowUnitCents));
    }
    if (!usesShort.isEmpty()) {
        out << QStringLiteral("该会员的套餐次数已不足，已按剩余次数取回：");
        out << usesShort;
    }
    if (!gone.isEmpty())
        out << QStringLiteral("以下项目已不再销售，仍按挂单时的价格：") + gone.join(QStringLiteral("、"));
    if (heldCents != nowCents)
        out << QStringLiteral("合计：%1 → %2").arg(cents(heldCents), cents(nowCents));
    return out.join(QLatin1Char('\n'));
}

// Each attempt is one transaction; on a shop server a desk that got in the way
// makes the whole operation run again from the start.
LedgerResult HeldBills::hold(const QString &basketId, const QString &memberId, const QString &memberName,
                             const QString &operatorName, const QString &replaces, const QString &bookingId)
{
    return retryOnConflict([&] { return holdOnce(basketId, memberId, memberName, operatorName, replaces, bookingId); });
}

LedgerResult HeldBills::resume(const QString &heldId, const QString &basketId, const QString &operatorName,
                               ResumeChanges *changes, const QString &checkoutMember)
{
    ResumeChanges ignored;
    return retryOnConflict(
        [&] { return resumeOnce(heldId, basketId, operatorName, changes ? changes : &ignored, checkoutMember); });
}

LedgerResult HeldBills::discard(const QString &heldId, const QString &operatorName, const QString &authorizedBy,
                                const QString &basketId)
{
    return retryOnConflict([&] { return discardOnce(heldId, operatorName, authorizedBy, basketId); });
}

bool HeldBills::keepTaken(const QString &heldId, const QString &basketId)
{
    return LedgerSql::execSingle(QStringLiteral("update guadan set qudanshijian=? where ID=? and qudanID=?"),
                {LedgerSql::now(), heldId, basketId})
           == 1;
}

bool HeldBills::release(const QString &heldId, const QString &basketId)
{
    return LedgerSql::execSingle(QStringLiteral("update guadan set qudanID=null,qudantai=null,qudanshijian=null where ID=? and qudanID=?"),
                {heldId, basketId})
           >= 0;
}

int HeldBills::releaseDesk(const QString &desk)
{
    return LedgerSql::execSingle(QStringLiteral("update guadan set qudanID=null,qudantai=null,qudanshijian=null where qudantai=?"),
                {desk});
}

bool HeldBills::removeSold(const QString &heldId, const QString &basketId)
{
    return removeTaken(heldId, basketId, kTakenElsewhere);
}

QString HeldBills::bookingOf(const QString &heldId)
{
    return bookingLink(heldId).bookingId;
}

QString HeldBills::holding(const QString &bookingId)
{
    return value(QStringLiteral("select ID from guadan where yuyueID=? order by ID LIMIT 1"), {bookingId}).toString();
}

bool HeldBills::find(const QString &heldId, HeldBill *bill)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select ID,huiyuanID,huiyuanname,guadanriqi,jine,cishu,caozuoyuan,coalesce(qudanID,''),"
                       "coalesce(qudantai,''),coalesce(qudanshijian,''),coalesce(yuyueID,'') from guadan where ID=?"),
        {heldId});
    if (rows.size() != 1)
        return false;
    const QVariantList &r = rows.first();
    if (bill) {
        bill->id = r.value(0).toString();
        bill->memberId = r.value(1).toString();
        bill->memberName = r.value(2).toString();
        bill->time = r.value(3).toString();
        bill->cents = yuanToCents(r.value(4).toDouble());
        bill->uses = qint64(r.value(5).toDouble() + 0.5);
        bill->operatorName = r.value(6).toString();
        bill->takenBy = r.value(7).toString();
        bill->takenDesk = r.value(8).toString();
        bill->takenAt = r.value(9).toString();
        bill->bookingId = r.value(10).toString();
    }
    return true;
}

int HeldBills::count()
{
    return value(QStringLiteral("select count(*) from guadan")).toInt();
}
