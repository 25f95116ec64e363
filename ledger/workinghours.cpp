#include "workinghours.h"

#include "conflictretry.h"
#include "ledgersql.h"
#include "operatorstore.h"
#include "transactionscope.h"

#include <QHash>
#include <QRegularExpression>

using LedgerSql::exec;
using LedgerSql::refuse;

namespace {

const QString kOpensKey = QStringLiteral("营业开始");
const QString kClosesKey = QStringLiteral("营业结束");
const QString kDayOff = QStringLiteral("休息");
const QString kChangedDay = QStringLiteral("调班");


LedgerResult finish(TransactionScope &tx, const QString &what)
{
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(what, tx.firstError()));
    return LedgerResult::success(QString());
}

QString hoursRefusal(const QString &start, const QString &end)
{
    if (!WorkingHours::isTime(start) || !WorkingHours::isTime(end))
        return QStringLiteral("时间格式应为 时:分，例如 09:30");
    if (start >= end)
        return QStringLiteral("结束时间必须晚于开始时间");
    return QString();
}

QString hhmm(const QDateTime &t)
{
    return t.toString(QStringLiteral("HH:mm"));
}

// One employee's day: a changed day (休息, 调班) first, else the weekly hours
// of that weekday, else the shop's hours when the employee has no weekly
// hours at all.
struct DayRule
{
    bool hasWeekly = false;
    QVariant weekStart, weekEnd; // null: no weekly hours that weekday
    QString kind, changeStart, changeEnd;
};

void resolve(WorkingDay &d, const DayRule &r, const ShopHours &hours)
{
    if (r.kind == kDayOff) {
        d.note = kDayOff;
    } else if (r.kind == kChangedDay) {
        d.note = kChangedDay;
        d.working = true;
        d.start = r.changeStart;
        d.end = r.changeEnd;
    } else if (!r.hasWeekly) {
        d.working = true;
        d.start = hours.opens;
        d.end = hours.closes;
    } else if (!r.weekStart.isNull()) {
        d.working = true;
        d.start = r.weekStart.toString();
        d.end = r.weekEnd.toString();
    }
}

} // namespace

bool WorkingHours::isTime(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^([01][0-9]|2[0-3]):[0-5][0-9]$|^24:00$"));
    return re.match(text).hasMatch();
}

ShopHours WorkingHours::shopHours()
{
    ShopHours h;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select mingcheng,zhi from dianpushezhi where mingcheng in (?,?) order by mingcheng"), {kOpensKey, kClosesKey})) {
        const QString v = r.value(1).toString();
        if (!isTime(v))
            continue;
        (r.value(0).toString() == kOpensKey ? h.opens : h.closes) = v;
    }
    return h;
}

QString WorkingHours::shopOpens()
{
    return shopHours().opens;
}

QString WorkingHours::shopCloses()
{
    return shopHours().closes;
}

LedgerResult WorkingHours::setShopHours(const QString &opens, const QString &closes, const QString &operatorName)
{
    const QString why = hoursRefusal(opens, closes);
    if (!why.isEmpty())
        return LedgerResult::failure(why);
    return retryOnConflict([&] {
        TransactionScope tx;
        // The hours are the owner's, whichever window or key reached here.
        OperatorStore::requireSettingsRight(operatorName);
        for (const auto &kv : {qMakePair(kOpensKey, opens), qMakePair(kClosesKey, closes)}) {
            exec(QStringLiteral("delete from dianpushezhi where mingcheng=?"), {kv.first});
            exec(QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values(?,?)"), {kv.first, kv.second});
        }
        LedgerSql::log(operatorName, QStringLiteral("修改营业时间  %1–%2").arg(opens, closes));
        return finish(tx, QStringLiteral("保存营业时间失败"));
    });
}

QList<WeeklyHours> WorkingHours::weekly(const QString &employeeId)
{
    QList<WeeklyHours> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select xingqi,kaishi,jieshu from yuangongpaiban where yuangongID=? order by xingqi"),
             {employeeId}))
        out << WeeklyHours{r.value(0).toInt(), r.value(1).toString(), r.value(2).toString()};
    return out;
}

