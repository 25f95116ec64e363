#include "bookingwriter.h"

#include "bookingbook.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "shopconnection.h"
#include "textlimits.h"
#include "transactionscope.h"
#include "workinghours.h"

using LedgerSql::exec;
using LedgerSql::refuse;
using LedgerSql::value;
using namespace BookingState;

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");
constexpr int kLongestItem = 12 * 60; // minutes: no item runs longer than half a day

QString stamp(const QDateTime &t)
{
    return t.toString(kTimeFormat);
}

QString hhmm(const QDateTime &t)
{
    return t.toString(QStringLiteral("HH:mm"));
}

// "发型师 王芳": the employee's type and name, as the desk calls them.
QString stylistName(const QString &employeeId)
{
    const QList<QVariantList> r =
        LedgerSql::rows(QStringLiteral("select name,type from yuangong where ID=?"), {employeeId});
    if (r.isEmpty())
        return employeeId;
    const QString type = r.first().value(1).toString().trimmed();
    return (type.isEmpty() ? QStringLiteral("员工") : type) + QLatin1Char(' ') + r.first().value(0).toString();
}

void writeLog(const QString &bookingId, const QString &operatorName, const QString &action, const QString &state,
              const QString &text)
{
    exec(QStringLiteral("insert into yuyuerizhi(yuyueID,shijian,caozuoyuan,dongzuo,zhuangtai,neirong) "
                        "values(?,?,?,?,?,?)"),
         {bookingId, LedgerSql::now(), operatorName, action, state, text});
    LedgerSql::log(operatorName, action + QStringLiteral("  预约单：") + bookingId
                                     + (text.isEmpty() ? QString() : QStringLiteral("  ") + text));
}

QString itemsText(const Booking &b)
{
    QStringList parts;
    for (const BookingItem &i : b.items)
        parts << QStringLiteral("%1 %2 %3").arg(i.itemName, i.employeeId, stamp(i.start));
    return parts.join(QStringLiteral("，"));
}

LedgerResult finish(TransactionScope &tx, const QString &what, const QString &id)
{
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    return LedgerResult::success(id);
}

QString stateOf(const QString &bookingId)
{
    return value(QStringLiteral("select zhuangtai from yuyue where ID=?"), {bookingId}).toString();
}

// Reads the booking as written, for a change of one of its lines.
bool load(const QString &bookingId, Booking *b, QString *state)
{
    BookingRecord rec;
    if (!BookingBook::find(bookingId, &rec))
        return false;
    *b = rec.booking;
    *state = rec.state;
    return true;
}

