#include "accountbooks.h"

#include "amounts.h"
#include "ledgersql.h"
#include "transactionscope.h"

#include <QHash>
#include <QVariantList>
#include <functional>

using LedgerSql::exec;
using LedgerSql::execOne;
using LedgerSql::refuse;
using LedgerSql::value;

namespace {

const QString kLedgerInsert = QStringLiteral(
    "insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
    "yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) ");

bool memberExists(const QString &memberId)
{
    return value(QStringLiteral("select 1 from huiyuan where ID=?"), {memberId}).isValid();
}

const QString kLastPoints = QStringLiteral(
    "coalesce((select shengyujifen from huiyuanjifen where huiyuanid=? order by ID desc LIMIT 1),0)");
const QString kPointsInsert = QStringLiteral("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,"
                                             "jifenzengjia,jifenjianshao,shengyujifen,caozuoyuan,beizhu) ");

} // namespace

const char kBonusRefundableSetting[] = "赠送金额可退现";

bool BalanceBook::change(const QString &memberId, qint64 deltaCents, const Entry &e)
{
    if (deltaCents == 0)
        return true;
    // The guard compares whole cents, so 0.1 + 0.2 on the card pays 0.3 exactly.
    // Whether the member is there is asked only when the guard refused: a
    // round trip less per sale on a server.
    const int changed = exec(QStringLiteral("update huiyuan set shengyujine=ROUND(coalesce(shengyujine,0)+?,2) where ID=? "
                                            "and CAST(ROUND(coalesce(shengyujine,0)*100) AS BIGINT)+?>=0"),
                             {centsToYuan(deltaCents), memberId, deltaCents});
    if (changed < 0)
        return false;
    if (changed != 1) {
        refuse(memberExists(memberId) ? QStringLiteral("卡内余额不足请采用别的方式付款") : QStringLiteral("找不到该会员"));
        return false;
    }
    const qint64 up = deltaCents > 0 ? deltaCents : 0;
    const qint64 down = deltaCents < 0 ? -deltaCents : 0;
    return execOne(kLedgerInsert + QStringLiteral(
                       "select ?,?,?,'',?,?,0,0,coalesce(shengyujine,0),"
                       "coalesce((select dangshikaneicishu from huiyuanyuebiandong where huiyuanid=? "
                       "order by ID desc LIMIT 1),0),?,? from huiyuan where ID=?"),
                   {memberId, LedgerSql::now(), e.kind, centsToYuan(up), centsToYuan(down), memberId,
                    e.operatorName, e.remark, memberId},
                   QStringLiteral("余额变动记录未写入"));
}

qint64 BalanceBook::balance(const QString &memberId)
{
    return yuanToCents(value(QStringLiteral("select coalesce(shengyujine,0) from huiyuan where ID=?"), {memberId})
                           .toDouble());
}

qint64 BalanceBook::balanceAt(const QString &memberId, const QString &asOf)
{
    if (asOf.isEmpty())
        return balance(memberId);
    const QVariant last = value(QStringLiteral("select dangshikaneiyue from huiyuanyuebiandong where huiyuanid=? "
                                               "and biandongriqi<=? order by ID desc LIMIT 1"),
                                {memberId, asOf});
    if (last.isValid())
        return yuanToCents(last.toDouble());
    const QVariant registered = value(QStringLiteral("select 1 from huiyuan where ID=? and (coalesce(login_time,'')='' "
                                                     "or login_time<=?)"),
                                      {memberId, asOf});
    if (!registered.isValid())
        return 0;
    // A balance brought over from before the ledger: what its first row started from.
    const QVariant opening = value(QStringLiteral("select coalesce(dangshikaneiyue,0)-coalesce(yuezengjia,0)+"
                                                  "coalesce(yuejianshao,0) from huiyuanyuebiandong where huiyuanid=? "
                                                  "order by ID LIMIT 1"),
                                   {memberId});
    return opening.isValid() ? yuanToCents(opening.toDouble()) : balance(memberId);
}