LedgerResult WorkingHours::setWeekly(const QString &employeeId, const QList<WeeklyHours> &hours,
                                     const QString &operatorName)
{
    for (const WeeklyHours &h : hours) {
        if (h.weekday < 1 || h.weekday > 7)
            return LedgerResult::failure(QStringLiteral("星期必须是1到7"));
        const QString why = hoursRefusal(h.start, h.end);
        if (!why.isEmpty())
            return LedgerResult::failure(why);
    }
    return retryOnConflict([&] {
        TransactionScope tx;
        OperatorStore::requireSettingsRight(operatorName);
        if (!tx.failed() && !LedgerSql::value(QStringLiteral("select 1 from yuangong where ID=?"), {employeeId}).isValid())
            refuse(QStringLiteral("找不到该员工"));
        exec(QStringLiteral("delete from yuangongpaiban where yuangongID=?"), {employeeId});
        for (const WeeklyHours &h : hours)
            if (!tx.failed())
                exec(QStringLiteral("insert into yuangongpaiban(yuangongID,xingqi,kaishi,jieshu) values(?,?,?,?)"),
                     {employeeId, h.weekday, h.start, h.end});
        if (!tx.failed())
            LedgerSql::log(operatorName, QStringLiteral("修改员工工作时间  员工编号：") + employeeId);
        return finish(tx, QStringLiteral("保存工作时间失败"));
    });
}

LedgerResult WorkingHours::setDay(const QString &employeeId, const QDate &date, const QString &kind,
                                  const QString &start, const QString &end, const QString &operatorName)
{
    if (!date.isValid())
        return LedgerResult::failure(QStringLiteral("日期不对"));
    if (!kind.isEmpty() && kind != kDayOff && kind != kChangedDay)
        return LedgerResult::failure(QStringLiteral("只能设为休息或调班"));
    if (kind == kChangedDay) {
        const QString why = hoursRefusal(start, end);
        if (!why.isEmpty())
            return LedgerResult::failure(why);
    }
    const QString day = date.toString(Qt::ISODate);
    return retryOnConflict([&] {
        TransactionScope tx;
        OperatorStore::requireSettingsRight(operatorName);
        if (!tx.failed() && !LedgerSql::value(QStringLiteral("select 1 from yuangong where ID=?"), {employeeId}).isValid())
            refuse(QStringLiteral("找不到该员工"));
        exec(QStringLiteral("delete from yuangongtiaoban where yuangongID=? and riqi=?"), {employeeId, day});
        if (!kind.isEmpty() && !tx.failed())
            exec(QStringLiteral("insert into yuangongtiaoban(yuangongID,riqi,leixing,kaishi,jieshu) values(?,?,?,?,?)"),
                 {employeeId, day, kind, kind == kDayOff ? QString() : start, kind == kDayOff ? QString() : end});
        if (!tx.failed())
            LedgerSql::log(operatorName, QStringLiteral("员工%1  员工编号：%2  日期：%3")
                                             .arg(kind.isEmpty() ? QStringLiteral("恢复正常上班") : kind, employeeId, day));
        return finish(tx, QStringLiteral("保存排班失败"));
    });
}

QList<WorkingDay> WorkingHours::day(const QDate &date)
{
    return day(date, shopHours());
}

QList<WorkingDay> WorkingHours::day(const QDate &date, const ShopHours &hours)
{
    const int weekday = date.dayOfWeek();
    // One read whatever the number of stylists: the staff with their weekly
    // hours of that weekday (and whether they have weekly hours at all) and
    // the changed day.
    QList<WorkingDay> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select y.ID,y.name,y.type,"
                            "(select count(*) from yuangongpaiban p where p.yuangongID=y.ID),"
                            "(select p.kaishi from yuangongpaiban p where p.yuangongID=y.ID and p.xingqi=?),"
                            "(select p.jieshu from yuangongpaiban p where p.yuangongID=y.ID and p.xingqi=?),"
                            "t.leixing,t.kaishi,t.jieshu "
                            "from yuangong y left join yuangongtiaoban t on t.yuangongID=y.ID and t.riqi=? "
                            "where coalesce(y.jinyong,'否')<>'是' order by y.ID"),
             {weekday, weekday, date.toString(Qt::ISODate)})) {
        WorkingDay d;
        d.employeeId = r.value(0).toString();
        d.name = r.value(1).toString();
        d.type = r.value(2).toString();
        resolve(d, {r.value(3).toInt() > 0, r.value(4), r.value(5), r.value(6).toString(), r.value(7).toString(),
                    r.value(8).toString()},
                hours);
        out << d;
    }
    return out;
}

