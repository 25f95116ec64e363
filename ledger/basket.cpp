#include "basket.h"

#include "amounts.h"
#include "commissionrules.h"
#include "ledgersql.h"

#include <cmath>

using LedgerSql::exec;
using LedgerSql::value;

namespace {
const QString kPackageUse = QStringLiteral("套餐消费");
}

Basket::Basket(const QString &saleId) : m_saleId(saleId) {}

void Basket::open(const QString &memberId)
{
    m_memberId = memberId;
    clear();
    exec(QStringLiteral("delete from temphuiyuantaocanxiaofei"));
    if (memberId.isEmpty())
        return;
    exec(QStringLiteral("insert into temphuiyuantaocanxiaofei(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu,"
                        "bencixiaofeicishu) select huiyuanID,xiangmuID,ROUND(sum(zongcishu),3),ROUND(sum(shengyucishu),3),"
                        "ROUND(sum(xiaofeicishu),3),0 from huiyuantaocan where huiyuanID=? GROUP BY huiyuanID,xiangmuID"),
         {memberId});
}

void Basket::clear()
{
    exec(QStringLiteral("delete from tempxiaofeimingxi where ID=?"), {m_saleId});
    exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=?"), {m_saleId});
    refreshUses();
}

void Basket::close()
{
    clear();
    exec(QStringLiteral("delete from temphuiyuantaocanxiaofei"));
}

void Basket::refreshUses()
{
    exec(QStringLiteral("update temphuiyuantaocanxiaofei set bencixiaofeicishu=(select ifnull(sum(shuliang),0) from "
                        "tempxiaofeimingxi t where t.ID=? and t.xiaofeileixing=? and "
                        "t.xiangmuID=temphuiyuantaocanxiaofei.xiangmuID)"),
         {m_saleId, kPackageUse});
}

qint64 Basket::usesLeft(const QString &itemId) const
{
    // The line editor's basket knows only the sale; the member is the one whose
    // package items the checkout listed.
    const QString member = !m_memberId.isEmpty()
                               ? m_memberId
                               : value(QStringLiteral("select huiyuanID from temphuiyuantaocanxiaofei LIMIT 1")).toString();
    const double left = value(QStringLiteral("select ifnull(sum(shengyucishu),0) from huiyuantaocan where huiyuanID=? "
                                             "and xiangmuID=?"),
                              {member, itemId})
                            .toDouble();
    return qint64(std::floor(left + 1e-6));
}

qint64 Basket::usesPending(const QString &itemId) const
{
    return value(QStringLiteral("select ifnull(sum(shuliang),0) from tempxiaofeimingxi where ID=? and "
                                "xiaofeileixing=? and xiangmuID=?"),
                 {m_saleId, kPackageUse, itemId})
        .toLongLong();
}

LedgerResult Basket::addLine(const SaleLine &line)
{
    if (line.quantity <= 0)
        return LedgerResult::failure(QStringLiteral("数量必须是大于0的整数"));
    const bool use = line.type == kPackageUse;
    if (use && usesPending(line.itemId) + line.quantity > usesLeft(line.itemId))
        return LedgerResult::failure(QStringLiteral("套餐次数不够，请先充值"));
    const qint64 amount = use ? 0 : line.unitCents * line.quantity;
    if (amount > kMaxMoneyCents)
        return LedgerResult::failure(QStringLiteral("金额不能超过1000000000"));
    if (exec(QStringLiteral("insert into tempxiaofeimingxi(ID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,"
                            "shuliang,jine,jifen,fukuanfangshi,tichengyuangongID,fuwugonghao,beizhu,hangID) "
                            "values(?,?,?,?,?,?,?,?,?,'无',?,?,?,?)"),
             {m_saleId, line.type, line.itemId, line.name, centsToYuan(line.listCents),
              centsToYuan(line.unitCents), line.quantity, centsToYuan(amount), use ? 0.0 : line.points, line.employeeId,
              line.enteredBy, line.type, line.key})
        != 1)
        return LedgerResult::failure(LedgerSql::failureText(QStringLiteral("保存消费项目失败"), LedgerSql::lastError()));
    rescaleCommissions(line.key, amount);
    refreshUses();
    return LedgerResult::success(line.key);
}

bool Basket::removeLine(const QString &lineKey)
{
    const bool ok = exec(QStringLiteral("delete from tempxiaofeimingxi where ID=? and hangID=?"), {m_saleId, lineKey}) >= 0
                    && exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=? and titleID=?"),
                            {m_saleId, lineKey})
                           >= 0;
    refreshUses();
    return ok;
}