namespace {

// Bonus a credit row gives (less what it takes back): card issues, top-ups
// and card upgrades give their 赠送; refunds and points take theirs (negative).
const QString kBonusGiven = QStringLiteral(
    "CASE WHEN jiaofeileixing in ('办卡交费','会员充值','会员卡升级') AND zengsongjine>0 THEN zengsongjine WHEN "
    "jiaofeileixing in ('退储值','积分兑换','积分兑换作废') THEN coalesce(zengsongjine,0) ELSE 0 END");

// " where …" of a member (empty: all) and a span of a date column (either end open when empty).
QString creditWhere(const QString &memberColumn, const QString &dateColumn, const QString &memberId,
                    const QString &asOf, const QString &after, QVariantList &bound, QString where = QString())
{
    const auto also = [&where, &bound](const QString &condition, const QString &v) {
        where += (where.isEmpty() ? QStringLiteral(" where ") : QStringLiteral(" and ")) + condition;
        bound << v;
    };
    if (!memberId.isEmpty())
        also(memberColumn + QStringLiteral("=?"), memberId);
    if (!asOf.isEmpty())
        also(dateColumn + QStringLiteral("<=?"), asOf);
    if (!after.isEmpty())
        also(dateColumn + QStringLiteral(">?"), after);
    return where;
}

// A balance brought along by an opening import: its bonus stays bonus, the
// rest counts as paid for.
void eachImported(const QString &memberId, const QString &asOf, const QString &after,
                  const std::function<void(const QString &, const CreditSums &)> &sums)
{
    QVariantList bound;
    const QString where = creditWhere(QStringLiteral("m.duixiang"), QStringLiteral("d.riqi"), memberId, asOf, after,
                                      bound, QStringLiteral(" where m.chuli='新增' and d.leixing='会员' and "
                                                            "d.zhuangtai='有效'"));
    LedgerSql::each(QStringLiteral("select m.duixiang, coalesce(sum(m.zengsong),0), coalesce(sum(m.yue),0) from "
                                   "qichudaorumingxi m join qichudaoru d on d.ID=m.daoruID")
                        + where + QStringLiteral(" group by m.duixiang order by m.duixiang"),
                    bound, [&sums](const QVariantList &r) {
                        sums(r.value(0).toString(),
                             CreditSums{yuanToCents(r.value(1).toDouble()), yuanToCents(r.value(2).toDouble())});
                    });
}

} // namespace

QHash<QString, CreditSums> BalanceBook::creditSums(const QString &memberId, const QString &asOf,
                                                   const QString &after)
{
    // Paid value as every credit's part that was not bonus. A card that cost
    // more than it holds gave no bonus.
    QVariantList bound;
    const QString where = creditWhere(QStringLiteral("huiyuanid"), QStringLiteral("jiaofeiriqi"), memberId, asOf, after,
                                      bound);
    QHash<QString, CreditSums> out;
    // Read a row at a time: for the whole shop it is a row per member. Grouped
    // by an expression, SQLite reads the table in its own order instead of
    // walking the member index with a lookup per row (a third of the time).
    LedgerSql::each(
        QStringLiteral("select huiyuanid||'', coalesce(sum(") + kBonusGiven
            + QStringLiteral("),0), coalesce(sum(CASE WHEN jiaofeileixing in ('办卡交费','会员充值','会员卡升级','退套餐') "
                             "AND kaneijine>0 THEN kaneijine-(CASE WHEN zengsongjine>0 THEN zengsongjine ELSE 0 END) "
                             "ELSE 0 END),0) from huiyuanjiaofei")
            + where + QStringLiteral(" group by huiyuanid||'' order by huiyuanid||''"),
        bound, [&out](const QVariantList &r) {
            out.insert(r.value(0).toString(),
                       CreditSums{yuanToCents(r.value(1).toDouble()), yuanToCents(r.value(2).toDouble())});
        });
    eachImported(memberId, asOf, after, [&out](const QString &member, const CreditSums &imported) {
        CreditSums &sums = out[member];
        sums.bonusGivenCents += imported.bonusGivenCents;
        sums.paidEverCents += imported.paidEverCents;
    });
    return out;
}

