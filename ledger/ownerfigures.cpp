#include "ownerfigures.h"

#include "accountbooks.h"
#include "amounts.h"
#include "ledgersql.h"
#include "ledgertypes.h"
#include "liabilityread.h"
#include "refundwriter.h"
#include "takingsread.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <functional>

using LedgerSql::rows;

namespace {

QString dayStart(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

QString dayEnd(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
}

qint64 cents(const QVariant &v)
{
    return yuanToCents(v.toDouble());
}

// A sale that counts: not voided, not a void's reversing document. Rows that
// only repay an old debt are takings of their day, not a visit.
const QString kCountedSale = QStringLiteral(
    "not (coalesce(a.beizhu,'')='会员还款' and coalesce(a.xiaofeijine,0)=0) and not exists (select 1 from "
    "xiaofeizuofei z where z.ID=a.ID) and not exists (select 1 from xiaofeizuofei z where z.zuofeiID=a.ID)");

struct Bill
{
    QString id;
    QString memberId;
    QString time;
    qint64 cents = 0;
    bool walkIn() const { return memberId == QLatin1String(kWalkInId) || memberId.isEmpty(); }
    QString customer() const { return walkIn() ? QStringLiteral("散客:") + id : memberId; }
};

// The counted sales whose first row lies in [from, to], oldest first.
QList<Bill> billsOf(const QString &from, const QString &to)
{
    QList<Bill> out;
    for (const QVariantList &r :
         rows(QStringLiteral("select a.ID, max(a.huiyuanid), min(a.xiaofeiriqi), sum(coalesce(a.xiaofeijine,0)) from "
                             "huiyuanxiaofei a where a.xiaofeiriqi>=? and a.xiaofeiriqi<=? and ")
                  + kCountedSale + QStringLiteral(" group by a.ID order by min(a.xiaofeiriqi), a.ID"),
              {from, to}))
        out << Bill{r.value(0).toString(), r.value(1).toString(), r.value(2).toString(), cents(r.value(3))};
    return out;
}

QString money(qint64 c)
{
    return centsShown(c);
}

QString share(qint64 part, qint64 whole)
{
    return whole > 0 ? QString::number(100.0 * double(part) / double(whole), 'f', 1) + QLatin1Char('%')
                     : QStringLiteral("—");
}

// How much a figure moved against another, in percent.
QString change(qint64 now, qint64 then)
{
    if (then == 0)
        return now == 0 ? QStringLiteral("0.0%") : QStringLiteral("—");
    const double p = 100.0 * double(now - then) / double(qAbs(then));
    return (p > 0 ? QStringLiteral("+") : QString()) + QString::number(p, 'f', 1) + QLatin1Char('%');
}

bool refill(const QString &table, const QString &insert, const QList<QVariantList> &values)
{
    if (LedgerSql::exec(QStringLiteral("delete from ") + table) < 0)
        return false;
    for (const QVariantList &v : values)
        if (LedgerSql::exec(insert, v) != 1)
            return false;
    return true;
}

// What follows a tag in a refund's log row ("…单号：ID  确认人：NAME  原因：…"), up to the next gap.
QString tagged(const QString &logText, const QString &tag)
{
    const int at = logText.indexOf(tag);
    if (at < 0)
        return QString();
    const int start = at + tag.size();
    const int end = logText.indexOf(QStringLiteral("  "), start);
    return logText.mid(start, end < 0 ? -1 : end - start).trimmed();
}

QString reasonOf(const QString &remark)
{
    const QString tag = QStringLiteral("原因：");
    const int at = remark.indexOf(tag);
    return at < 0 ? QString() : remark.mid(at + tag.size()).trimmed();
}

} // namespace

namespace {
qint64 sumOf(const QVector<MemberLiability> &members, qint64 MemberLiability::*part)
{
    qint64 t = 0;
    for (const MemberLiability &m : members)
        t += m.*part;
    return t;
}
} // namespace

qint64 Liability::paidCents() const
{
    return sumOf(members, &MemberLiability::paidCents);
}

qint64 Liability::bonusCents() const
{
    return sumOf(members, &MemberLiability::bonusCents);
}

qint64 Liability::packageCents() const
{
    return sumOf(members, &MemberLiability::packageCents);
}

QString OwnerFigures::stylistsStatement()
{
    // A walk-in sale is a customer of its own: the walk-in rows count one each.
    const QString walkIn = QStringLiteral("(s.huiyuanid=? OR s.huiyuanid='')");
    return QStringLiteral("select s.yuangongid, coalesce((select max(y.name) from yuangong y where y.ID=s.yuangongid),''), "
                          "sum(s.fuwu), sum(s.jine_li), "
                          "count(DISTINCT CASE WHEN NOT %1 THEN s.huiyuanid END) + sum(CASE WHEN %1 THEN 1 ELSE 0 END), "
                          "count(DISTINCT CASE WHEN s.diandan=1 AND NOT %1 THEN s.huiyuanid END) + "
                          "sum(CASE WHEN s.diandan=1 AND %1 THEN 1 ELSE 0 END) "
                          "from rihuizong_yeji s where s.riqi>=? and s.riqi<=? group by s.yuangongid order by s.yuangongid")
        .arg(walkIn);
}

QVariantList OwnerFigures::stylistsValues(const QDate &from, const QDate &to)
{
    const QString walkIn = QString::fromUtf8(kWalkInId);
    return {walkIn, walkIn, walkIn, walkIn, from.toString(QStringLiteral("yyyy-MM-dd")), to.toString(QStringLiteral("yyyy-MM-dd"))};
}

QList<StylistFigures> OwnerFigures::stylists(const QDate &from, const QDate &to)
{
    // From the work per document and employee (rihuizong_yeji): a sale counts
    // on the day of its first header row, as the other period figures count it.
    QList<StylistFigures> out;
    for (const QVariantList &r : rows(stylistsStatement(), stylistsValues(from, to))) {
        StylistFigures f;
        f.employeeId = r.value(0).toString();
        f.name = r.value(1).toString().isEmpty() ? f.employeeId : r.value(1).toString();
        f.services = r.value(2).toLongLong();
        // Thousandths of a cent: the shares of an item sold on several lines, rounded once.
        f.takingsCents = qRound64(double(r.value(3).toLongLong()) / 1000.0);
        f.customers = r.value(4).toLongLong();
        f.requested = r.value(5).toLongLong();
        out << f;
    }
    std::sort(out.begin(), out.end(), [](const StylistFigures &a, const StylistFigures &b) {
        return a.takingsCents != b.takingsCents ? a.takingsCents > b.takingsCents : a.employeeId < b.employeeId;
    });
    return out;
}

CustomerFigures OwnerFigures::customers(const QDate &from, const QDate &to)
{
    CustomerFigures c;
    c.from = from;
    c.to = to;
    const QString start = dayStart(from), end = dayEnd(to);
    const QList<Bill> bills = billsOf(start, end);
    QSet<QString> customers;
    QMap<QString, QDate> firstVisit; // a member's first visit of the period
    for (const Bill &b : bills) {
        ++c.bills;
        c.takingsCents += b.cents;
        customers.insert(b.customer());
        if (!b.walkIn() && !firstVisit.contains(b.memberId))
            firstVisit.insert(b.memberId, QDate::fromString(b.time.left(10), QStringLiteral("yyyy-MM-dd")));
    }
    c.customers = customers.size();
    c.members = firstVisit.size();
    c.realIncomeCents = TakingsRead::period(start, end).realCents();
    if (firstVisit.isEmpty())
        return c;

    // Whether each member of the period had come before it.
    QSet<QString> before;
    for (const QVariantList &r :
         rows(QStringLiteral("select distinct a.huiyuanid from huiyuanxiaofei a where a.xiaofeiriqi<? and a.huiyuanid "
                             "in (select huiyuanid from huiyuanxiaofei where xiaofeiriqi>=? and xiaofeiriqi<=?) and ")
                  + kCountedSale,
              {start, start, end}))
        before.insert(r.value(0).toString());
    // Their visits of the period and the 90 days after it.
    QMap<QString, QList<QDate>> visits;
    for (const Bill &b : billsOf(start, dayEnd(to.addDays(90))))
        if (firstVisit.contains(b.memberId))
            visits[b.memberId] << QDate::fromString(b.time.left(10), QStringLiteral("yyyy-MM-dd"));
    for (auto it = firstVisit.cbegin(); it != firstVisit.cend(); ++it) {
        if (before.contains(it.key()))
            ++c.returningMembers;
        else
            ++c.newMembers;
        qint64 next = -1;
        for (const QDate &d : visits.value(it.key()))
            if (d > it.value()) {
                next = it.value().daysTo(d);
                break;
            }
        if (next > 0 && next <= 30)
            ++c.back30;
        if (next > 0 && next <= 60)
            ++c.back60;
        if (next > 0 && next <= 90)
            ++c.back90;
    }
    return c;
}

PeriodComparison OwnerFigures::compare(const QDate &from, const QDate &fullTo)
{
    // The days still to come are compared with nothing: 本月 on the 9th is the
    // first nine days, against the first nine of the month before.
    const QDate today = QDate::fromString(LedgerSql::today(), QStringLiteral("yyyy-MM-dd"));
    const QDate to = fullTo > today && from <= today ? today : fullTo;
    PeriodComparison p;
    p.now = customers(from, to);
    if (from.day() == 1) {
        // Months against as many months before, day for day.
        const int months = (to.year() - from.year()) * 12 + to.month() - from.month() + 1;
        const bool wholeLastMonth = to == QDate(to.year(), to.month(), 1).addMonths(1).addDays(-1);
        QDate previousTo = to.addMonths(-months);
        if (wholeLastMonth)
            previousTo = QDate(previousTo.year(), previousTo.month(), 1).addMonths(1).addDays(-1);
        p.previous = customers(from.addMonths(-months), previousTo);
    } else {
        const qint64 days = from.daysTo(to) + 1;
        p.previous = customers(from.addDays(-days), from.addDays(-1));
    }
    p.lastYear = customers(from.addYears(-1), to.addYears(-1));
    return p;
}

// Every member at once, as BalanceBook and a package refund value one member.
Liability OwnerFigures::liability(const QString &asOf)
{
    return asOf.isEmpty() ? LiabilityRead::now() : LiabilityRead::at(asOf);
}

QList<LiabilityMonth> OwnerFigures::liabilityByMonth(const QDate &from, const QDate &to)
{
    QList<LiabilityMonth> out;
    const QDate today = QDate::fromString(LedgerSql::today(), QStringLiteral("yyyy-MM-dd"));
    const QDate last = qMin(to, today);
    // The end of the month before, then each month's end (the month still
    // running: now), read in one pass over the ledgers.
    QDate month(from.year(), from.month(), 1);
    QStringList moments{dayEnd(month.addDays(-1))};
    QStringList names;
    for (; month <= last; month = month.addMonths(1)) {
        const QDate end = month.addMonths(1).addDays(-1);
        moments << (end >= today ? LedgerSql::now() : dayEnd(end));
        names << month.toString(QStringLiteral("yyyy-MM"));
    }
    const QList<LiabilityTotals> owed = LiabilityRead::totalsAt(moments);
    qint64 previous = owed.value(0).totalCents();
    for (int i = 0; i < names.size(); ++i) {
        const LiabilityTotals &l = owed.at(i + 1);
        LiabilityMonth m;
        m.month = names.at(i);
        m.paidCents = l.paidCents;
        m.bonusCents = l.bonusCents;
        m.packageCents = l.packageCents;
        m.changeCents = m.totalCents() - previous;
        previous = m.totalCents();
        out << m;
    }
    return out;
}

QList<Reversal> OwnerFigures::reversals(const QString &from, const QString &to, const QString &desk)
{
    QList<Reversal> out;
    const auto deskMatches = [&desk](const QString &d) { return desk.isEmpty() || d.isEmpty() || d == desk; };
    for (const QVariantList &r :
         rows(QStringLiteral("select z.zuofeiriqi, z.zuofeiID, z.ID, z.huiyuanid, (select name from huiyuan h where "
                             "h.ID=z.huiyuanid), z.caozuoyuan, z.shouquanren, z.yuanyin from xiaofeizuofei z where "
                             "z.zuofeiriqi>=? and z.zuofeiriqi<=? order by z.zuofeiriqi, z.zuofeiID"),
              {from, to})) {
        Reversal v;
        v.time = r.value(0).toString();
        v.kind = QStringLiteral("作废");
        v.documentId = r.value(1).toString();
        v.originalId = r.value(2).toString();
        v.memberId = r.value(3).toString();
        v.memberName = v.memberId == QLatin1String(kWalkInId) ? QStringLiteral("散客") : r.value(4).toString();
        v.operatorName = r.value(5).toString();
        v.authorizedBy = r.value(6).toString();
        v.reason = r.value(7).toString();
        QStringList methods;
        for (const QVariantList &p : rows(QStringLiteral("select fukuanfangshi, shishoujine, shouyintai from "
                                                         "huiyuanxiaofei where ID=? order by rowid"),
                                          {v.documentId})) {
            v.cents -= cents(p.value(1));
            if (!methods.contains(p.value(0).toString()))
                methods << p.value(0).toString();
            if (v.desk.isEmpty())
                v.desk = p.value(2).toString();
        }
        v.method = methods.join(QLatin1Char('+'));
        if (deskMatches(v.desk))
            out << v;
    }
    QHash<QString, QString> authorisers;
    for (const QVariantList &r : rows(QStringLiteral("select log from log where time>=? and time<=? and log like '会员退%' order by rowid"),
                                      {from, to}))
        authorisers.insert(tagged(r.value(0).toString(), QStringLiteral("单号：")),
                           tagged(r.value(0).toString(), QStringLiteral("确认人：")));
    for (const QVariantList &r :
         rows(QStringLiteral("select a.jiaofeiriqi, a.ID, a.huiyuanid, (select name from huiyuan h where "
                             "h.ID=a.huiyuanid), a.jiaofeileixing, a.shifujine, a.kaneijine, a.fukuanleixing, "
                             "a.caozuoyuan, a.beizhu, a.shouyintai from huiyuanjiaofei a where a.jiaofeiriqi>=? and "
                             "a.jiaofeiriqi<=? and a.jiaofeileixing in ('退储值','退套餐') order by a.jiaofeiriqi, "
                             "a.ID"),
              {from, to})) {
        Reversal v;
        v.time = r.value(0).toString();
        v.documentId = r.value(1).toString();
        v.memberId = r.value(2).toString();
        v.memberName = r.value(3).toString();
        v.kind = r.value(4).toString();
        v.method = r.value(7).toString();
        // Paid back in money, or credited to the card (uses returned onto it).
        v.cents = -cents(r.value(5));
        if (v.method == QString::fromUtf8(kCardMethod) && cents(r.value(6)) > 0)
            v.cents += cents(r.value(6));
        v.operatorName = r.value(8).toString();
        v.reason = reasonOf(r.value(9).toString());
        v.desk = r.value(10).toString();
        v.authorizedBy = authorisers.value(v.documentId);
        if (deskMatches(v.desk))
            out << v;
    }
    std::sort(out.begin(), out.end(), [](const Reversal &a, const Reversal &b) {
        return a.time != b.time ? a.time < b.time : a.documentId < b.documentId;
    });
    return out;
}

QList<FollowUp> OwnerFigures::followUps(const QDate &from, const QDate &to)
{
    // Served at most as many days before the period as the longest follow-up wait.
    const int longest =
        LedgerSql::value(QStringLiteral("select coalesce(max(huifangshijian),0) from fuwuxiangmu where shifouhuifan='是'"))
            .toInt();
    QList<FollowUp> out;
    if (longest <= 0)
        return out;
    const QString start = dayStart(from.addDays(-longest)), end = dayEnd(to);
    // Who served each item of each sale: its commission rows (a line with a
    // stylist and an assistant has both).
    QHash<QString, QStringList> servedBy;
    for (const QVariantList &r :
         rows(QStringLiteral("select t.xiaofeiID, t.xiangmuID, coalesce(y.name,t.yuangongID) from tichengmingxi t left "
                             "join yuangong y on y.ID=t.yuangongID where t.beizhu='消费提成' and t.xiaofeiID in (select "
                             "ID from huiyuanxiaofei where xiaofeiriqi>=? and xiaofeiriqi<=?) order by t.rowid"),
              {start, end})) {
        QStringList &names = servedBy[r.value(0).toString() + QLatin1Char('\n') + r.value(1).toString()];
        if (!names.contains(r.value(2).toString()))
            names << r.value(2).toString();
    }
    for (const QVariantList &r : rows(
             QStringLiteral("select a.ID, max(a.huiyuanid), min(a.xiaofeiriqi), m.xiangmuID, max(m.name), "
                            "max(f.huifangshijian), max(h.name), max(h.phone), max(y.name) from huiyuanxiaofei a "
                            "join xiaofeimingxi m on m.ID=a.ID join fuwuxiangmu f on f.ID=m.xiangmuID join huiyuan h "
                            "on h.ID=a.huiyuanid left join yuangong y on y.ID=m.tichengyuangongID where "
                            // From the period's sales: the lines of the items that
                            // ask for a call reach back over every year.
                            "m.ID in (select ID from huiyuanxiaofei where xiaofeiriqi>=? and xiaofeiriqi<=?) and "
                            "f.shifouhuifan='是' and m.xiaofeileixing in ('服务项目','套餐消费') and "
                            "a.huiyuanid<>? and a.xiaofeiriqi>=? and a.xiaofeiriqi<=? and ")
                 + kCountedSale + QStringLiteral(" group by a.ID, m.xiangmuID order by a.ID, m.xiangmuID"),
             {start, end, QString::fromUtf8(kWalkInId), start, end})) {
        const QDate served = QDate::fromString(r.value(2).toString().left(10), QStringLiteral("yyyy-MM-dd"));
        const QDate due = served.addDays(r.value(5).toInt());
        if (due < from || due > to)
            continue;
        FollowUp f;
        f.dueDate = due.toString(QStringLiteral("yyyy-MM-dd"));
        f.saleId = r.value(0).toString();
        f.memberId = r.value(1).toString();
        f.servedAt = r.value(2).toString();
        f.itemId = r.value(3).toString();
        f.itemName = r.value(4).toString();
        f.name = r.value(6).toString();
        f.phone = r.value(7).toString();
        const QStringList names = servedBy.value(f.saleId + QLatin1Char('\n') + f.itemId);
        f.employee = names.isEmpty() ? r.value(8).toString() : names.join(QStringLiteral("、"));
        out << f;
    }
    std::sort(out.begin(), out.end(), [](const FollowUp &a, const FollowUp &b) {
        return a.dueDate != b.dueDate ? a.dueDate < b.dueDate : a.saleId < b.saleId;
    });
    return out;
}

bool OwnerFigures::fillStylists(const QList<StylistFigures> &figures)
{
    QList<QVariantList> values;
    for (const StylistFigures &s : figures)
        values << QVariantList{s.employeeId, s.name, centsToYuan(s.takingsCents), s.services, s.customers,
                               s.requested, share(s.requested, s.customers)};
    return refill(QStringLiteral("tempyuangongyeji"),
                  QStringLiteral("insert into tempyuangongyeji(yuangongID,name,yeji,fuwucishu,kehushu,diandanshu,"
                                 "diandanlv) values(?,?,?,?,?,?,?)"),
                  values);
}

bool OwnerFigures::fillComparison(const PeriodComparison &p)
{
    const CustomerFigures *c[] = {&p.now, &p.previous, &p.lastYear};
    const auto row = [&](const QString &what, const std::function<qint64(const CustomerFigures &)> &figure,
                         bool isMoney) {
        const auto shown = [isMoney](qint64 v) { return isMoney ? money(v) : QString::number(v); };
        return QVariantList{what,
                            shown(figure(*c[0])),
                            shown(figure(*c[1])),
                            change(figure(*c[0]), figure(*c[1])),
                            shown(figure(*c[2])),
                            change(figure(*c[0]), figure(*c[2]))};
    };
    QList<QVariantList> values{
        row(QStringLiteral("消费金额"), [](const CustomerFigures &f) { return f.takingsCents; }, true),
        row(QStringLiteral("实际收入"), [](const CustomerFigures &f) { return f.realIncomeCents; }, true),
        row(QStringLiteral("消费单数"), [](const CustomerFigures &f) { return f.bills; }, false),
        row(QStringLiteral("客单价"), [](const CustomerFigures &f) { return f.averageBillCents(); }, true),
        row(QStringLiteral("到店客户"), [](const CustomerFigures &f) { return f.customers; }, false),
        row(QStringLiteral("到店会员"), [](const CustomerFigures &f) { return f.members; }, false),
        row(QStringLiteral("新会员"), [](const CustomerFigures &f) { return f.newMembers; }, false),
        row(QStringLiteral("老会员"), [](const CustomerFigures &f) { return f.returningMembers; }, false),
        row(QStringLiteral("30天内再来"), [](const CustomerFigures &f) { return f.back30; }, false),
        row(QStringLiteral("60天内再来"), [](const CustomerFigures &f) { return f.back60; }, false),
        row(QStringLiteral("90天内再来"), [](const CustomerFigures &f) { return f.back90; }, false),
    };
    for (int i = 0; i < values.size(); ++i)
        values[i].prepend(i + 1);
    return refill(QStringLiteral("tempkehufenxi"),
                  QStringLiteral("insert into tempkehufenxi(hang,zhibiao,benqi,shangqi,huanbi,qunian,tongbi) "
                                 "values(?,?,?,?,?,?,?)"),
                  values);
}

bool OwnerFigures::fillLiability(const Liability &l, const QList<LiabilityMonth> &months)
{
    QList<QVariantList> values;
    for (const MemberLiability &m : l.members)
        values << QVariantList{m.memberId, m.name, centsToYuan(m.paidCents), centsToYuan(m.bonusCents),
                               centsToYuan(m.packageCents), m.usesLeft, centsToYuan(m.totalCents())};
    if (!refill(QStringLiteral("tempyushoukuan"),
                QStringLiteral("insert into tempyushoukuan(huiyuanID,name,chuzhi,zengsong,taocan,cishu,heji) "
                               "values(?,?,?,?,?,?,?)"),
                values))
        return false;
    values.clear();
    for (const LiabilityMonth &m : months)
        values << QVariantList{m.month, centsToYuan(m.paidCents), centsToYuan(m.bonusCents),
                               centsToYuan(m.packageCents), centsToYuan(m.totalCents()), centsToYuan(m.changeCents)};
    return refill(QStringLiteral("tempyushoukuanyue"),
                  QStringLiteral("insert into tempyushoukuanyue(yuefen,chuzhi,zengsong,taocan,heji,biandong) "
                                 "values(?,?,?,?,?,?)"),
                  values);
}

bool OwnerFigures::fillReversals(const QList<Reversal> &list)
{
    QList<QVariantList> values;
    for (const Reversal &r : list)
        values << QVariantList{r.time,         r.kind,         r.documentId, r.originalId,
                               r.memberId,     r.memberName,   centsToYuan(r.cents), r.method,
                               r.operatorName, r.authorizedBy, r.desk,       r.reason};
    return refill(QStringLiteral("tempkuantui"),
                  QStringLiteral("insert into tempkuantui(shijian,leibie,danhao,yuandanhao,huiyuanID,name,jine,"
                                 "fangshi,caozuoyuan,shouquanren,shouyintai,yuanyin) values(?,?,?,?,?,?,?,?,?,?,?,?)"),
                  values);
}

bool OwnerFigures::fillFollowUps(const QList<FollowUp> &list)
{
    QList<QVariantList> values;
    for (const FollowUp &f : list)
        values << QVariantList{f.dueDate, f.memberId, f.name, f.phone, f.itemName, f.servedAt, f.employee, f.saleId};
    return refill(QStringLiteral("temphuifang"),
                  QStringLiteral("insert into temphuifang(huifangriqi,huiyuanID,name,phone,xiangmu,fuwushijian,"
                                 "yuangong,xiaofeiID) values(?,?,?,?,?,?,?,?)"),
                  values);
}
