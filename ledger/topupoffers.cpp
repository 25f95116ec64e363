#include "topupoffers.h"

#include "accountbooks.h"
#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "settingsright.h"
#include "transactionscope.h"

using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

const char kAllCardTypes[] = "所有会员卡";

namespace {

LedgerResult setTiersOnce(const QString &cardType, const QList<TopUpTier> &tiers, const QString &operatorName)
{
    if (cardType.trimmed().isEmpty())
        return LedgerResult::failure(QStringLiteral("请选择会员卡类型"));
    QList<qint64> seen;
    for (const TopUpTier &t : tiers) {
        if (t.thresholdCents <= 0)
            return LedgerResult::failure(QStringLiteral("充值金额必须大于0"));
        if (t.bonusCents < 0 || t.points < 0)
            return LedgerResult::failure(QStringLiteral("赠送金额和赠送积分不能为负数"));
        if (seen.contains(t.thresholdCents))
            return LedgerResult::failure(QStringLiteral("充值金额 %1 重复了").arg(centsShown(t.thresholdCents)));
        seen << t.thresholdCents;
    }
    TransactionScope tx;
    if (!holdsSettingsRight(operatorName))
        refuse(QStringLiteral("修改充值规则需要系统设置权限"));
    else if (cardType != QString::fromUtf8(kAllCardTypes)
             && !value(QStringLiteral("select 1 from huiyuanka where name=?"), {cardType}).isValid())
        refuse(QStringLiteral("请选择一个有效的会员卡类型"));
    if (!tx.failed()) {
        LedgerSql::exec(QStringLiteral("delete from chongzhiguize where kaming=?"), {cardType});
        for (const TopUpTier &t : tiers)
            execOne(QStringLiteral("insert into chongzhiguize(kaming,chongzhijine,zengsongjine,zengsongjifen,caozuoyuan,"
                                   "xiugaishijian) values(?,?,?,?,?,?)"),
                    {cardType, centsToYuan(t.thresholdCents), centsToYuan(t.bonusCents), t.points, operatorName,
                     LedgerSql::now()},
                    QStringLiteral("充值规则未写入"));
        QStringList words;
        for (const TopUpTier &t : tiers)
            words << QStringLiteral("充%1送%2").arg(centsText(t.thresholdCents), centsText(t.bonusCents));
        LedgerSql::log(operatorName, QStringLiteral("修改充值规则  会员卡：") + cardType + QStringLiteral("  ")
                                         + (words.isEmpty() ? QStringLiteral("无") : words.join(QLatin1Char(' '))));
    }
    return LedgerSql::committed(tx, QStringLiteral("充值规则保存失败"), cardType);
}

} // namespace

QString TopUpOffer::text() const
{
    if (!found)
        return QString();
    QString s = QStringLiteral("充%1送%2").arg(centsText(tier.thresholdCents), centsText(tier.bonusCents));
    if (tier.points > 0)
        s += QStringLiteral("，送积分%1").arg(tier.points);
    return s;
}

QList<TopUpTier> TopUpOffers::tiers(const QString &cardType)
{
    QList<TopUpTier> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select chongzhijine,coalesce(zengsongjine,0),coalesce(zengsongjifen,0) from chongzhiguize "
                            "where kaming=? order by chongzhijine"),
             {cardType})) {
        TopUpTier t;
        t.thresholdCents = yuanToCents(r.value(0).toDouble());
        t.bonusCents = yuanToCents(r.value(1).toDouble());
        t.points = r.value(2).toDouble();
        out << t;
    }
    return out;
}

LedgerResult TopUpOffers::setTiers(const QString &cardType, const QList<TopUpTier> &tiers, const QString &operatorName)
{
    return retryOnConflict([&] { return setTiersOnce(cardType, tiers, operatorName); });
}

TopUpOffer TopUpOffers::offerFor(const QString &memberId, qint64 paidInCents)
{
    TopUpOffer o;
    const QString type = value(QStringLiteral("select type from huiyuan where ID=?"), {memberId}).toString();
    QList<TopUpTier> all = tiers(type);
    o.cardType = type;
    if (all.isEmpty()) {
        all = tiers(QString::fromUtf8(kAllCardTypes));
        o.cardType = QString::fromUtf8(kAllCardTypes);
    }
    o.ruled = !all.isEmpty();
    for (const TopUpTier &t : all)
        if (paidInCents >= t.thresholdCents) {
            o.found = true;
            o.tier = t;
        }
    return o;
}

bool TopUpOffers::applyInside(const TopUp &t, const QString &documentId)
{
    const TopUpOffer o = offerFor(t.memberId, t.paidInCents);
    if (!o.ruled)
        return true;
    if (t.bonusCents > o.tier.bonusCents && !holdsSettingsRight(t.operatorName)) {
        refuse(o.found ? QStringLiteral("按充值规则（%1）最多赠送 %2 元，赠送更多需要系统设置权限")
                             .arg(o.text(), centsShown(o.tier.bonusCents))
                       : QStringLiteral("充值金额未达到充值规则，不能赠送；赠送需要系统设置权限"));
        return false;
    }
    if (o.found && o.tier.points > 0)
        return PointsBook::change(t.memberId, o.tier.points,
                                  {QStringLiteral("充值赠送积分"), t.operatorName, QStringLiteral("充值单：") + documentId});
    return true;
}

QStringList TopUpOffers::cardTypesOffered()
{
    QStringList out{QString::fromUtf8(kAllCardTypes)};
    for (const QVariantList &r : LedgerSql::rows(QStringLiteral("select name from huiyuanka order by ID")))
        out << r.value(0).toString();
    return out;
}