void BalanceBook::eachBonusGiven(const QString &asOf, const QString &after,
                                 const std::function<void(const QString &, qint64)> &bonus)
{
    // Only the rows that move it: a third of the credits.
    QVariantList bound;
    const QString where = creditWhere(QStringLiteral("huiyuanid"), QStringLiteral("jiaofeiriqi"), QString(), asOf,
                                      after, bound,
                                      QStringLiteral(" where zengsongjine<>0 and jiaofeileixing in ('办卡交费','会员充值',"
                                                     "'会员卡升级','退储值','积分兑换','积分兑换作废')"));
    LedgerSql::each(QStringLiteral("select huiyuanid||'', coalesce(sum(") + kBonusGiven
                        + QStringLiteral("),0) from huiyuanjiaofei") + where + QStringLiteral(" group by huiyuanid||'' order by huiyuanid||''"),
                    bound, [&bonus](const QVariantList &r) { bonus(r.value(0).toString(), yuanToCents(r.value(1).toDouble())); });
    eachImported(QString(), asOf, after, [&bonus](const QString &member, const CreditSums &imported) {
        if (imported.bonusGivenCents != 0)
            bonus(member, imported.bonusGivenCents);
    });
}

StoredValue BalanceBook::split(qint64 balanceCents, const CreditSums &sums)
{
    StoredValue v;
    v.balanceCents = balanceCents;
    const qint64 onCard = qMax<qint64>(0, balanceCents);
    v.bonusCents = qBound<qint64>(0, sums.bonusGivenCents, onCard);
    v.paidCents = onCard - v.bonusCents;
    v.paidEverCents = sums.paidEverCents;
    v.refundableCents = v.paidCents;
    return v;
}

StoredValue BalanceBook::storedValue(const QString &memberId, const QString &asOf)
{
    StoredValue v = split(balanceAt(memberId, asOf), creditSums(memberId, asOf).value(memberId));
    v.debtCents = DebtBook::memberDebt(memberId);
    v.bonusRefundable = value(QStringLiteral("select zhi from dianpushezhi where mingcheng=?"),
                              {QString::fromUtf8(kBonusRefundableSetting)})
                            .toString()
                        == QStringLiteral("是");
    const qint64 onCard = qMax<qint64>(0, v.balanceCents);
    v.refundableCents = qMax<qint64>(0, (v.bonusRefundable ? onCard : v.paidCents) - v.debtCents);
    return v;
}

qint64 BalanceBook::paidInCents(const QString &memberId)
{
    // The top-up's first payment row carries what was paid in; a stored-value
    // refund's is what was handed back, negative.
    return yuanToCents(value(QStringLiteral("select coalesce((select jiaofeijinE from huiyuan where ID=?),0)+coalesce((select "
                                            "sum(yingjiaojine) from huiyuanjiaofei where huiyuanid=? and jiaofeileixing in "
                                            "('会员充值','会员卡升级','退储值')),0)"),
                             {memberId, memberId})
                           .toDouble());
}

static bool usesLedgerRow(const QString &memberId, const QString &itemId, qint64 up, qint64 down,
                          const Entry &e)
{
    return execOne(kLedgerInsert + QStringLiteral(
                       "select ?,?,?,?,0,0,?,?,coalesce((select shengyujine from huiyuan where ID=?),0),"
                       "coalesce((select ROUND(sum(shengyucishu),3) from huiyuantaocan where huiyuanID=? "
                       "and xiangmuID=?),0),?,?"),
                   {memberId, LedgerSql::now(), e.kind, itemId, up, down, memberId, memberId, itemId,
                    e.operatorName, e.remark},
                   QStringLiteral("次数变动记录未写入"));
}

