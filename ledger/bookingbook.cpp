#include "bookingbook.h"

#include "amounts.h"
#include "ledgersql.h"
#include "ledgertypes.h"
#include "workinghours.h"

#include <QSet>

using namespace BookingState;

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");

QString stamp(const QDateTime &t)
{
    return t.toString(kTimeFormat);
}

// The lines and their bookings; the marks for a birthday in the coming week
// and a package item nearly used up come with them, so a day is one read.
QList<BookingBlock> blocks(const QString &where, const QVariantList &values)
{
    // A birthday within the coming week, told by its month and day.
    QSet<QString> days;
    const QDate today = QDate::currentDate();
    for (int d = 0; d < 8; ++d)
        days.insert(today.addDays(d).toString(QStringLiteral("MM-dd")));
    QList<BookingBlock> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select y.ID,m.hangID,y.huiyuanid,y.kehuming,y.dianhua,m.xiangmuID,m.xiangmumingcheng,"
                            "m.yuangongID,m.kaishi,m.shichang,y.zhuangtai,y.xiaofeiID,y.beizhu,h.birthday,"
                            "(select sum(t.shengyucishu) from huiyuantaocan t where t.huiyuanID=y.huiyuanid "
                            "and t.xiangmuID=m.xiangmuID) "
                            "from yuyuemingxi m join yuyue y on y.ID=m.yuyueID left join huiyuan h on h.ID=y.huiyuanid "
                            "where ")
                 + where + QStringLiteral(" order by m.kaishi,m.yuangongID,y.ID,m.hangID"),
             values)) {
        BookingBlock b;
        b.bookingId = r.value(0).toString();
        b.line = r.value(1).toInt();
        b.memberId = r.value(2).toString();
        b.customerName = r.value(3).toString();
        b.phone = r.value(4).toString();
        b.itemId = r.value(5).toString();
        b.itemName = r.value(6).toString();
        b.employeeId = r.value(7).toString();
        b.start = QDateTime::fromString(r.value(8).toString(), kTimeFormat);
        b.minutes = r.value(9).toInt();
        b.state = r.value(10).toString();
        b.saleId = r.value(11).toString();
        b.remark = r.value(12).toString();
        b.birthdaySoon = days.contains(r.value(13).toString().mid(5, 5));
        const double left = r.value(14).isNull() ? -1 : r.value(14).toDouble();
        b.packageRunningOut = left >= 0 && left <= 2;
        out << b;
    }
    return out;
}

} // namespace

QList<BookingBlock> BookingBook::day(const QDate &date)
{
    return blocks(QStringLiteral("m.kaishi>=? and m.kaishi<?"),
                  {date.toString(Qt::ISODate), date.addDays(1).toString(Qt::ISODate)});
}

QList<BookingBlock> BookingBook::stylist(const QString &employeeId, const QDate &from, int days)
{
    return blocks(QStringLiteral("m.yuangongID=? and m.kaishi>=? and m.kaishi<?"),
                  {employeeId, from.toString(Qt::ISODate), from.addDays(days).toString(Qt::ISODate)});
}

QList<BookingBlock> BookingBook::upcoming(const QDateTime &from, const QDateTime &to)
{
    return blocks(QStringLiteral("m.kaishi>=? and m.kaishi<? and y.zhuangtai in (?,?)"),
                  {stamp(from), stamp(to), text(kBooked), text(kArrived)});
}

