#include "basket.h"

#include "amounts.h"
#include "commissionrules.h"
#include "ledgersql.h"
#include "preparedqueries.h"
#include "shopconnection.h"
#include "enginedriver.h"

#include <QHash>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

using LedgerSql::exec;
using LedgerSql::value;

namespace {
const QString kPackageUse = QStringLiteral("套餐消费");
}

// What the program keeps of each open basket, so that a lost connection to a
// shop server (which takes the TEMP tables with it) loses nothing: after every
// change the basket's rows are copied here, and after a reconnect they are
// written back into the new connection's working tables.
namespace {
struct Rows
{
    QStringList columns;
    QList<QVariantList> values;
};
struct Kept
{
    int users = 0; // Basket objects of this sale (the checkout and its line editor)
    QString memberId;
    Rows lines;
    Rows commissions;
};
QMap<QString, Kept> &kept()
{
    static QMap<QString, Kept> all;
    return all;
}

Rows readRows(const QString &sql, const QString &saleId, bool *ok)
{
    Rows r;
    *ok = false;
    // A closed connection is not opened again here, without its working tables
    // (the kept statements never open one).
    QSqlQuery q;
    if (!PreparedQueries::prepare(q, sql))
        return r;
    q.addBindValue(saleId);
    if (!q.exec()) {
        // The read that found the session gone says so, before the statement
        // is let go (it has nothing left to free on that session).
        const QString error = EngineDriver::errorText(q.lastError());
        if (EngineDriver::isConnectionLost(error))
            ShopLink::noteLost(error);
        q.finish();
        PreparedQueries::forget(sql);
        return r;
    }
    *ok = true;
    // The server's own row numbers are given anew on the new connection.
    const QSqlRecord rec = q.record();
    QList<int> kept;
    for (int i = 0; i < rec.count(); ++i) {
        if (rec.fieldName(i).compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0)
            continue;
        kept << i;
        r.columns << rec.fieldName(i);
    }
    while (q.next()) {
        QVariantList row;
        for (int i : kept)
            row << q.value(i);
        r.values << row;
    }
    q.finish();
    return r;
}

void writeRows(const QString &table, const Rows &rows)
{
    QStringList marks;
    for (int i = 0; i < rows.columns.size(); ++i)
        marks << QStringLiteral("?");
    for (const QVariantList &row : rows.values)
        exec(QStringLiteral("insert into ") + table + QLatin1Char('(') + rows.columns.join(QLatin1Char(','))
                 + QStringLiteral(") values(") + marks.join(QLatin1Char(',')) + QLatin1Char(')'),
             row);
}

void listPackageItems(const QString &memberId)
{
    exec(QStringLiteral("delete from temphuiyuantaocanxiaofei"));
    if (memberId.isEmpty())
        return;
    exec(QStringLiteral("insert into temphuiyuantaocanxiaofei(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu,"
                        "bencixiaofeicishu) select huiyuanID,xiangmuID,ROUND(sum(zongcishu),3),ROUND(sum(shengyucishu),3),"
                        "ROUND(sum(xiaofeicishu),3),0 from huiyuantaocan where huiyuanID=? GROUP BY huiyuanID,xiangmuID ORDER BY huiyuanID,xiangmuID"),
         {memberId});
}

// Whether the program's copy of the basket holds the line.
bool keptLine(const QString &saleId, const QString &lineKey)
{
    const Rows &rows = kept()[saleId].lines;
    int column = -1;
    for (int i = 0; i < rows.columns.size(); ++i)
        if (rows.columns.at(i).compare(QLatin1String("hangID"), Qt::CaseInsensitive) == 0)
            column = i;
    for (const QVariantList &row : rows.values)
        if (column >= 0 && row.value(column).toString() == lineKey)
            return true;
    return false;
}

void refillAfterReconnect()
{
    QString member;
    for (auto it = kept().cbegin(); it != kept().cend(); ++it) {
        // A sale whose COMMIT landed before the connection broke took its
        // basket with it: nothing to give back.
        if (value(LedgerSql::documentProbe(), {it.key(), LedgerSql::desk()}).isValid())
            continue;
        writeRows(QStringLiteral("tempxiaofeimingxi"), it->lines);
        writeRows(QStringLiteral("temptichengmingxi"), it->commissions);
        if (!it->memberId.isEmpty())
            member = it->memberId;
    }
    if (!member.isEmpty()) {
        listPackageItems(member);
        for (auto it = kept().cbegin(); it != kept().cend(); ++it)
            Basket(it.key()).recountUses();
    }
}
} // namespace

Basket::Basket(const QString &saleId) : m_saleId(saleId)
{
    static const int listener = ShopLink::addReopenListener(&refillAfterReconnect);
    Q_UNUSED(listener)
    hold();
}

Basket::Basket(const Basket &other) : m_saleId(other.m_saleId), m_memberId(other.m_memberId)
{
    hold();
}