bool UsesBook::add(const QString &memberId, const QString &itemId, qint64 uses, const Entry &e)
{
    if (uses <= 0) {
        refuse(QStringLiteral("套餐次数必须大于0"));
        return false;
    }
    if (!memberExists(memberId)) {
        refuse(QStringLiteral("找不到该会员"));
        return false;
    }
    const int n = exec(QStringLiteral("update huiyuantaocan set zongcishu=coalesce(zongcishu,0)+?,"
                                      "shengyucishu=coalesce(shengyucishu,0)+? where rowid=(select min(rowid) "
                                      "from huiyuantaocan where huiyuanID=? and xiangmuID=?)"),
                       {uses, uses, memberId, itemId});
    if (n < 0)
        return false;
    if (n == 0
        && !execOne(QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,"
                                   "xiaofeicishu) values(?,?,?,?,0)"),
                    {memberId, itemId, uses, uses}, QStringLiteral("套餐次数未写入")))
        return false;
    return usesLedgerRow(memberId, itemId, uses, 0, e);
}

bool UsesBook::take(const QString &memberId, const QString &itemId, qint64 uses, const Entry &e)
{
    return takeLeft(memberId, itemId, uses, e, false);
}

bool UsesBook::returnUnused(const QString &memberId, const QString &itemId, qint64 uses, const Entry &e)
{
    if (uses <= 0) {
        refuse(QStringLiteral("退回次数必须大于0"));
        return false;
    }
    return takeLeft(memberId, itemId, uses, e, true);
}

// Uses leave the rows of the item oldest first. A sale counts them consumed; a
// return counts them as never bought.
bool UsesBook::takeLeft(const QString &memberId, const QString &itemId, qint64 uses, const Entry &e,
                        bool returned)
{
    if (uses <= 0)
        return true;
    // Inside BEGIN IMMEDIATE nobody else writes between this read and the updates;
    // each update still refuses to take more than its row holds.
    const QList<QVariantList> held = LedgerSql::rows(
        QStringLiteral("select rowid,coalesce(shengyucishu,0) from huiyuantaocan where huiyuanID=? and xiangmuID=? "
                       "order by rowid"),
        {memberId, itemId});
    double total = 0;
    for (const QVariantList &h : held)
        total += qMax(0.0, h.value(1).toDouble());
    if (total + 1e-6 < double(uses)) {
        // The basket counted the uses when the lines went in: fewer now means
        // they were spent meanwhile, not that the member must buy more.
        refuse(returned ? QStringLiteral("退回次数大于剩余次数") : QStringLiteral("该会员的套餐次数已不足"));
        return false;
    }
    const QString counter = returned ? QStringLiteral("zongcishu=coalesce(zongcishu,0)-?")
                                     : QStringLiteral("xiaofeicishu=coalesce(xiaofeicishu,0)+?");
    double remaining = double(uses);
    for (const QVariantList &h : held) {
        if (remaining <= 1e-9)
            break;
        const double take = qMin(qMax(0.0, h.value(1).toDouble()), remaining);
        if (take <= 0)
            continue;
        if (!execOne(QStringLiteral("update huiyuantaocan set ") + counter
                         + QStringLiteral(",shengyucishu=shengyucishu-? where rowid=? and shengyucishu>=?-0.000001"),
                     {take, take, h.value(0), take},
                     returned ? QStringLiteral("退回次数大于剩余次数") : QStringLiteral("该会员的套餐次数已不足")))
            return false;
        remaining -= take;
    }
    return usesLedgerRow(memberId, itemId, 0, uses, e);
}

bool UsesBook::giveBack(const QString &memberId, const QString &itemId, qint64 uses, const Entry &e)
{
    if (uses <= 0)
        return true;
    // The oldest row of the item takes them back; a member whose row is gone
    // (removed by hand) gets a new one, so the uses are not lost.
    const int n = exec(QStringLiteral("update huiyuantaocan set shengyucishu=coalesce(shengyucishu,0)+?,"
                                      "xiaofeicishu=CASE WHEN coalesce(xiaofeicishu,0)>? THEN coalesce(xiaofeicishu,0)-? ELSE 0 END "
                                      "where rowid=(select min(rowid) "
                                      "from huiyuantaocan where huiyuanID=? and xiangmuID=?)"),
                       {uses, uses, uses, memberId, itemId});
    if (n < 0)
        return false;
    if (n == 0
        && !execOne(QStringLiteral("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,"
                                   "xiaofeicishu) values(?,?,?,?,0)"),
                    {memberId, itemId, uses, uses}, QStringLiteral("套餐次数未写入")))
        return false;
    return usesLedgerRow(memberId, itemId, uses, 0, e);
}

