#include "summarybook.h"

#include "enginedriver.h"
#include "ledgersql.h"
#include "sqllog.h"
#include "transactionscope.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QDateTime>

namespace {

const char kDayFormat[] = "yyyy-MM-dd";

QDate dayOf(const QString &text)
{
    return QDate::fromString(text.left(10), QString::fromLatin1(kDayFormat));
}

QString dayText(const QDate &d)
{
    return d.toString(QString::fromLatin1(kDayFormat));
}

// The records of [lo, hi] (inclusive texts) as (laiyuan, fangshi, jine).
QString recordsBetween(const QString &lo, const QString &hi, QVariantList *values)
{
    *values << lo << hi << lo << hi;
    return QStringLiteral("select '交费' as laiyuan, coalesce(fukuanleixing,'') as fangshi, shifujine as jine "
                          "from huiyuanjiaofei where jiaofeiriqi>=? and jiaofeiriqi<=? "
                          "union all select '消费', coalesce(fukuanfangshi,''), shishoujine "
                          "from huiyuanxiaofei where xiaofeiriqi>=? and xiaofeiriqi<=?");
}

} // namespace

bool SummaryBook::startsDay(const QString &from)
{
    const QString t = from.trimmed();
    return dayOf(t).isValid() && (t.size() == 10 || t.mid(10).trimmed() == QLatin1String("00:00:00"));
}

bool SummaryBook::endsDay(const QString &to)
{
    const QString t = to.trimmed();
    return dayOf(t).isValid() && (t.size() == 10 || t.mid(10).trimmed() == QLatin1String("23:59:59"));
}

QString SummaryBook::takingsSource(const QString &from, const QString &to, QVariantList *values)
{
    const QDate a = dayOf(from.trimmed());
    const QDate b = dayOf(to.trimmed());
    if (!a.isValid() || !b.isValid())
        return recordsBetween(from, to, values);
    // The whole days inside the period; the hours around them come from the records.
    const QDate first = startsDay(from) ? a : a.addDays(1);
    const QDate last = endsDay(to) ? b : b.addDays(-1);
    if (first > last)
        return recordsBetween(from, to, values);
    *values << dayText(first) << dayText(last);
    QString sql = QStringLiteral("select laiyuan, fangshi, jine_fen/100.0 as jine from rihuizong_shouyin "
                                 "where riqi>=? and riqi<=? and bishu<>0");
    if (first != a)
        sql += QStringLiteral(" union all ") + recordsBetween(from, dayText(a) + QStringLiteral(" 23:59:59"), values);
    if (last != b)
        sql += QStringLiteral(" union all ") + recordsBetween(dayText(b), to, values);
    return sql;
}

QString SummaryBook::dailyTakings(const QString &fromDate, const QString &toDate, QVariantList *values)
{
    QString sql = QStringLiteral("select riqi as day, fangshi as method, jine_fen/100.0 as amount "
                                 "from rihuizong_shouyin where 1=1");
    if (!fromDate.isEmpty()) {
        sql += QStringLiteral(" and riqi>=?");
        *values << fromDate.left(10);
    }
    if (!toDate.isEmpty()) {
        sql += QStringLiteral(" and riqi<=?");
        *values << toDate.left(10);
    }
    return sql;
}

bool SummaryBook::dropTriggers(const DbsetMap &map)
{
    bool ok = true;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (!it.key().startsWith(QLatin1String("zzrihuizong_")) || it.value().userType() != qMetaTypeId<CreateTriggerinfo>())
            continue;
        const CreateTriggerinfo t = it.value().value<CreateTriggerinfo>();
        // Run as it stands: the server prepares queries and writes only, and
        // refuses a DROP as a prepared statement.
        const QString sql = EngineDriver::current().dropTrigger(t.trigger, t.table);
        QSqlQuery q;
        if (q.exec(sql)) {
            qCDebug(lcSql).noquote() << sql;
        } else {
            qCWarning(lcSql).noquote() << QStringLiteral("数据库操作错误：") + sql << EngineDriver::errorText(q.lastError());
            ok = false;
        }
    }
    return ok;
}

LedgerResult SummaryBook::rebuild(const DbsetMap &map)
{
    QStringList fills;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.key().startsWith(QLatin1String("zzrihuizong_0fill")) && it.value().userType() == qMetaTypeId<CreateTableinfo>())
            fills << it.value().value<CreateTableinfo>().SqlStr;
    if (fills.isEmpty())
        return LedgerResult::failure(QStringLiteral("配置文件 dbset.xml 中没有日汇总的建立语句"));
    TransactionScope tx;
    LedgerSql::exec(QStringLiteral("delete from rihuizong_shouyin"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_xiaofei"));
    // The years first: the members' days then go without work for their triggers
    // (the days filled again fill the years through them).
    LedgerSql::exec(QStringLiteral("delete from rihuizong_huiyuan_nian"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_huiyuan"));
    // The years of the members on file, after the years their triggers follow.
    LedgerSql::exec(QStringLiteral("delete from rihuizong_nianheji"));
    // Every fill runs only into an empty summary: the per-document ones too.
    LedgerSql::exec(QStringLiteral("delete from rihuizong_danju"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_ticheng"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_yeji"));
    // The lines per day and item, and the day each document's lines count on.
    LedgerSql::exec(QStringLiteral("delete from rihuizong_xiangmu"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_danjuri"));
    // The payments per member on file, day and kind; per member and year; per year.
    LedgerSql::exec(QStringLiteral("delete from rihuizong_jiaofei"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_jiaofei_nian"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_jiaofei_nianheji"));
    // The points and balance changes per day, of the members on file.
    LedgerSql::exec(QStringLiteral("delete from rihuizong_jifen"));
    LedgerSql::exec(QStringLiteral("delete from rihuizong_biandong"));
    // Each member's running totals of the panel.
    LedgerSql::exec(QStringLiteral("delete from rihuizong_huiyuanleiji"));
    for (const QString &fill : fills)
        if (!tx.failed())
            LedgerSql::exec(fill);
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("重建日汇总失败"), tx.firstError()));
    return LedgerResult::success(QString());
}
