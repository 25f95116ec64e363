#include "handoverwriter.h"

#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "unsettledoutcomes.h"
#include "transactionscope.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

using LedgerSql::exec;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const char *kTimeFormat = "yyyy-MM-dd hh:mm:ss";

QDateTime timeOf(const QVariant &v)
{
    QString text = v.toString();
    text.replace(QLatin1Char('T'), QLatin1Char(' '));
    return QDateTime::fromString(text.left(19), QLatin1String(kTimeFormat));
}

// The end of the desk's last handover, or of the last one written before
// handovers carried a desk.
QDateTime lastHandover(const QString &desk)
{
    return timeOf(value(QStringLiteral("select max(endtime) from jiaoban where shouyintai=? or "
                                       "coalesce(shouyintai,'')=''"),
                        {desk}));
}

LedgerResult writeOnce(const Handover &h)
{
    if (h.desk.isEmpty())
        return LedgerResult::failure(QStringLiteral("不知道本机是哪个收银台，无法交班"));
    const QDateTime from = QDateTime::fromString(h.from, QLatin1String(kTimeFormat));
    const QDateTime to = QDateTime::fromString(h.to, QLatin1String(kTimeFormat));
    if (!from.isValid() || !to.isValid() || from > to)
        return LedgerResult::failure(QStringLiteral("交班的开始时间必须早于结束时间"));

    TransactionScope tx;
    // Another window of this desk may have handed over meanwhile: a shift is
    // handed over once, and never overlaps the one before it.
    const QDateTime last = lastHandover(h.desk);
    if (last.isValid() && from <= last)
        refuse(QStringLiteral("开始时间早于本收银台上次交班的结束时间（%1），请重新查询后再交班")
                   .arg(last.toString(QLatin1String(kTimeFormat))));
    const Takings t = tx.failed() ? Takings() : TakingsRead::period(h.from, h.to, h.desk);
    const QString id = tx.failed() ? QString()
                                   : LedgerSql::newDocumentId(QStringLiteral("jb"), QStringLiteral("交班"), h.operatorName);
    if (!tx.failed())
        LedgerSql::execOne(QStringLiteral("insert into jiaoban(jiaobanID,\"user\",starttime,endtime,shijishouru,xunishouru,"
                                          "shouyintai) values(?,?,?,?,?,?,?)"),
                           {id, h.operatorName, h.from, h.to, centsToYuan(t.realCents()),
                            centsToYuan(t.virtualCents()), h.desk},
                           QStringLiteral("交班记录未写入"));
    for (const MethodTakings &line : HandoverWriter::detailLines(t, h.cashCounted, h.countedCashCents)) {
        if (tx.failed())
            break;
        LedgerSql::execOne(QStringLiteral("insert into jiaobanmingxi(jiaobanID,\"user\",fukuanfangshi,jine) values(?,?,?,?)"),
                           {id, h.operatorName, line.method, centsToYuan(line.cents)},
                           QStringLiteral("交班明细未写入"));
    }
    if (!tx.failed())
        LedgerSql::log(h.operatorName, QStringLiteral("交班"));
    // Times have whole seconds and the next shift starts the second after
    // this one ends: the lock is kept until that second has begun, so that no
    // takings of this desk can still carry the end time once it is handed over.
    QElapsedTimer waited;
    waited.start();
    while (!tx.failed() && LedgerSql::now() <= h.to && waited.elapsed() < 1100)
        QThread::msleep(10);
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("交班记录保存失败"), tx.firstError()));
    return LedgerResult::success(id);
}

} // namespace

QList<MethodTakings> HandoverWriter::detailLines(const Takings &t, bool cashCounted, qint64 countedCashCents)
{
    QList<MethodTakings> out;
    out << MethodTakings{QStringLiteral("充值交费合计"), t.paymentsCents()} << t.payments;
    out << MethodTakings{QStringLiteral("消费收银合计"), t.salesCents()} << t.sales;
    out << MethodTakings{QStringLiteral("收银合计"), t.totalCents()} << t.byMethod();
    out << MethodTakings{QStringLiteral("实际收入"), t.realCents()};
    out << MethodTakings{QStringLiteral("虚拟收入"), t.virtualCents()};
    if (cashCounted) {
        out << MethodTakings{QStringLiteral("实点现金"), countedCashCents};
        out << MethodTakings{QStringLiteral("现金差额"), countedCashCents - t.methodCents(QStringLiteral("现金"))};
    }
    return out;
}

QString HandoverWriter::shiftStart(const QString &desk)
{
    const QDateTime handedOver = lastHandover(desk);
    if (handedOver.isValid())
        return handedOver.addSecs(1).toString(QLatin1String(kTimeFormat));
    const QDateTime login = timeOf(value(QStringLiteral("select max(time) from log where log=?"),
                                         {QStringLiteral("系统登录成功")}));
    const QVariant firstSale = value(QStringLiteral("select min(xiaofeiriqi) from huiyuanxiaofei where shouyintai=?"), {desk});
    const QVariant firstPayment = value(QStringLiteral("select min(jiaofeiriqi) from huiyuanjiaofei where shouyintai=?"),
                                        {desk});
    QDateTime start = login;
    for (const QDateTime &first : {timeOf(firstSale), timeOf(firstPayment)})
        if (first.isValid() && (!start.isValid() || first < start))
            start = first;
    if (!start.isValid())
        start = QDateTime(QDateTime::currentDateTime().date(), QTime(0, 0));
    return start.toString(QLatin1String(kTimeFormat));
}

// Each attempt is one transaction; on a shop server a desk that got in the way
// makes the whole handover run again, its takings read again.
LedgerResult HandoverWriter::write(const Handover &h)
{
    // A handover saved at a try whose answer was lost is not written a second
    // time (see UnsettledOutcomes); the moment it was made may differ.
    const QStringList key{QStringLiteral("handover"), h.desk, h.operatorName, h.from, QString::number(h.cashCounted),
                          QString::number(h.countedCashCents)};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("交班记录保存失败"), [&] { return writeOnce(h); });
}