LedgerResult writeOnce(const Booking &asked, bool isNew, const QString &action)
{
    const QString shape = BookingWriter::shapeRefusal(asked);
    if (!shape.isEmpty())
        return LedgerResult::failure(shape);
    Booking b = asked;
    const bool walkIn = b.memberId.isEmpty() || b.memberId == QLatin1String(kWalkInId);
    if (walkIn)
        b.memberId = QString::fromUtf8(kWalkInId);
    if (b.source.isEmpty())
        b.source = QStringLiteral("电话");
    if (b.desk.isEmpty())
        b.desk = currentShopConnection().desk;

    TransactionScope tx;
    QString state = text(kBooked);
    if (!isNew) {
        state = stateOf(b.documentId);
        if (state.isEmpty())
            refuse(QStringLiteral("找不到该预约，可能已被删除"));
        else if (state != text(kBooked) && state != text(kArrived))
            refuse(QStringLiteral("该预约现在是“%1”，不能再修改").arg(state));
        // Its bill is held for its member: the bill and the booking stay one customer's.
        const QVariantList held = tx.failed() ? QVariantList()
                                              : LedgerSql::rows(QStringLiteral("select ID,coalesce(huiyuanID,'') from guadan "
                                                                               "where yuyueID=? order by ID LIMIT 1"),
                                                                {b.documentId})
                                                    .value(0);
        if (!held.isEmpty() && held.value(1).toString() != b.memberId)
            refuse(QStringLiteral("该预约已挂单（挂单号 %1），不能改为其他会员；请先结账，或删除挂单后再修改")
                       .arg(held.value(0).toString()));
    }
    if (!walkIn && !tx.failed()) {
        const QList<QVariantList> m =
            LedgerSql::rows(QStringLiteral("select name,phone from huiyuan where ID=?"), {b.memberId});
        if (m.isEmpty())
            refuse(QStringLiteral("找不到该会员"));
        else {
            if (b.customerName.trimmed().isEmpty())
                b.customerName = m.first().value(0).toString();
            if (b.phone.trimmed().isEmpty())
                b.phone = m.first().value(1).toString();
        }
    }
    for (BookingItem &i : b.items) {
        if (tx.failed())
            break;
        const QVariant name = value(QStringLiteral("select name from fuwuxiangmu where ID=?"), {i.itemId});
        if (!name.isValid()) {
            refuse(QStringLiteral("找不到服务项目 %1").arg(i.itemId));
            break;
        }
        if (i.itemName.isEmpty())
            i.itemName = name.toString();
        if (!value(QStringLiteral("select 1 from yuangong where ID=? and coalesce(jinyong,'否')<>'是'"), {i.employeeId})
                 .isValid()) {
            refuse(QStringLiteral("找不到员工 %1，或该员工已禁用").arg(i.employeeId));
            break;
        }
        // The hours may have changed since the desk asked; a time the cashier
        // accepted outside them stays accepted.
        if (!b.outsideHoursAccepted) {
            const QString outside = WorkingHours::outsideHours(i);
            if (!outside.isEmpty()) {
                refuse(outside + QStringLiteral("，本次预约未保存"));
                break;
            }
        }
        const QString clash = BookingWriter::clashOf(i, b.documentId);
        if (!clash.isEmpty()) {
            refuse(clash);
            break;
        }
    }

    QDateTime first = b.items.first().start, last = b.items.first().end();
    for (const BookingItem &i : b.items) {
        first = qMin(first, i.start);
        last = qMax(last, i.end());
    }
    const QString now = LedgerSql::now();
    if (isNew && !tx.failed()) {
        b.documentId = LedgerSql::newDocumentId(QStringLiteral("yy"), QStringLiteral("预约"), b.operatorName);
        if (b.documentId.isEmpty())
            refuse(QStringLiteral("无法生成预约单号，本次预约未保存"));
        else
            exec(QStringLiteral("insert into yuyue(ID,huiyuanid,kehuming,dianhua,riqi,kaishi,jieshu,laiyuan,zhuangtai,"
                                "xiaofeiID,quxiaoyuanyin,beizhu,caozuoyuan,shouyintai,jianlishijian,xiugaishijian) "
                                "values(?,?,?,?,?,?,?,?,?,'','',?,?,?,?,?)"),
                 {b.documentId, b.memberId, b.customerName.trimmed(), b.phone.trimmed(),
                  first.date().toString(Qt::ISODate), stamp(first), stamp(last), b.source, state, b.remark,
                  b.operatorName, b.desk, now, now});
    } else if (!tx.failed()) {
        LedgerSql::execOne(QStringLiteral("update yuyue set huiyuanid=?,kehuming=?,dianhua=?,riqi=?,kaishi=?,jieshu=?,"
                                          "laiyuan=?,beizhu=?,xiugaishijian=? where ID=? and zhuangtai=?"),
                           {b.memberId, b.customerName.trimmed(), b.phone.trimmed(),
                            first.date().toString(Qt::ISODate), stamp(first), stamp(last), b.source, b.remark, now,
                            b.documentId, state},
                           QStringLiteral("该预约刚被其他收银台修改，请重新打开"));
        exec(QStringLiteral("delete from yuyuemingxi where yuyueID=?"), {b.documentId});
    }
    for (int n = 0; n < b.items.size() && !tx.failed(); ++n) {
        const BookingItem &i = b.items.at(n);
        exec(QStringLiteral("insert into yuyuemingxi(yuyueID,hangID,xiangmuID,xiangmumingcheng,yuangongID,kaishi,"
                            "jieshu,shichang) values(?,?,?,?,?,?,?,?)"),
             {b.documentId, n + 1, i.itemId, i.itemName, i.employeeId, stamp(i.start), stamp(i.end()), i.minutes});
    }
    if (!tx.failed())
        writeLog(b.documentId, b.operatorName, action, state, b.customerName + QStringLiteral("：") + itemsText(b));
    return finish(tx, QStringLiteral("保存预约失败"), b.documentId);
}

