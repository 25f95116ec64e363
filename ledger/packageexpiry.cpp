#include "packageexpiry.h"

#include "conflictretry.h"
#include "ledgersql.h"
#include "settingsright.h"
#include "transactionscope.h"

#include <QRegularExpression>

using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

const char kExpiredUseSetting[] = "过期套餐允许使用";
const char kExpiryNoticeSetting[] = "套餐到期提醒天数";

namespace {

QString setting(const char *name)
{
    return value(QStringLiteral("select zhi from dianpushezhi where mingcheng=?"), {QString::fromUtf8(name)}).toString();
}

QString today()
{
    return LedgerSql::today();
}

QString itemName(const QString &itemId)
{
    const QString n = value(QStringLiteral("select name from fuwuxiangmu where ID=?"), {itemId}).toString();
    return n.isEmpty() ? itemId : n;
}

LedgerResult extendOnce(const QString &memberId, const QString &itemId, const QDate &until, const QString &authoriser,
                        const QString &operatorName)
{
    if (!until.isValid())
        return LedgerResult::failure(QStringLiteral("请选择新的到期日期"));
    TransactionScope tx;
    const QString before = PackageExpiry::expiry(memberId, itemId);
    if (!holdsSettingsRight(authoriser))
        refuse(QStringLiteral("套餐延期需要有系统设置权限的人授权"));
    else if (!value(QStringLiteral("select 1 from huiyuantaocan where huiyuanID=? and xiangmuID=?"), {memberId, itemId})
                  .isValid())
        refuse(QStringLiteral("该会员没有这个套餐项目"));
    if (!tx.failed()) {
        const QString date = until.toString(Qt::ISODate);
        LedgerSql::exec(QStringLiteral("update huiyuantaocan set daoqiriqi=? where huiyuanID=? and xiangmuID=?"),
                        {date, memberId, itemId});
        const QString note = QStringLiteral("套餐延期：%1 %2→%3 授权：%4")
                                 .arg(itemName(itemId), before.isEmpty() ? QStringLiteral("无") : before, date, authoriser);
        // A ledger row that changes nothing: the member's history shows the extension.
        execOne(QStringLiteral("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,"
                               "yuezengjia,yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,"
                               "caozuoyuan,beizhu) select ?,?,'套餐延期',?,0,0,0,0,coalesce((select shengyujine from huiyuan "
                               "where ID=?),0),coalesce((select ROUND(sum(shengyucishu),3) from huiyuantaocan where "
                               "huiyuanID=? and xiangmuID=?),0),?,?"),
                {memberId, LedgerSql::now(), itemId, memberId, memberId, itemId, operatorName, note},
                QStringLiteral("变动记录未写入"));
        LedgerSql::log(operatorName, QStringLiteral("套餐延期  会员号：") + memberId + QStringLiteral("  ") + note);
    }
    return LedgerSql::committed(tx, QStringLiteral("套餐延期失败"), memberId);
}

} // namespace

int PackageExpiry::daysOf(const QString &validity)
{
    static const QRegularExpression number(QStringLiteral("(\\d+)\\s*(天|日|个月|月|年)?"));
    const auto m = number.match(validity);
    if (!m.hasMatch())
        return 0;
    const int n = qMin(m.captured(1).toInt(), 36500);
    const QString unit = m.captured(2);
    if (unit == QStringLiteral("年"))
        return qMin(n * 365, 36500);
    if (unit.endsWith(QStringLiteral("月")))
        return qMin(n * 30, 36500);
    return n;
}

int PackageExpiry::daysForItem(const QString &itemId)
{
    int best = 0;
    for (const QVariantList &r :
         LedgerSql::rows(QStringLiteral("select youxiaoqi from taocanmingxi where xiangmuID=? group by youxiaoqi order by youxiaoqi"), {itemId}))
        best = qMax(best, daysOf(r.value(0).toString()));
    return best;
}

int PackageExpiry::daysForPackage(const QString &packageId)
{
    return daysOf(value(QStringLiteral("select youxiaoqi from taocanmingxi where taocanID=? order by rowid LIMIT 1"), {packageId}).toString());
}