double UsesBook::left(const QString &memberId, const QString &itemId)
{
    return value(QStringLiteral("select coalesce(sum(shengyucishu),0) from huiyuantaocan where huiyuanID=? and "
                                "xiangmuID=?"),
                 {memberId, itemId})
        .toDouble();
}

bool PointsBook::change(const QString &memberId, double delta, const Entry &e)
{
    if (memberId == QLatin1String(kWalkInId))
        return changeUnfiled(memberId, delta, e);
    const double up = delta > 0 ? delta : 0;
    const double down = delta < 0 ? -delta : 0;
    // The member's total follows the ledger: one figure for the panel, the
    // checkout and the reports.
    const int changed = exec(QStringLiteral("update huiyuan set jifen=ROUND(") + kLastPoints
                                 + QStringLiteral("+?,3) where ID=? and ") + kLastPoints + QStringLiteral("+?>=-0.0005"),
                             {memberId, delta, memberId, memberId, delta});
    if (changed < 0)
        return false;
    if (changed != 1) {
        refuse(memberExists(memberId) ? QStringLiteral("积分不足") : QStringLiteral("找不到该会员"));
        return false;
    }
    return execOne(kPointsInsert + QStringLiteral("select ?,?,?,?,?,jifen,?,? from huiyuan where ID=?"),
                   {memberId, LedgerSql::now(), e.kind, up, down, e.operatorName, e.remark, memberId},
                   QStringLiteral("积分记录未写入"));
}

// The walk-in customer, or a member deleted since: no member row to keep in step.
bool PointsBook::changeUnfiled(const QString &memberId, double delta, const Entry &e)
{
    const double up = delta > 0 ? delta : 0;
    const double down = delta < 0 ? -delta : 0;
    return execOne(kPointsInsert + QStringLiteral("select ?,?,?,?,?,ROUND(") + kLastPoints + QStringLiteral("+?,3),?,?"),
                   {memberId, LedgerSql::now(), e.kind, up, down, memberId, delta, e.operatorName, e.remark},
                   QStringLiteral("积分记录未写入"));
}

double PointsBook::points(const QString &memberId)
{
    return value(QStringLiteral("select coalesce(shengyujifen,0) from huiyuanjifen where huiyuanid=? order by ID "
                                "desc LIMIT 1"),
                 {memberId})
        .toDouble();
}

bool StockBook::move(const StockMove &m)
{
    return execOne(QStringLiteral("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,"
                                  "jine,rukutype,\"user\",beizhu) values(?,?,?,?,?,?,?,?,?,?)"),
                   {m.documentId, m.time.isEmpty() ? LedgerSql::now() : m.time, m.kind, m.productId,
                    centsToYuan(m.unitCents), m.quantity, centsToYuan(m.amountCents), m.reason, m.operatorName,
                    m.remark},
                   QStringLiteral("库存记录未写入"));
}

bool StockBook::correct(qint64 lineKey, const StockMove &m)
{
    // The kind stays in the WHERE: a correction never turns a stock-in line into a stock-out.
    const QString set = QStringLiteral("update chanpinrukumingxi set xiaoshoujiage=?,shuliang=?,jine=?,beizhu=? "
                                       "where rukuID=? and chanpinID=? and type=?");
    const QVariantList values{centsToYuan(m.unitCents), m.quantity, centsToYuan(m.amountCents), m.remark,
                              m.documentId, m.productId, m.kind};
    if (lineKey > 0)
        return execOne(set + QStringLiteral(" and rowid=?"), values + QVariantList{lineKey},
                       QStringLiteral("该明细已不在单据中，请重新打开单据"));
    return execOne(set, values, QStringLiteral("该单据中这个产品不止一行或已不在单据中，请重新打开单据"));
}