// One change of state, guarded by the states it may come from.
LedgerResult changeState(const QString &bookingId, const QStringList &from, const char *to, const QString &reason,
                         const QString &action, const QString &operatorName)
{
    return retryOnConflict([&] {
        TransactionScope tx;
        const QString state = stateOf(bookingId);
        if (state.isEmpty())
            refuse(QStringLiteral("找不到该预约，可能已被删除"));
        else if (!from.contains(state))
            refuse(QStringLiteral("该预约现在是“%1”，不能%2").arg(state, action));
        else
            LedgerSql::execOne(QStringLiteral("update yuyue set zhuangtai=?,quxiaoyuanyin=?,xiugaishijian=? "
                                              "where ID=? and zhuangtai=?"),
                               {text(to), reason, LedgerSql::now(), bookingId, state},
                               QStringLiteral("该预约刚被其他收银台修改，请重试"));
        if (!tx.failed())
            writeLog(bookingId, operatorName, action, text(to), reason);
        return finish(tx, QStringLiteral("保存预约失败"), bookingId);
    });
}

} // namespace

QString BookingWriter::shapeRefusal(const Booking &b)
{
    const bool walkIn = b.memberId.isEmpty() || b.memberId == QLatin1String(kWalkInId);
    if (walkIn && b.customerName.trimmed().isEmpty())
        return QStringLiteral("请填写顾客姓名");
    if (b.items.isEmpty())
        return QStringLiteral("请至少添加一个预约项目");
    const QString tooLong = TextLimits::firstRefusal({{QStringLiteral("顾客姓名"), b.customerName, TextLimits::kName},
                                                      {QStringLiteral("备注"), b.remark, TextLimits::kRemark}});
    if (!tooLong.isEmpty())
        return tooLong;
    if (!b.source.isEmpty() && !QString::fromUtf8(kBookingSources).split(QStringLiteral("、")).contains(b.source))
        return QStringLiteral("预约来源只能是电话、到店或其他");
    for (int n = 0; n < b.items.size(); ++n) {
        const BookingItem &i = b.items.at(n);
        if (i.itemId.isEmpty())
            return QStringLiteral("第%1个预约项目没有选择服务项目").arg(n + 1);
        if (i.employeeId.isEmpty())
            return QStringLiteral("第%1个预约项目没有选择员工").arg(n + 1);
        if (!i.start.isValid())
            return QStringLiteral("第%1个预约项目的开始时间不对").arg(n + 1);
        if (i.minutes < 5 || i.minutes > kLongestItem)
            return QStringLiteral("预约时长必须在5到720分钟之间");
        if (i.end().date() != i.start.date() && i.end().time() != QTime(0, 0))
            return QStringLiteral("预约不能跨过午夜");
        for (int k = 0; k < n; ++k) {
            const BookingItem &o = b.items.at(k);
            if (o.employeeId == i.employeeId && o.start < i.end() && i.start < o.end())
                return QStringLiteral("本预约的第%1和第%2个项目是同一员工的重叠时间").arg(k + 1).arg(n + 1);
        }
    }
    return QString();
}