QList<QList<WorkingDay>> WorkingHours::days(const QDate &from, int count, const ShopHours &hours,
                                            const QString &employeeId)
{
    const QString one = employeeId.isEmpty() ? QString() : QStringLiteral(" and yuangongID=?");
    const QVariantList who = employeeId.isEmpty() ? QVariantList() : QVariantList{employeeId};
    const QList<QVariantList> staff = LedgerSql::rows(
        QStringLiteral("select ID,name,type from yuangong where coalesce(jinyong,'否')<>'是'")
            + (employeeId.isEmpty() ? QString() : QStringLiteral(" and ID=?")) + QStringLiteral(" order by ID"),
        who);
    // employee → weekday → start, end
    QHash<QString, QHash<int, QPair<QString, QString>>> weekly;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select yuangongID,xingqi,kaishi,jieshu from yuangongpaiban where 1=1") + one
                 + QStringLiteral(" order by yuangongID,xingqi"),
             who)) {
        auto &week = weekly[r.value(0).toString()];
        if (!week.contains(r.value(1).toInt()))
            week.insert(r.value(1).toInt(), {r.value(2).toString(), r.value(3).toString()});
    }
    // employee + date → kind, start, end
    QHash<QString, QStringList> changed;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select yuangongID,riqi,leixing,kaishi,jieshu from yuangongtiaoban where riqi>=? and riqi<?")
                 + one + QStringLiteral(" order by riqi, yuangongID"),
             QVariantList{from.toString(Qt::ISODate), from.addDays(count).toString(Qt::ISODate)} + who))
        changed.insert(r.value(0).toString() + QLatin1Char('|') + r.value(1).toString(),
                       {r.value(2).toString(), r.value(3).toString(), r.value(4).toString()});

    QList<QList<WorkingDay>> out;
    for (int i = 0; i < count; ++i) {
        const QDate date = from.addDays(i);
        QList<WorkingDay> day;
        for (const QVariantList &s : staff) {
            WorkingDay d;
            d.employeeId = s.value(0).toString();
            d.name = s.value(1).toString();
            d.type = s.value(2).toString();
            const auto week = weekly.constFind(d.employeeId);
            DayRule rule;
            rule.hasWeekly = week != weekly.cend();
            if (rule.hasWeekly && week->contains(date.dayOfWeek())) {
                rule.weekStart = week->value(date.dayOfWeek()).first;
                rule.weekEnd = week->value(date.dayOfWeek()).second;
            }
            const QStringList change = changed.value(d.employeeId + QLatin1Char('|') + date.toString(Qt::ISODate));
            rule.kind = change.value(0);
            rule.changeStart = change.value(1);
            rule.changeEnd = change.value(2);
            resolve(d, rule, hours);
            day << d;
        }
        out << day;
    }
    return out;
}

WorkingDay WorkingHours::dayOf(const QString &employeeId, const QDate &date)
{
    const QList<WorkingDay> one = days(date, 1, shopHours(), employeeId).value(0);
    if (!one.isEmpty())
        return one.first();
    WorkingDay none;
    none.employeeId = employeeId;
    return none;
}

QString WorkingHours::outsideHours(const BookingItem &item)
{
    const QDate date = item.start.date();
    const QString from = hhmm(item.start);
    // An item running to midnight ends at 24:00, not at 00:00.
    const QString to = item.end().date() > date ? QStringLiteral("24:00") : hhmm(item.end());
    const ShopHours hours = shopHours();
    const QList<WorkingDay> one = days(date, 1, hours, item.employeeId).value(0);
    const WorkingDay d = one.value(0);
    const QString who = d.name.isEmpty() ? item.employeeId : d.name;
    if (from < hours.opens || to > hours.closes)
        return QStringLiteral("%1–%2 不在营业时间 %3–%4 内").arg(from, to, hours.opens, hours.closes);
    if (!d.working)
        return QStringLiteral("%1 %2 %3").arg(who, date.toString(Qt::ISODate),
                                             d.note == kDayOff ? QStringLiteral("休息") : QStringLiteral("不上班"));
    if (from < d.start || to > d.end)
        return QStringLiteral("%1–%2 不在 %3 的工作时间 %4–%5 内").arg(from, to, who, d.start, d.end);
    return QString();
}
