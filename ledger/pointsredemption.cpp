#include "pointsredemption.h"

#include "accountbooks.h"
#include "amounts.h"
#include "conflictretry.h"
#include "ledgersql.h"
#include "unsettledoutcomes.h"
#include "settingsright.h"
#include "textlimits.h"
#include "transactionscope.h"

using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

const char kRewardProduct[] = "产品";
const char kRewardService[] = "服务次数";
const char kRewardValue[] = "储值";

namespace {

const char kRewardColumns[] = "select ID,mingcheng,leixing,xiangmuID,shuliang,jifen,qiyong from jifenjiangli ";

Reward rewardOf(const QVariantList &r)
{
    Reward w;
    w.id = r.value(0).toString();
    w.name = r.value(1).toString();
    w.kind = r.value(2).toString();
    w.itemId = r.value(3).toString();
    w.amount = r.value(4).toLongLong();
    w.points = r.value(5).toDouble();
    w.enabled = r.value(6).toString() != QStringLiteral("否");
    return w;
}

QString what(const Reward &w, int quantity)
{
    if (w.kind == QString::fromUtf8(kRewardValue))
        return QStringLiteral("%1 储值%2元").arg(w.name, centsText(w.amount * quantity));
    return QStringLiteral("%1×%2").arg(w.name).arg(w.amount * quantity);
}

// The reward's own rows, given (sign 1) or taken back (sign -1).
void moveReward(const Reward &w, const QString &memberId, int quantity, int sign, const QString &documentId,
                const QString &operatorName)
{
    const QString kind = sign > 0 ? QStringLiteral("积分兑换") : QStringLiteral("积分兑换作废");
    const QString remark = QStringLiteral("兑换单：") + documentId;
    const qint64 amount = w.amount * quantity;
    if (w.kind == QString::fromUtf8(kRewardProduct)) {
        StockMove m;
        m.documentId = documentId;
        m.kind = sign > 0 ? QStringLiteral("出库明细") : QStringLiteral("入库明细");
        m.productId = w.itemId;
        m.quantity = -sign * double(amount);
        m.reason = kind;
        m.operatorName = operatorName;
        m.remark = remark;
        StockBook::move(m);
    } else if (w.kind == QString::fromUtf8(kRewardService)) {
        if (sign > 0)
            UsesBook::add(memberId, w.itemId, amount, {kind, operatorName, remark});
        else
            UsesBook::returnUnused(memberId, w.itemId, amount, {kind, operatorName, remark});
    } else {
        // Stored value from points is given, not paid for: a payment row of
        // nothing paid records it as bonus, as a refund must see it; a void
        // adds the negative row under the same number.
        BalanceBook::change(memberId, sign * amount, {kind, operatorName, remark});
        execOne(QStringLiteral("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,shifujine,"
                               "zengsongjine,zengsongjine2,kaneijine,kaneijine2,qiankuanjine,fukuanleixing,yuangongName,"
                               "caozuoyuan,beizhu,shouyintai) values(?,?,?,?,0,0,?,?,?,?,0,'积分',?,?,?,?)"),
                {documentId, memberId, LedgerSql::now(), kind,
                 centsToYuan(sign * amount), centsToYuan(sign * amount), centsToYuan(sign * amount),
                 centsToYuan(sign * amount), QString(), operatorName, remark, LedgerSql::desk()},
                QStringLiteral("交费记录未写入"));
    }
}

LedgerResult redeemOnce(const QString &memberId, const QString &rewardId, int quantity, const QString &op)
{
    if (quantity <= 0 || quantity > 1000)
        return LedgerResult::failure(QStringLiteral("兑换数量必须是1到1000之间的整数"));
    TransactionScope tx;
    const Reward w = PointsRedemption::reward(rewardId);
    const double points = w.points * quantity;
    if (!value(QStringLiteral("select 1 from huiyuan where ID=?"), {memberId}).isValid())
        refuse(QStringLiteral("只有会员可以兑换积分，请先选择一个会员"));
    else if (w.id.isEmpty() || !w.enabled)
        refuse(QStringLiteral("这个兑换项目已不存在或已停用"));
    else if (PointsBook::points(memberId) + 0.0005 < points)
        refuse(QStringLiteral("积分不足：需要 %1 积分，会员现有 %2 积分").arg(points).arg(PointsBook::points(memberId)));
    if (tx.failed())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("积分兑换失败"), tx.firstError()));
    const QString id = LedgerSql::newDocumentId(QStringLiteral("DH"), QStringLiteral("积分兑换"), op);
    // The guarded points change refuses a balance another desk spent meanwhile.
    PointsBook::change(memberId, -points, {QStringLiteral("积分兑换"), op, QStringLiteral("兑换单：") + id});
    if (!tx.failed())
        moveReward(w, memberId, quantity, 1, id, op);
    execOne(QStringLiteral("insert into jifenduihuan(ID,huiyuanid,riqi,jiangliID,mingcheng,leixing,xiangmuID,shuliang,"
                           "danweishuliang,jifen,zhuangtai,caozuoyuan,shouyintai) values(?,?,?,?,?,?,?,?,?,?,'已兑换',?,?)"),
            {id, memberId, LedgerSql::now(), w.id, w.name, w.kind, w.itemId, quantity, w.amount, points, op,
             LedgerSql::desk()},
            QStringLiteral("兑换记录未写入"));
    if (!tx.failed())
        LedgerSql::log(op, QStringLiteral("积分兑换  会员号：%1  %2  积分：%3").arg(memberId, what(w, quantity)).arg(points));
    return LedgerSql::committed(tx, QStringLiteral("积分兑换失败"), id);
}