QString BookingWriter::clashOf(const BookingItem &item, const QString &ownBookingId)
{
    // The stylist's lines that start before this one ends and end after it
    // starts; the lower bound on the start keeps the look-up on the index.
    const QList<QVariantList> r = LedgerSql::rows(
        QStringLiteral("select m.kaishi,m.jieshu,y.kehuming,m.xiangmumingcheng from yuyuemingxi m "
                       "join yuyue y on y.ID=m.yuyueID "
                       "where m.yuangongID=? and m.kaishi>=? and m.kaishi<? and m.jieshu>? and m.yuyueID<>? "
                       "and y.zhuangtai in (?,?,?) order by m.kaishi LIMIT 1"),
        {item.employeeId, stamp(item.start.addSecs(-qint64(kLongestItem) * 60)), stamp(item.end()),
         stamp(item.start), ownBookingId.isEmpty() ? QStringLiteral("-") : ownBookingId, text(kBooked),
         text(kArrived), text(kDone)});
    if (r.isEmpty())
        return QString();
    const QDateTime from = QDateTime::fromString(r.first().value(0).toString(), kTimeFormat);
    const QDateTime to = QDateTime::fromString(r.first().value(1).toString(), kTimeFormat);
    return QStringLiteral("%1 %2–%3 已有预约：%4 %5")
        .arg(stylistName(item.employeeId), hhmm(from), hhmm(to), r.first().value(2).toString(),
             r.first().value(3).toString());
}

LedgerResult BookingWriter::book(const Booking &booking)
{
    Booking b = booking;
    b.documentId.clear();
    return retryOnConflict([&] { return writeOnce(b, true, QStringLiteral("新建预约")); });
}

LedgerResult BookingWriter::change(const Booking &booking)
{
    if (booking.documentId.isEmpty())
        return LedgerResult::failure(QStringLiteral("找不到该预约，可能已被删除"));
    return retryOnConflict([&] { return writeOnce(booking, false, QStringLiteral("修改预约")); });
}

LedgerResult BookingWriter::move(const QString &bookingId, int line, const QString &employeeId,
                                 const QDateTime &start, bool outsideHoursAccepted, const QString &operatorName)
{
    return retryOnConflict([&] {
        Booking b;
        QString state;
        // Read and written in one transaction: the lines moved are the lines there are.
        TransactionScope tx;
        if (!load(bookingId, &b, &state) || line < 1 || line > b.items.size()) {
            refuse(QStringLiteral("找不到该预约，可能已被删除"));
            return finish(tx, QStringLiteral("移动预约失败"), QString());
        }
        BookingItem &i = b.items[line - 1];
        i.employeeId = employeeId;
        i.start = start;
        b.operatorName = operatorName;
        b.outsideHoursAccepted = outsideHoursAccepted;
        const LedgerResult r = writeOnce(b, false, QStringLiteral("移动预约"));
        if (!r.ok)
            return r;
        return finish(tx, QStringLiteral("移动预约失败"), bookingId);
    });
}

LedgerResult BookingWriter::arrive(const QString &bookingId, const QString &operatorName)
{
    return changeState(bookingId, {text(kBooked)}, kArrived, QString(), QStringLiteral("到店"), operatorName);
}

LedgerResult BookingWriter::cancel(const QString &bookingId, const QString &reason, const QString &operatorName)
{
    if (reason.trimmed().isEmpty())
        return LedgerResult::failure(QStringLiteral("请填写取消原因"));
    const QString tooLong = TextLimits::refusal(QStringLiteral("取消原因"), reason, TextLimits::kReason);
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong);
    return changeState(bookingId, {text(kBooked), text(kArrived)}, kCancelled, reason.trimmed(),
                       QStringLiteral("取消预约"), operatorName);
}

LedgerResult BookingWriter::noShow(const QString &bookingId, const QString &operatorName)
{
    return changeState(bookingId, {text(kBooked)}, kNoShow, QString(), QStringLiteral("标为爽约"), operatorName);
}