double StockBook::stock(const QString &productId)
{
    return value(QStringLiteral("select round(total(shuliang),3) from chanpinrukumingxi where chanpinID=?"),
                 {productId})
        .toDouble();
}

double StockBook::onHand(const QString &productId)
{
    return value(QStringLiteral("select coalesce(sum(shuliang),0) from chanpinkucun where chanpinID=?"), {productId})
        .toDouble();
}

bool CommissionBook::add(const QString &documentId, const QString &itemId, const QString &itemName,
                         const CommissionRow &c, const QString &remark, const QString &lineKey)
{
    return execOne(QStringLiteral("insert into tichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,"
                                  "tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) "
                                  "values(?,?,?,?,?,?,?,?,?,?)"),
                   {c.employeeId, itemId, itemName, documentId, c.orderMode, c.method, c.rate, centsToYuan(c.cents),
                    remark, lineKey},
                   QStringLiteral("提成记录未写入"));
}

bool CommissionBook::reverse(const QString &fromDocument, const QString &toDocument, const QString &remark)
{
    return exec(QStringLiteral("insert into tichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,tichengfangshi,"
                               "jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) "
                               "select yuangongID,xiangmuID,xiangmumingcheng,?,tichengfangshi,jisuanfangshi,tichengbili,"
                               "-tichengjine,?,titleID from tichengmingxi where xiaofeiID=? order by rowid"),
                {toDocument, remark, fromDocument})
           >= 0;
}

bool CommissionBook::reverseShare(const QString &fromDocument, const QString &toDocument, double share,
                                  const QString &remark)
{
    if (share <= 0)
        return true;
    // What each row still holds: the row and every share taken of it before
    // (they carry its line key and employee).
    const QList<QVariantList> held = LedgerSql::rows(
        QStringLiteral("select yuangongID,xiangmuID,xiangmumingcheng,tichengfangshi,jisuanfangshi,tichengbili,"
                       "tichengjine,titleID,(select sum(x.tichengjine) from tichengmingxi x where x.titleID=t.titleID "
                       "and x.yuangongID=t.yuangongID) from tichengmingxi t where xiaofeiID=? and tichengjine>0 "
                       "order by rowid"),
        {fromDocument});
    for (const QVariantList &h : held) {
        const qint64 whole = yuanToCents(h.value(6).toDouble());
        const qint64 left = yuanToCents(h.value(8).toDouble());
        const qint64 take = qMin(left, qRound64(double(whole) * qMin(1.0, share)));
        if (take <= 0)
            continue;
        const CommissionRow c{h.value(0).toString(), h.value(3).toString(), h.value(4).toString(),
                              h.value(5).toDouble(), -take};
        if (!add(toDocument, h.value(1).toString(), h.value(2).toString(), c, remark, h.value(7).toString()))
            return false;
    }
    return true;
}

DebtBook::Open DebtBook::open(const QString &documentId)
{
    Open o;
    for (const bool sale : {true, false}) {
        const QString table = sale ? QStringLiteral("huiyuanxiaofei") : QStringLiteral("huiyuanjiaofei");
        const QList<QVariantList> r = LedgerSql::rows(
            QStringLiteral("select count(*),max(huiyuanid),CAST(ROUND(coalesce(sum(qiankuanjine),0)*100) AS BIGINT) "
                           "from ")
                + table + QStringLiteral(" where ID=?"),
            {documentId});
        if (!r.isEmpty() && r.first().value(0).toInt() > 0) {
            o.found = true;
            o.sale = sale;
            o.memberId = r.first().value(1).toString();
            o.cents = r.first().value(2).toLongLong();
            o.documentId = documentId;
            return o;
        }
    }
    return openingDebt(documentId);
}