Basket &Basket::operator=(const Basket &other)
{
    if (this != &other) {
        release();
        m_saleId = other.m_saleId;
        m_memberId = other.m_memberId;
        hold();
    }
    return *this;
}

Basket::~Basket()
{
    release();
}

void Basket::hold()
{
    if (!m_saleId.isEmpty())
        ++kept()[m_saleId].users;
}

void Basket::release()
{
    auto it = kept().find(m_saleId);
    if (it != kept().end() && --it->users <= 0)
        kept().erase(it);
}

bool Basket::keep()
{
    if (m_saleId.isEmpty())
        return true;
    Kept &k = kept()[m_saleId];
    if (!m_memberId.isEmpty())
        k.memberId = m_memberId;
    // A copy that could not be read (the connection died just now) leaves the
    // last good one in place: an empty read is not an empty basket.
    bool linesRead = false, commissionsRead = false;
    Rows lines = readRows(QStringLiteral("select * from tempxiaofeimingxi where ID=? order by rowid"), m_saleId, &linesRead);
    Rows commissions = readRows(QStringLiteral("select * from temptichengmingxi where xiaofeiID=? order by rowid"), m_saleId,
                                &commissionsRead);
    if (!linesRead || !commissionsRead)
        return false;
    k.lines = lines;
    k.commissions = commissions;
    return true;
}

void Basket::open(const QString &memberId)
{
    m_memberId = memberId;
    kept()[m_saleId].memberId = memberId;
    // The package list is listed anew with no uses in the basket: an emptied
    // basket has none to count.
    exec(QStringLiteral("delete from tempxiaofeimingxi where ID=?"), {m_saleId});
    exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=?"), {m_saleId});
    listPackageItems(memberId);
    keep();
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
    exec(QStringLiteral("update temphuiyuantaocanxiaofei set bencixiaofeicishu=(select coalesce(sum(shuliang),0) from "
                        "tempxiaofeimingxi t where t.ID=? and t.xiaofeileixing=? and "
                        "t.xiangmuID=temphuiyuantaocanxiaofei.xiangmuID)"),
         {m_saleId, kPackageUse});
    keep();
}

qint64 Basket::usesLeft(const QString &itemId) const
{
    // The line editor's basket knows only the sale; the member is the one whose
    // package items the checkout listed.
    const QString member = !m_memberId.isEmpty()
                               ? m_memberId
                               : value(QStringLiteral("select huiyuanID from temphuiyuantaocanxiaofei order by rowid LIMIT 1")).toString();
    const double left = value(QStringLiteral("select coalesce(sum(shengyucishu),0) from huiyuantaocan where huiyuanID=? "
                                             "and xiangmuID=?"),
                              {member, itemId})
                            .toDouble();
    return qint64(std::floor(left + 1e-6));
}

qint64 Basket::usesPending(const QString &itemId) const
{
    return value(QStringLiteral("select coalesce(sum(shuliang),0) from tempxiaofeimingxi where ID=? and "
                                "xiaofeileixing=? and xiangmuID=?"),
                 {m_saleId, kPackageUse, itemId})
        .toLongLong();
}

double Basket::quantityOf(const QString &type, const QString &itemId) const
{
    return value(QStringLiteral("select coalesce(sum(shuliang),0) from tempxiaofeimingxi where ID=? and "
                                "xiaofeileixing=? and xiangmuID=?"),
                 {m_saleId, type, itemId})
        .toDouble();
}

LedgerResult Basket::addLine(const SaleLine &line)
{
    if (line.quantity <= 0)
        return LedgerResult::failure(QStringLiteral("数量必须是大于0的整数"));
    const bool use = line.type == kPackageUse;
    if (use && usesPending(line.itemId) + line.quantity > usesLeft(line.itemId))
        return LedgerResult::failure(QStringLiteral("该会员的套餐次数已不足"));
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
    // The line went into a working table that died before the program kept a
    // copy: after the reconnect it is not in the basket, so it was not added.
    if (!keptLine(m_saleId, line.key))
        return LedgerResult::failure(
            LedgerSql::failureText(QStringLiteral("保存消费项目失败"), QStringLiteral("no connection to the server")));
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
    const bool ok = exec(QStringLiteral("insert into temptichengmingxi(yuangongID,xiangmuID,xiangmumingcheng,xiaofeiID,"
                                        "tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu,titleID) "
                                        "values(?,?,?,?,?,?,?,?,'消费提成',?)"),
                         {row.employeeId, itemId, itemName, m_saleId, row.orderMode, row.method, row.rate,
                          centsToYuan(row.cents), lineKey})
                    == 1;
    keep();
    return ok;
}

bool Basket::removeCommission(const QString &lineKey, const QString &employeeId)
{
    const bool ok = exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=? and titleID=? and yuangongID=?"),
                         {m_saleId, lineKey, employeeId})
                    >= 0;
    keep();
    return ok;
}

void Basket::dropCommissions(const QString &lineKey)
{
    exec(QStringLiteral("delete from temptichengmingxi where xiaofeiID=? and titleID=?"), {m_saleId, lineKey});
    keep();
}