bool BookingWriter::completeWithSale(const QString &bookingId, const QString &saleId, const QString &operatorName)
{
    const QString state = stateOf(bookingId);
    if (state != text(kBooked) && state != text(kArrived)) {
        refuse(state.isEmpty() ? QStringLiteral("找不到这张消费单的预约，可能已被删除，本次消费未保存")
                               : QStringLiteral("这张消费单的预约现在是“%1”（可能刚在其他收银台处理过），本次消费未保存")
                                     .arg(state));
        return false;
    }
    if (!LedgerSql::execOne(QStringLiteral("update yuyue set zhuangtai=?,xiaofeiID=?,xiugaishijian=? "
                                           "where ID=? and zhuangtai=?"),
                            {text(kDone), saleId, LedgerSql::now(), bookingId, state},
                            QStringLiteral("预约刚被其他收银台修改，本次消费未保存")))
        return false;
    writeLog(bookingId, operatorName, QStringLiteral("开单结账"), text(kDone), QStringLiteral("消费单：") + saleId);
    return true;
}

bool BookingWriter::holdInBill(const QString &bookingId, const QString &heldId, const QString &operatorName,
                               QString *stateBefore)
{
    const QString state = stateOf(bookingId);
    *stateBefore = state;
    if (state != text(kBooked) && state != text(kArrived)) {
        refuse(state.isEmpty() ? QStringLiteral("找不到这张消费单的预约，可能已被删除，本单未挂单")
                               : QStringLiteral("这张消费单的预约现在是“%1”（可能刚在其他收银台处理过），本单未挂单")
                                     .arg(state));
        return false;
    }
    if (!LedgerSql::execOne(QStringLiteral("update yuyue set zhuangtai=?,xiugaishijian=? where ID=? and zhuangtai=?"),
                            {text(kArrived), LedgerSql::now(), bookingId, state},
                            QStringLiteral("预约刚被其他收银台修改，本单未挂单")))
        return false;
    writeLog(bookingId, operatorName, QStringLiteral("挂单"), text(kArrived), QStringLiteral("挂单号：") + heldId);
    return true;
}

bool BookingWriter::giveUpBill(const QString &bookingId, const QString &heldId, const QString &stateBefore,
                               const QString &operatorName)
{
    // Cancelled or settled at another desk meanwhile: that stands.
    if (stateOf(bookingId) != text(kArrived))
        return true;
    const QString back = stateBefore == text(kBooked) ? stateBefore : text(kArrived);
    if (!LedgerSql::execOne(QStringLiteral("update yuyue set zhuangtai=?,xiugaishijian=? where ID=? and zhuangtai=?"),
                            {back, LedgerSql::now(), bookingId, text(kArrived)},
                            QStringLiteral("预约刚被其他收银台修改，挂单未删除")))
        return false;
    writeLog(bookingId, operatorName, QStringLiteral("删除挂单"), back, QStringLiteral("挂单号：") + heldId);
    return true;
}

bool BookingWriter::reopenAfterVoid(const QString &saleId, const QString &operatorName)
{
    const QList<QVariantList> booked =
        LedgerSql::rows(QStringLiteral("select ID from yuyue where xiaofeiID=? and zhuangtai=? order by ID"), {saleId, text(kDone)});
    for (const QVariantList &r : booked) {
        const QString id = r.value(0).toString();
        if (!LedgerSql::execOne(QStringLiteral("update yuyue set zhuangtai=?,xiaofeiID='',xiugaishijian=? "
                                               "where ID=? and zhuangtai=?"),
                                {text(kArrived), LedgerSql::now(), id, text(kDone)},
                                QStringLiteral("预约刚被其他收银台修改，作废未保存")))
            return false;
        writeLog(id, operatorName, QStringLiteral("消费单作废"), text(kArrived), QStringLiteral("消费单：") + saleId);
    }
    return true;
}
