#include "heldbills.h"

#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "operatorstore.h"
#include "sqltext.h"
#include "transactionscope.h"

#include <QThread>

using LedgerSql::exec;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kPackageUse = QStringLiteral("套餐消费");
const QString kGone = QStringLiteral("该挂单已被其他收银台取走或删除");

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

// Removes the held bill; affected rows must be one, or another desk got there first.
bool take(const QString &heldId)
{
    if (!LedgerSql::execOne(QStringLiteral("delete from guadan where ID=?"), {heldId}, kGone))
        return false;
    return exec(QStringLiteral("delete from guadanmingxi where guadanID=?"), {heldId}) >= 0
           && exec(QStringLiteral("delete from guadanticheng where guadanID=?"), {heldId}) >= 0;
}

LedgerResult holdOnce(const QString &basketId, const QString &memberId, const QString &memberName,
                      const QString &operatorName)
{
    if (basketId.isEmpty())
        return LedgerResult::failure(QStringLiteral("请先添加消费项目"));
    TransactionScope tx;
    if (!value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {basketId}).isValid())
        refuse(QStringLiteral("请先添加消费项目"));
    const QString id = tx.failed() ? QString() : newHeldId();
    if (!tx.failed()) {
        const qint64 cents = value(QStringLiteral("select CAST(ROUND(ifnull(sum(jine),0)*100) AS INTEGER) from "
                                                  "tempxiaofeimingxi where ID=? and xiaofeileixing!=?"),
                                   {basketId, kPackageUse})
                                 .toLongLong();
        const double uses = value(QStringLiteral("select ifnull(sum(shuliang),0) from tempxiaofeimingxi where ID=? "
                                                 "and xiaofeileixing=?"),
                                  {basketId, kPackageUse})
                                .toDouble();
        exec(QStringLiteral("insert into guadan(ID,huiyuanID,huiyuanname,guadanriqi,jine,cishu,caozuoyuan,beizhu) "
                            "values(?,?,?,?,?,?,?,'')"),
             {id, memberId, memberName, LedgerSql::now(), centsToYuan(cents), uses, operatorName});
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
        exec(QStringLiteral("delete from tempxiaofeimingxi where ID=?"), {basketId});
        exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=?"), {basketId});
        LedgerSql::log(operatorName, QStringLiteral("挂单  会员号：") + memberId + QStringLiteral("  挂单号：") + id);
    }
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("挂单失败"), tx.firstError(),
                                                            QStringLiteral("消费项目仍在本单中")));
    return LedgerResult::success(id);
}

LedgerResult resumeOnce(const QString &heldId, const QString &basketId, const QString &operatorName)
{
    TransactionScope tx;
    // The lines are copied before the guarded delete: within the lock nobody
    // else can change them, and a bill another desk took leaves nothing copied.
    if (value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {basketId}).isValid())
        refuse(QStringLiteral("本单已有消费项目，不能再取挂单"));
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
        if (take(heldId))
            LedgerSql::log(operatorName, QStringLiteral("解挂  挂单号：") + heldId);
    }
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("取挂单失败"), tx.firstError()));
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

LedgerResult discardOnce(const QString &heldId, const QString &operatorName, const QString &authorizedBy)
{
    TransactionScope tx;
    // Inside the transaction: the right may have been taken away at another desk.
    if (!OperatorStore::mayAuthorize(authorizedBy))
        refuse(QStringLiteral("删除挂单需要有系统设置权限的操作员确认"));
    const QString logText = tx.failed() ? QString() : discardLogText(heldId, authorizedBy);
    if (!tx.failed() && take(heldId))
        LedgerSql::log(operatorName, logText);
    if (!tx.commit())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("删除挂单失败"), tx.firstError()));
    return LedgerResult::success(heldId);
}

} // namespace

// Each attempt is one transaction; on a shop server a desk that got in the way
// makes the whole operation run again from the start.
LedgerResult HeldBills::hold(const QString &basketId, const QString &memberId, const QString &memberName,
                             const QString &operatorName)
{
    return retryOnConflict([&] { return holdOnce(basketId, memberId, memberName, operatorName); });
}

LedgerResult HeldBills::resume(const QString &heldId, const QString &basketId, const QString &operatorName)
{
    return retryOnConflict([&] { return resumeOnce(heldId, basketId, operatorName); });
}

LedgerResult HeldBills::discard(const QString &heldId, const QString &operatorName, const QString &authorizedBy)
{
    return retryOnConflict([&] { return discardOnce(heldId, operatorName, authorizedBy); });
}

bool HeldBills::find(const QString &heldId, HeldBill *bill)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select ID,huiyuanID,huiyuanname,guadanriqi,jine,cishu,caozuoyuan from guadan where ID=?"),
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
    }
    return true;
}

int HeldBills::count()
{
    return value(QStringLiteral("select count(*) from guadan")).toInt();
}