bool PackageExpiry::extendInside(const QString &memberId, const QString &itemId, int days)
{
    if (days <= 0)
        return true;
    const QString until = QDate::fromString(today(), Qt::ISODate).addDays(days).toString(Qt::ISODate);
    // Text dates of one format compare as dates; a later date already set stays.
    return LedgerSql::exec(QStringLiteral("update huiyuantaocan set daoqiriqi=? where huiyuanID=? and xiangmuID=? "
                                          "and (daoqiriqi is null or daoqiriqi='' or daoqiriqi<?)"),
                           {until, memberId, itemId, until})
           >= 0;
}

bool PackageExpiry::checkUseInside(const QString &memberId, const QString &itemId)
{
    const QString why = whyNot(memberId, itemId);
    if (why.isEmpty())
        return true;
    refuse(why);
    return false;
}

QString PackageExpiry::whyNot(const QString &memberId, const QString &itemId)
{
    const QString until = expiry(memberId, itemId);
    if (!isPast(until) || setting(kExpiredUseSetting) == QStringLiteral("是"))
        return QString();
    return QStringLiteral("套餐项目“%1”已于 %2 到期，不能再使用；如需使用请由店长授权延期").arg(itemName(itemId), until);
}

bool PackageExpiry::isPast(const QString &expiry)
{
    return !expiry.isEmpty() && expiry < today();
}

QString PackageExpiry::expiry(const QString &memberId, const QString &itemId)
{
    return value(QStringLiteral("select max(coalesce(daoqiriqi,'')) from huiyuantaocan where huiyuanID=? and xiangmuID=?"),
                 {memberId, itemId})
        .toString();
}

LedgerResult PackageExpiry::extend(const QString &memberId, const QString &itemId, const QDate &until,
                                   const QString &authoriser, const QString &operatorName)
{
    return retryOnConflict([&] { return extendOnce(memberId, itemId, until, authoriser, operatorName); });
}

int PackageExpiry::noticeDays()
{
    const int d = setting(kExpiryNoticeSetting).toInt();
    return noticeChoices().contains(d) ? d : 30; // the reminder list knows these periods only
}

bool PackageExpiry::expiredUseAllowed()
{
    return setting(kExpiredUseSetting) == QStringLiteral("是");
}

LedgerResult PackageExpiry::setSettings(bool allowExpiredUse, int days, const QString &operatorName)
{
    if (!noticeChoices().contains(days))
        return LedgerResult::failure(QStringLiteral("提醒天数只能是 7、15、30、60 或 90 天"));
    return retryOnConflict([&] {
        TransactionScope tx;
        if (!holdsSettingsRight(operatorName))
            refuse(QStringLiteral("修改套餐有效期设置需要系统设置权限"));
        const QList<QPair<QString, QString>> kv{
            {QString::fromUtf8(kExpiredUseSetting), allowExpiredUse ? QStringLiteral("是") : QStringLiteral("否")},
            {QString::fromUtf8(kExpiryNoticeSetting), QString::number(days)}};
        for (const auto &p : kv) {
            if (tx.failed())
                break;
            LedgerSql::exec(QStringLiteral("delete from dianpushezhi where mingcheng=?"), {p.first});
            execOne(QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values(?,?)"), {p.first, p.second},
                    QStringLiteral("设置未写入"));
        }
        if (!tx.failed())
            LedgerSql::log(operatorName, QStringLiteral("修改套餐有效期设置  过期可用：%1  提醒天数：%2")
                                             .arg(kv.at(0).second, kv.at(1).second));
        return LedgerSql::committed(tx, QStringLiteral("设置保存失败"), QString());
    });
}

QList<HeldPackageItem> PackageExpiry::itemsOf(const QString &memberId)
{
    QList<HeldPackageItem> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select a.xiangmuID,coalesce(max(b.name),a.xiangmuID),ROUND(sum(a.shengyucishu),3),"
                            "max(coalesce(a.daoqiriqi,'')) from huiyuantaocan a left join fuwuxiangmu b on b.ID=a.xiangmuID "
                            "where a.huiyuanID=? group by a.xiangmuID order by a.xiangmuID"),
             {memberId})) {
        HeldPackageItem h;
        h.itemId = r.value(0).toString();
        h.itemName = r.value(1).toString();
        h.usesLeft = r.value(2).toDouble();
        h.expiry = r.value(3).toString();
        out << h;
    }
    return out;
}