bool BookingBook::find(const QString &bookingId, BookingRecord *out)
{
    const QList<QVariantList> head = LedgerSql::rows(
        QStringLiteral("select huiyuanid,kehuming,dianhua,laiyuan,beizhu,caozuoyuan,shouyintai,zhuangtai,xiaofeiID,"
                       "quxiaoyuanyin,jianlishijian from yuyue where ID=?"),
        {bookingId});
    if (head.isEmpty())
        return false;
    const QVariantList &h = head.first();
    BookingRecord rec;
    Booking &b = rec.booking;
    b.documentId = bookingId;
    b.memberId = h.value(0).toString();
    b.customerName = h.value(1).toString();
    b.phone = h.value(2).toString();
    b.source = h.value(3).toString();
    b.remark = h.value(4).toString();
    b.operatorName = h.value(5).toString();
    b.desk = h.value(6).toString();
    rec.state = h.value(7).toString();
    rec.saleId = h.value(8).toString();
    rec.cancelReason = h.value(9).toString();
    rec.createdAt = h.value(10).toString();
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select xiangmuID,xiangmumingcheng,yuangongID,kaishi,shichang from yuyuemingxi "
                            "where yuyueID=? order by hangID"),
             {bookingId})) {
        BookingItem i;
        i.itemId = r.value(0).toString();
        i.itemName = r.value(1).toString();
        i.employeeId = r.value(2).toString();
        i.start = QDateTime::fromString(r.value(3).toString(), kTimeFormat);
        i.minutes = r.value(4).toInt();
        b.items << i;
    }
    *out = rec;
    return true;
}

MemberBookings BookingBook::member(const QString &memberId, const QDateTime &now)
{
    MemberBookings m;
    if (memberId.isEmpty() || memberId == QLatin1String(kWalkInId))
        return m;
    // One statement: the panel asks at every member chosen, and on a shop
    // server each statement is a round trip the search waits for.
    const QList<QVariantList> row = LedgerSql::rows(
        QStringLiteral("select n.ID,n.kaishi,n.name,n.xiangmumingcheng,k.c from "
                       "(select count(*) as c from yuyue where huiyuanid=? and zhuangtai=?) k left join "
                       "(select y.ID as ID,m.kaishi as kaishi,e.name as name,m.xiangmumingcheng as xiangmumingcheng "
                       "from yuyue y join yuyuemingxi m on m.yuyueID=y.ID left join yuangong e on e.ID=m.yuangongID "
                       "where y.huiyuanid=? and y.kaishi>=? and y.zhuangtai in (?,?) "
                       "order by y.kaishi,m.kaishi LIMIT 1) n on 1=1"),
        {memberId, text(kNoShow), memberId, stamp(now.addSecs(-3600)), text(kBooked), text(kArrived)});
    if (row.isEmpty())
        return m;
    const QVariantList &r = row.first();
    if (!r.value(0).isNull()) {
        m.nextId = r.value(0).toString();
        m.nextText = QStringLiteral("%1 %2 %3").arg(r.value(1).toString().mid(5), r.value(2).toString(),
                                                   r.value(3).toString());
    }
    m.noShows = r.value(4).toInt();
    return m;
}

QString BookingBook::memberColumns()
{
    // nextText as member() writes it: the line's start without its year, the
    // stylist, the item.
    return QStringLiteral(
        "(select count(*) from yuyue where huiyuanid=h.ID and zhuangtai=?),"
        "(select substr(coalesce(m.kaishi,''),6) || ' ' || coalesce(e.name,'') || ' ' || coalesce(m.xiangmumingcheng,'') "
        "from yuyue y join yuyuemingxi m on m.yuyueID=y.ID left join yuangong e on e.ID=m.yuangongID "
        "where y.huiyuanid=h.ID and y.kaishi>=? and y.zhuangtai in (?,?) order by y.kaishi,m.kaishi LIMIT 1)");
}

QVariantList BookingBook::memberColumnValues(const QDateTime &now)
{
    return {text(kNoShow), stamp(now.addSecs(-3600)), text(kBooked), text(kArrived)};
}