bool Basket::addCommission(const QString &lineKey, const QString &itemId, const QString &itemName,
                           const CommissionRow &row)
{
    return exec(QStringLiteral("insert into temptichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,"
                               "tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) "
                               "values(?,?,?,?,?,?,?,?,'消费提成',?)"),
                {row.employeeId, itemId, itemName, m_saleId, row.orderMode, row.method, row.rate,
                 centsToYuan(row.cents), lineKey})
           == 1;
}

bool Basket::removeCommission(const QString &lineKey, const QString &employeeId)
{
    return exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=? and titleID=? and yuangongID=?"),
                {m_saleId, lineKey, employeeId})
           >= 0;
}

void Basket::dropCommissions(const QString &lineKey)
{
    exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=? and titleID=?"), {m_saleId, lineKey});
}

void Basket::rescaleCommissions(const QString &lineKey, qint64 amountCents)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select rowid,tichengbili from temptichengmingxi where xiaofeiID=? and titleID=? and "
                       "jisuanfangshi='按比例提成'"),
        {m_saleId, lineKey});
    for (const QVariantList &r : rows) {
        const qint64 c = CommissionRules::commissionCents(QStringLiteral("按比例提成"), r.value(1).toDouble(), 0, amountCents);
        exec(QStringLiteral("update temptichengmingxi set tichengjine=? where rowid=?"), {centsToYuan(c), r.value(0)});
    }
}

QList<CommissionRow> Basket::commissions(const QString &lineKey) const
{
    QList<CommissionRow> out;
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select yuangongID,tichengfangshi,jisuanfangshi,ifnull(tichengbili,0),ifnull(tichengjine,0) "
                       "from temptichengmingxi where xiaofeiID=? and titleID=? order by rowid"),
        {m_saleId, lineKey});
    for (const QVariantList &r : rows) {
        CommissionRow c;
        c.employeeId = r.value(0).toString();
        c.orderMode = r.value(1).toString();
        c.method = r.value(2).toString();
        c.rate = r.value(3).toDouble();
        c.cents = yuanToCents(r.value(4).toDouble());
        out << c;
    }
    return out;
}

bool Basket::isEmpty() const
{
    return !value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {m_saleId}).isValid();
}

qint64 Basket::moneyCents(const QString &type) const
{
    if (type.isEmpty())
        return value(QStringLiteral("select CAST(ROUND(ifnull(sum(jine),0)*100) AS INTEGER) from tempxiaofeimingxi "
                                    "where ID=? and xiaofeileixing!=?"),
                     {m_saleId, kPackageUse})
            .toLongLong();
    return value(QStringLiteral("select CAST(ROUND(ifnull(sum(jine),0)*100) AS INTEGER) from tempxiaofeimingxi "
                                "where ID=? and xiaofeileixing=?"),
                 {m_saleId, type})
        .toLongLong();
}

qint64 Basket::usesTotal() const
{
    return value(QStringLiteral("select ifnull(sum(shuliang),0) from tempxiaofeimingxi where ID=? and xiaofeileixing=?"),
                 {m_saleId, kPackageUse})
        .toLongLong();
}

int Basket::moneyLineCount() const
{
    return value(QStringLiteral("select count(*) from tempxiaofeimingxi where ID=? and xiaofeileixing!=?"),
                 {m_saleId, kPackageUse})
        .toInt();
}

Sale Basket::toSale() const
{
    Sale sale;
    sale.basketId = m_saleId;
    sale.memberId = m_memberId;
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select hangID,xiaofeileixing,xiangmuID,name,xiaoshoujiage,youhuijiage,shuliang,jine,jifen,"
                       "tichengyuangongID,fuwugonghao from tempxiaofeimingxi where ID=? order by rowid"),
        {m_saleId});
    for (const QVariantList &r : rows) {
        SaleLine l;
        l.key = r.value(0).toString();
        l.type = r.value(1).toString();
        l.itemId = r.value(2).toString();
        l.name = r.value(3).toString();
        l.listCents = yuanToCents(r.value(4).toDouble());
        l.unitCents = yuanToCents(r.value(5).toDouble());
        l.quantity = qint64(std::llround(r.value(6).toDouble()));
        l.amountCents = yuanToCents(r.value(7).toDouble());
        l.points = r.value(8).toDouble();
        l.employeeId = r.value(9).toString();
        l.enteredBy = r.value(10).toString();
        l.commissions = commissions(l.key);
        sale.lines << l;
    }
    return sale;
}