void Basket::rescaleCommissions(const QString &lineKey, qint64 amountCents)
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select rowid,tichengbili from temptichengmingxi where xiaofeiID=? and titleID=? and "
                       "jisuanfangshi='按比例提成' order by rowid"),
        {m_saleId, lineKey});
    for (const QVariantList &r : rows) {
        const qint64 c = CommissionRules::commissionCents(QStringLiteral("按比例提成"), r.value(1).toDouble(), 0, amountCents);
        exec(QStringLiteral("update temptichengmingxi set tichengjine=? where rowid=?"), {centsToYuan(c), r.value(0)});
    }
    keep();
}

namespace {
// A commission row of the basket, its columns from the first one given on.
CommissionRow commissionRow(const QVariantList &r, int first)
{
    CommissionRow c;
    c.employeeId = r.value(first).toString();
    c.orderMode = r.value(first + 1).toString();
    c.method = r.value(first + 2).toString();
    c.rate = r.value(first + 3).toDouble();
    c.cents = yuanToCents(r.value(first + 4).toDouble());
    return c;
}
} // namespace

QList<CommissionRow> Basket::commissions(const QString &lineKey) const
{
    QList<CommissionRow> out;
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select yuangongID,tichengfangshi,jisuanfangshi,coalesce(tichengbili,0),coalesce(tichengjine,0) "
                       "from temptichengmingxi where xiaofeiID=? and titleID=? order by rowid"),
        {m_saleId, lineKey});
    for (const QVariantList &r : rows)
        out << commissionRow(r, 0);
    return out;
}

bool Basket::isEmpty() const
{
    if (value(QStringLiteral("select 1 from tempxiaofeimingxi where ID=? LIMIT 1"), {m_saleId}).isValid())
        return false;
    // No answer from a server that is gone: what the program kept says.
    return !ShopLink::isLost() || kept().value(m_saleId).lines.values.isEmpty();
}

qint64 Basket::moneyCents(const QString &type) const
{
    if (type.isEmpty())
        return value(QStringLiteral("select CAST(ROUND(coalesce(sum(jine),0)*100) AS BIGINT) from tempxiaofeimingxi "
                                    "where ID=? and xiaofeileixing!=?"),
                     {m_saleId, kPackageUse})
            .toLongLong();
    return value(QStringLiteral("select CAST(ROUND(coalesce(sum(jine),0)*100) AS BIGINT) from tempxiaofeimingxi "
                                "where ID=? and xiaofeileixing=?"),
                 {m_saleId, type})
        .toLongLong();
}

qint64 Basket::usesTotal() const
{
    return value(QStringLiteral("select coalesce(sum(shuliang),0) from tempxiaofeimingxi where ID=? and xiaofeileixing=?"),
                 {m_saleId, kPackageUse})
        .toLongLong();
}

int Basket::moneyLineCount() const
{
    return value(QStringLiteral("select count(*) from tempxiaofeimingxi where ID=? and xiaofeileixing!=?"),
                 {m_saleId, kPackageUse})
        .toInt();
}

BasketTotals Basket::totals() const
{
    const QList<QVariantList> rows = LedgerSql::rows(
        QStringLiteral("select CAST(ROUND(coalesce(sum(case when xiaofeileixing=? then jine end),0)*100) AS BIGINT),"
                       "CAST(ROUND(coalesce(sum(case when xiaofeileixing=? then jine end),0)*100) AS BIGINT),"
                       "CAST(ROUND(coalesce(sum(case when xiaofeileixing!=? then jine end),0)*100) AS BIGINT),"
                       "coalesce(sum(case when xiaofeileixing=? then shuliang end),0),"
                       "count(case when xiaofeileixing!=? then 1 end) from tempxiaofeimingxi where ID=?"),
        {QStringLiteral("服务项目"), QStringLiteral("产品"), kPackageUse, kPackageUse, kPackageUse, m_saleId});
    BasketTotals t;
    if (rows.isEmpty())
        return t;
    const QVariantList &r = rows.first();
    t.servicesCents = r.value(0).toLongLong();
    t.productsCents = r.value(1).toLongLong();
    t.moneyCents = r.value(2).toLongLong();
    t.uses = r.value(3).toLongLong();
    t.moneyLines = r.value(4).toInt();
    return t;
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
    // Every line's commission rows in one read, not one read per line (a
    // round trip each on a server).
    QHash<QString, QList<CommissionRow>> staff;
    const QList<QVariantList> shares = LedgerSql::rows(
        QStringLiteral("select titleID,yuangongID,tichengfangshi,jisuanfangshi,coalesce(tichengbili,0),"
                       "coalesce(tichengjine,0) from temptichengmingxi where xiaofeiID=? order by rowid"),
        {m_saleId});
    for (const QVariantList &r : shares)
        staff[r.value(0).toString()] << commissionRow(r, 1);
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
        l.commissions = staff.value(l.key);
        sale.lines << l;
    }
    return sale;
}