LedgerResult voidOnce(const QString &id, const QString &authoriser, const QString &op)
{
    TransactionScope tx;
    const QList<QVariantList> r = LedgerSql::rows(
        QStringLiteral("select huiyuanid,mingcheng,leixing,xiangmuID,shuliang,danweishuliang,jifen,zhuangtai from jifenduihuan "
                       "where ID=?"),
        {id});
    if (r.isEmpty())
        refuse(QStringLiteral("找不到这张兑换单"));
    else if (r.first().value(7).toString() != QStringLiteral("已兑换"))
        refuse(QStringLiteral("这张兑换单已经作废过了"));
    else if (!holdsSettingsRight(authoriser))
        refuse(QStringLiteral("作废积分兑换需要有系统设置权限的人授权"));
    if (tx.failed())
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("作废积分兑换失败"), tx.firstError()));
    const QVariantList &d = r.first();
    Reward w;
    w.name = d.value(1).toString();
    w.kind = d.value(2).toString();
    w.itemId = d.value(3).toString();
    w.amount = d.value(5).toLongLong();
    const QString member = d.value(0).toString();
    const int quantity = d.value(4).toInt();
    // Only the state read stays valid: a second desk's void of the same document changes nothing.
    execOne(QStringLiteral("update jifenduihuan set zhuangtai='已作废',zuofeiren=?,zuofeishijian=? where ID=? and zhuangtai='已兑换'"),
            {authoriser, LedgerSql::now(), id}, QStringLiteral("这张兑换单已经作废过了"));
    if (!tx.failed())
        moveReward(w, member, quantity, -1, id, op);
    if (!tx.failed())
        PointsBook::change(member, d.value(6).toDouble(), {QStringLiteral("积分兑换作废"), op, QStringLiteral("兑换单：") + id});
    if (!tx.failed())
        LedgerSql::log(op, QStringLiteral("作废积分兑换  会员号：%1  兑换单：%2  授权：%3").arg(member, id, authoriser));
    return LedgerSql::committed(tx, QStringLiteral("作废积分兑换失败"), id);
}

} // namespace

QList<Reward> PointsRedemption::rewards(bool enabledOnly)
{
    QList<Reward> out;
    for (const QVariantList &r : LedgerSql::rows(QString::fromUtf8(kRewardColumns) + QStringLiteral("order by jifen, ID")))
        if (!enabledOnly || r.value(6).toString() != QStringLiteral("否"))
            out << rewardOf(r);
    return out;
}

Reward PointsRedemption::reward(const QString &id)
{
    const QList<QVariantList> r = LedgerSql::rows(QString::fromUtf8(kRewardColumns) + QStringLiteral("where ID=?"), {id});
    return r.isEmpty() ? Reward() : rewardOf(r.first());
}