// A debt a member brought along, put on file by an opening import: it is owed
// under its own document (the import's number and the member), and repaid like
// any other, as takings of the day it is paid.
DebtBook::Open DebtBook::openingDebt(const QString &documentId)
{
    Open o;
    const QList<QVariantList> r = LedgerSql::rows(
        QStringLiteral("select duixiang, CAST(ROUND(coalesce(qiankuanweihuan,0)*100) AS BIGINT) from qichudaorumingxi "
                       "where qiankuandanhao=? order by rowid"),
        {documentId});
    if (r.size() == 1) {
        o.found = true;
        o.opening = true;
        o.memberId = r.first().value(0).toString();
        o.cents = r.first().value(1).toLongLong();
        o.documentId = documentId;
    }
    return o;
}

bool DebtBook::repay(const Repayment &r)
{
    const Open o = open(r.documentId);
    if (!o.found) {
        refuse(QStringLiteral("找不到该单据，本次还款未保存"));
        return false;
    }
    if (r.cents <= 0) {
        refuse(QStringLiteral("还款金额必须大于0，本次还款未保存"));
        return false;
    }
    if (o.cents <= 0) {
        refuse(QStringLiteral("该单据没有欠款，本次还款未保存"));
        return false;
    }
    if (r.cents > o.cents) {
        refuse(QStringLiteral("还款金额大于该单欠款金额，本次还款未保存"));
        return false;
    }
    if (o.opening) {
        if (!execOne(QStringLiteral("update qichudaorumingxi set qiankuanweihuan=ROUND(qiankuanweihuan-?,2) "
                                    "where qiankuandanhao=? and CAST(ROUND(qiankuanweihuan*100) AS BIGINT)>=?"),
                     {centsToYuan(r.cents), r.documentId, r.cents}, QStringLiteral("欠款已被修改，请重试")))
            return false;
    }
    const QString table = o.sale ? QStringLiteral("huiyuanxiaofei") : QStringLiteral("huiyuanjiaofei");
    const QList<QVariantList> debtRows = o.opening ? QList<QVariantList>() : LedgerSql::rows(
        QStringLiteral("select rowid,CAST(ROUND(qiankuanjine*100) AS BIGINT) from ") + table
            + QStringLiteral(" where ID=? and qiankuanjine>0 order by rowid"),
        {r.documentId});
    qint64 remaining = r.cents;
    for (const QVariantList &d : debtRows) {
        if (remaining <= 0)
            break;
        const qint64 take = qMin(remaining, d.value(1).toLongLong());
        const QString extra = o.sale ? QStringLiteral(",beizhu='会员还款'") : QString();
        if (!execOne(QStringLiteral("update ") + table + QStringLiteral(" set qiankuanjine=ROUND(qiankuanjine-?,2)")
                         + extra + QStringLiteral(" where rowid=? and CAST(ROUND(qiankuanjine*100) AS BIGINT)>=?"),
                     {centsToYuan(take), d.value(0), take}, QStringLiteral("欠款已被修改，请重试")))
            return false;
        remaining -= take;
    }
    if (remaining != 0 && !o.opening) {
        refuse(QStringLiteral("欠款已被修改，请重试"));
        return false;
    }
    // A repayment has no document of its own: after a lost COMMIT answer the
    // books tell whether it landed by one more row of this desk under the
    // debt's document.
    const QString mine = QStringLiteral(" where ID=? and shouyintai=?");
    const qint64 before =
        LedgerSql::value(QStringLiteral("select count(*) from ") + table + mine, {r.documentId, LedgerSql::desk()}).toLongLong();
    TransactionScope::setOutcomeProbe(QStringLiteral("select 1 from (select count(*) as n from ") + table + mine
                                          + QStringLiteral(") c where c.n>?"),
                                      {r.documentId, LedgerSql::desk(), before});
    const double paid = centsToYuan(r.cents);
    // The repayment is takings of its own day and method, under the debt's document.
    if (o.sale)
        return execOne(QStringLiteral("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,"
                                      "jine,xiaofeijine,yingshoujine,qiandanjine,qiankuanjine,shengyujine,suodejifen,"
                                      "caozuoyuan,beizhu,shouyintai) values(?,?,?,?,?,?,0,0,0,0,0,0,?,'会员还款',?)"),
                       {r.documentId, o.memberId, LedgerSql::now(), paid, r.method, paid, r.operatorName,
                        LedgerSql::desk()},
                       QStringLiteral("还款记录未写入"));
    return execOne(QStringLiteral("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,yingjiaojine,"
                                  "shifujine,zengsongjine,zengsongjine2,kaneijine,kaneijine2,qiankuanjine,"
                                  "fukuanleixing,yuangongName,caozuoyuan,beizhu,shouyintai) "
                                  "values(?,?,?,'会员还款',0,?,0,0,0,0,0,?,'',?,'会员还款',?)"),
                   {r.documentId, o.memberId, LedgerSql::now(), paid, r.method, r.operatorName, LedgerSql::desk()},
                   QStringLiteral("还款记录未写入"));
}