QList<StylistUse> BookingBook::utilisation(const QDate &from, const QDate &to)
{
    QList<StylistUse> out;
    QHash<QString, int> at;
    for (const WorkingDay &d : WorkingHours::day(from)) {
        StylistUse u;
        u.employeeId = d.employeeId;
        u.name = d.name;
        at.insert(d.employeeId, out.size());
        out << u;
    }
    const auto minutesOf = [](const QString &a, const QString &b) {
        const QTime s = QTime::fromString(a, QStringLiteral("HH:mm"));
        const QTime e = b == QLatin1String("24:00") ? QTime(23, 59, 59) : QTime::fromString(b, QStringLiteral("HH:mm"));
        return s.isValid() && e.isValid() ? qMax(0, int((s.secsTo(e) + 59) / 60)) : 0;
    };
    for (const QList<WorkingDay> &day : WorkingHours::days(from, int(from.daysTo(to)) + 1, WorkingHours::shopHours()))
        for (const WorkingDay &w : day)
            if (w.working && at.contains(w.employeeId))
                out[at.value(w.employeeId)].workingMinutes += minutesOf(w.start, w.end);
    const QString start = from.toString(Qt::ISODate), end = to.addDays(1).toString(Qt::ISODate);
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select m.yuangongID,"
                            "sum(case when y.zhuangtai in (?,?,?) then m.shichang else 0 end),"
                            "count(distinct case when y.zhuangtai=? then y.ID end),"
                            "count(distinct case when y.zhuangtai=? then y.ID end),"
                            "count(distinct case when y.zhuangtai=? then y.ID end) "
                            "from yuyuemingxi m join yuyue y on y.ID=m.yuyueID "
                            "where m.kaishi>=? and m.kaishi<? group by m.yuangongID order by m.yuangongID"),
             {text(kBooked), text(kArrived), text(kDone), text(kDone), text(kCancelled), text(kNoShow), start, end})) {
        const QString id = r.value(0).toString();
        if (!at.contains(id))
            continue;
        StylistUse &u = out[at.value(id)];
        u.bookedMinutes = r.value(1).toInt();
        u.kept = r.value(2).toInt();
        u.cancelled = r.value(3).toInt();
        u.noShows = r.value(4).toInt();
    }
    // Revenue of the lines credited to each stylist, split by whether their
    // sale came from a booking. Voided sales and their reversals cancel out.
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select a.tichengyuangongID,"
                            "sum(case when exists(select 1 from yuyue y where y.xiaofeiID=a.ID) then a.jine else 0 end),"
                            "sum(case when exists(select 1 from yuyue y where y.xiaofeiID=a.ID) then 0 else a.jine end) "
                            "from xiaofeimingxi a where a.ID in (select h.ID from huiyuanxiaofei h "
                            "where h.xiaofeiriqi>=? and h.xiaofeiriqi<?) and a.tichengyuangongID<>'' "
                            "group by a.tichengyuangongID order by a.tichengyuangongID"),
             {start, end})) {
        const QString id = r.value(0).toString();
        if (!at.contains(id))
            continue;
        out[at.value(id)].bookedSalesCents = yuanToCents(r.value(1).toDouble());
        out[at.value(id)].walkInSalesCents = yuanToCents(r.value(2).toDouble());
    }
    return out;
}

QList<QStringList> BookingBook::history(const QString &bookingId)
{
    QList<QStringList> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select shijian,caozuoyuan,dongzuo,zhuangtai,neirong from yuyuerizhi where yuyueID=? "
                            "order by shijian,rowid"),
             {bookingId})) {
        QStringList row;
        for (const QVariant &v : r)
            row << v.toString();
        out << row;
    }
    return out;
}

QList<BookableItem> BookingBook::serviceItems()
{
    QList<BookableItem> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select ID,name,fuwushijian from fuwuxiangmu where coalesce(jinyong,'否')<>'是' order by ID"))) {
        BookableItem i;
        i.id = r.value(0).toString();
        i.name = r.value(1).toString();
        const int minutes = qRound(r.value(2).toDouble());
        i.minutes = minutes >= 5 && minutes <= 720 ? minutes : 60;
        out << i;
    }
    return out;
}

QList<QStringList> BookingBook::findMembers(const QString &text)
{
    QList<QStringList> out;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select ID,name,phone,type from huiyuan where ID=? or phone=? or name=? order by ID LIMIT 20"),
             {t, t, t})) {
        QStringList row;
        for (const QVariant &v : r)
            row << v.toString();
        out << row;
    }
    return out;
}

QStringList BookingBook::memberRecord(const QString &memberId)
{
    const QList<QVariantList> r = LedgerSql::rows(
        QStringLiteral("select ID,name,type,birthday,jiaofeijinE,shengyujine,phone,jifen,guwenrenyuan from huiyuan "
                       "where ID=?"),
        {memberId});
    QStringList out;
    if (!r.isEmpty())
        for (const QVariant &v : r.first())
            out << v.toString();
    return out;
}