LedgerResult PointsRedemption::saveReward(const Reward &w, const QString &op)
{
    if (w.id.trimmed().isEmpty() || w.name.trimmed().isEmpty())
        return LedgerResult::failure(QStringLiteral("请填写兑换项目的编号和名称"));
    const QString tooLong = TextLimits::firstRefusal({{QStringLiteral("编号"), w.id, TextLimits::kName},
                                                      {QStringLiteral("名称"), w.name, TextLimits::kName}});
    if (!tooLong.isEmpty())
        return LedgerResult::failure(tooLong + QStringLiteral("，本次操作未保存"));
    if (w.points <= 0 || w.amount <= 0)
        return LedgerResult::failure(QStringLiteral("所需积分和数量都必须大于0"));
    const bool stored = w.kind == QString::fromUtf8(kRewardValue);
    if (!stored && w.kind != QString::fromUtf8(kRewardProduct) && w.kind != QString::fromUtf8(kRewardService))
        return LedgerResult::failure(QStringLiteral("请选择兑换类型"));
    return retryOnConflict([&] {
        TransactionScope tx;
        if (!holdsSettingsRight(op))
            refuse(QStringLiteral("修改积分兑换项目需要系统设置权限"));
        else if (w.kind == QString::fromUtf8(kRewardProduct)
                 && !value(QStringLiteral("select 1 from chanpin where ID=?"), {w.itemId}).isValid())
            refuse(QStringLiteral("找不到产品“%1”").arg(w.itemId));
        else if (w.kind == QString::fromUtf8(kRewardService)
                 && !value(QStringLiteral("select 1 from fuwuxiangmu where ID=?"), {w.itemId}).isValid())
            refuse(QStringLiteral("找不到服务项目“%1”").arg(w.itemId));
        if (!tx.failed()) {
            LedgerSql::exec(QStringLiteral("delete from jifenjiangli where ID=?"), {w.id.trimmed()});
            execOne(QStringLiteral("insert into jifenjiangli(ID,mingcheng,leixing,xiangmuID,shuliang,jifen,qiyong) "
                                   "values(?,?,?,?,?,?,?)"),
                    {w.id.trimmed(), w.name.trimmed(), w.kind, stored ? QString() : w.itemId, w.amount, w.points,
                     w.enabled ? QStringLiteral("是") : QStringLiteral("否")},
                    QStringLiteral("兑换项目未写入"));
            LedgerSql::log(op, QStringLiteral("修改积分兑换项目  %1 %2").arg(w.id.trimmed(), w.name.trimmed()));
        }
        return LedgerSql::committed(tx, QStringLiteral("兑换项目保存失败"), w.id.trimmed());
    });
}

LedgerResult PointsRedemption::removeReward(const QString &id, const QString &op)
{
    return retryOnConflict([&] {
        TransactionScope tx;
        if (!holdsSettingsRight(op))
            refuse(QStringLiteral("修改积分兑换项目需要系统设置权限"));
        else
            execOne(QStringLiteral("delete from jifenjiangli where ID=?"), {id}, QStringLiteral("兑换项目已不存在"));
        if (!tx.failed())
            LedgerSql::log(op, QStringLiteral("删除积分兑换项目  ") + id);
        return LedgerSql::committed(tx, QStringLiteral("删除兑换项目失败"), id);
    });
}

LedgerResult PointsRedemption::redeem(const QString &memberId, const QString &rewardId, int quantity, const QString &op)
{
    // Points taken at a try whose answer was lost are taken once (see UnsettledOutcomes).
    const QStringList key{QStringLiteral("redeem"), memberId, rewardId, QString::number(quantity), op};
    return UnsettledOutcomes::run(key.join(QChar(0x1f)), QStringLiteral("积分兑换失败"),
                                  [&] { return redeemOnce(memberId, rewardId, quantity, op); });
}

LedgerResult PointsRedemption::voidRedemption(const QString &id, const QString &authoriser, const QString &op)
{
    return retryOnConflict([&] { return voidOnce(id, authoriser, op); });
}

QList<Redemption> PointsRedemption::ofMember(const QString &memberId)
{
    QList<Redemption> out;
    for (const QVariantList &r : LedgerSql::rows(
             QStringLiteral("select ID,riqi,jiangliID,mingcheng,leixing,shuliang,jifen,zhuangtai,caozuoyuan from jifenduihuan "
                            "where huiyuanid=? order by riqi desc, ID desc"),
             {memberId})) {
        Redemption d;
        d.id = r.value(0).toString();
        d.memberId = memberId;
        d.date = r.value(1).toString();
        d.rewardId = r.value(2).toString();
        d.rewardName = r.value(3).toString();
        d.kind = r.value(4).toString();
        d.quantity = r.value(5).toInt();
        d.points = r.value(6).toDouble();
        d.state = r.value(7).toString();
        d.operatorName = r.value(8).toString();
        out << d;
    }
    return out;
}