QList<DebtBook::Open> DebtBook::openOf(const QString &memberId)
{
    QList<QPair<QString, Open>> found; // (date, debt)
    for (const bool sale : {true, false}) {
        const QString table = sale ? QStringLiteral("huiyuanxiaofei") : QStringLiteral("huiyuanjiaofei");
        const QString day = sale ? QStringLiteral("xiaofeiriqi") : QStringLiteral("jiaofeiriqi");
        const QList<QVariantList> r = LedgerSql::rows(
            QStringLiteral("select ID,min(") + day
                + QStringLiteral("),CAST(ROUND(coalesce(sum(qiankuanjine),0)*100) AS BIGINT) from ") + table
                + QStringLiteral(" where huiyuanid=? and ID in (select ID from ") + table
                + QStringLiteral(" where huiyuanid=? and qiankuanjine<>0) group by ID order by ID"),
            {memberId, memberId});
        for (const QVariantList &d : r) {
            if (d.value(2).toLongLong() <= 0)
                continue;
            Open o;
            o.found = true;
            o.sale = sale;
            o.memberId = memberId;
            o.cents = d.value(2).toLongLong();
            o.documentId = d.value(0).toString();
            found << qMakePair(d.value(1).toString(), o);
        }
    }
    for (const QVariantList &d : LedgerSql::rows(
             QStringLiteral("select m.qiankuandanhao, d.riqi, CAST(ROUND(m.qiankuanweihuan*100) AS BIGINT) "
                            "from qichudaorumingxi m join qichudaoru d on d.ID=m.daoruID "
                            "where m.duixiang=? and m.qiankuanweihuan>0 order by m.qiankuandanhao"),
             {memberId})) {
        Open o;
        o.found = true;
        o.opening = true;
        o.memberId = memberId;
        o.cents = d.value(2).toLongLong();
        o.documentId = d.value(0).toString();
        if (o.cents > 0)
            found << qMakePair(d.value(1).toString(), o);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const QPair<QString, Open> &a, const QPair<QString, Open> &b) { return a.first < b.first; });
    QList<Open> out;
    for (const auto &f : found)
        out << f.second;
    return out;
}

bool DebtBook::cancelSaleDebt(const QString &saleId)
{
    return exec(QStringLiteral("update huiyuanxiaofei set qiankuanjine=0 where ID=? and qiankuanjine<>0"), {saleId}) >= 0;
}

qint64 DebtBook::memberDebt(const QString &memberId)
{
    return value(QStringLiteral("select CAST(ROUND(((select coalesce(sum(qiankuanjine),0) from huiyuanxiaofei where "
                                "huiyuanid=?)+(select coalesce(sum(qiankuanjine),0) from huiyuanjiaofei where "
                                "huiyuanid=?)+(select coalesce(sum(qiankuanweihuan),0) from qichudaorumingxi where "
                                "duixiang=? and qiankuandanhao is not null))*100) AS BIGINT)"),
                 {memberId, memberId, memberId})
        .toLongLong();
}
