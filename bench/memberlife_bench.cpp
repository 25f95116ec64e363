// A member's life at scale: one member with many visit notes among many
// members, a shop with many numbered vouchers, and points redemptions and
// voucher sales one after another, each through the store the windows call.
// Beside each read the same statement as a plain prepared query on the same
// connection, and beside each write the rows it must write at the least (the
// guarded change and its ledger row in one transaction): the floor no writer
// goes below.
//
//   mochen-memberlife-bench [--members 10000] [--notes 20000] [--vouchers 100000] [--ops 200]
//                           [--dir /tmp/memberlife-bench]
//   MOCHEN_TEST_PG=… mochen-memberlife-bench …   the shop on a PostgreSQL server
//
// Prints one line per step: milliseconds (median of five for the reads, per
// operation for the writes).

#include "benchshop.h"
#include "dbsetconfig.h"
#include "ledgersql.h"
#include "pointsredemption.h"
#include "salewriter.h"
#include "enginedriver.h"
#include "visitnotes.h"
#include "vouchers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

const QString kMember = QStringLiteral("100000"); // the member with many notes

void line(const char *what, double program, double raw = -1, const QString &extra = QString())
{
    if (raw >= 0)
        std::printf("%-46s %9.2f ms   raw %9.2f ms   %s\n", what, program, raw, qPrintable(extra));
    else
        std::printf("%-46s %9.2f ms   %s\n", what, program, qPrintable(extra));
    std::fflush(stdout);
}

double medianMs(const std::function<void()> &f, int runs = 5)
{
    QList<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer e;
        e.start();
        f();
        t << e.nsecsElapsed() / 1e6;
    }
    std::sort(t.begin(), t.end());
    return t.at(runs / 2);
}

// A statement as plainly as Qt's driver runs it: prepared, bound, every row fetched.
int plain(const QString &sql, const QVariantList &values)
{
    QSqlQuery q;
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    q.exec();
    int n = 0;
    while (q.next())
        ++n;
    return n;
}

void exec(QSqlQuery &q, const QVariantList &values)
{
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        std::fprintf(stderr, "fill failed: %s\n", qPrintable(q.lastQuery()));
}

// The shop's rows, written plainly in one transaction: members with points,
// the notes, the vouchers with their issue rows, a reward.
void fill(int members, int notes, int vouchers)
{
    QSqlQuery q;
    q.exec(QStringLiteral("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
                          "values('金卡',0,0,1,1,1,'')"));
    q.exec(QStringLiteral("insert into fuwuxiangmu(ID,name,xiaoshoujiage,jinyong) values('S01','洗剪吹',38,'否')"));
    q.exec(QStringLiteral("insert into yuangong(ID,name,type,jinyong) values('E01','王美发','发型师','否')"));
    q.exec(QStringLiteral("insert into jifenjiangli(ID,mingcheng,leixing,xiangmuID,shuliang,jifen,qiyong) "
                          "values('R1','洗剪吹一次','服务次数','S01',1,100,'是')"));
    q.exec(QStringLiteral("insert into dianpushezhi(mingcheng,zhi) values('代金券余额保留','是')"));
    q.exec(EngineDriver::current().isServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    QSqlQuery m, j, n, v, b;
    m.prepare(QStringLiteral("insert into huiyuan(ID,name,sex,phone,type,shengyujine,jifen) values(?,?,'女',?,'金卡',0,1000)"));
    j.prepare(QStringLiteral("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,jifenjianshao,"
                             "shengyujifen,caozuoyuan,beizhu) values(?,'2026-01-01 09:00:00','期初导入',1000,0,1000,'admin','')"));
    n.prepare(QStringLiteral("insert into gukedangan(ID,huiyuanid,riqi,yuangongID,fuwuneirong,peifang,chanpin,jinggao,beizhu,"
                             "xiaofeiID,caozuoyuan,shouyintai,jianlishijian,xiugaishijian) "
                             "values(?,?,?,'E01',?,?,'护发素',?,'','','admin','bench',?,?)"));
    v.prepare(QStringLiteral("insert into daijinquan(ID,mianzhi,yue,youxiaoqizhi,zhuangtai,laiyuan,shoujia,huiyuanid,faxingdan,"
                             "riqi,caozuoyuan,shouyintai,beizhu) values(?,100,100,'2099-12-31','未使用','发放',0,'','FQbench',"
                             "'2026-01-01 09:00:00','admin','bench','')"));
    b.prepare(QStringLiteral("insert into daijinquanbiandong(quanID,riqi,leixing,zengjia,jianshao,dangshiyue,danju,caozuoyuan) "
                             "values(?,'2026-01-01 09:00:00','发放',100,0,100,?,'admin')"));
    for (int i = 0; i < members; ++i) {
        const QString id = QString::number(100000 + i);
        exec(m, {id, QStringLiteral("会员") + id, QStringLiteral("139") + id});
        exec(j, {id});
    }
    for (int i = 0; i < notes + members; ++i) {
        // The one member's many notes, then one for every member.
        const QString member = i < notes ? kMember : QString::number(100000 + i - notes);
        const QString day = QDate(2020, 1, 1).addDays(i % 2500).toString(Qt::ISODate);
        exec(n, {QStringLiteral("DA%1").arg(i, 8, 10, QLatin1Char('0')), member, day,
                 QStringLiteral("染发 %1").arg(i % 97), QStringLiteral("配方%1 6/0+7/1 3%").arg(i),
                 i % 50 == 0 ? QStringLiteral("对氨基苯酚过敏") : QString(), day + QStringLiteral(" 10:00:00"),
                 day + QStringLiteral(" 10:00:00")});
    }
    for (int i = 0; i < vouchers; ++i) {
        const QString number = QStringLiteral("DJ%1").arg(i, 7, 10, QLatin1Char('0'));
        exec(v, {number});
        exec(b, {number, QStringLiteral("FQbench%1").arg(i / 1000)}); // batches of at most 1000, as the window issues them
    }
    q.exec(QStringLiteral("COMMIT"));
}

// The floor of a redemption: the guarded points change, its ledger row and the document.
void rawRedemption(const QString &member, int i)
{
    QSqlQuery q;
    q.exec(EngineDriver::current().isServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    QSqlQuery u, l, d;
    u.prepare(QStringLiteral("update huiyuan set jifen=jifen-100 where ID=? and jifen>=100"));
    exec(u, {member});
    l.prepare(QStringLiteral("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,jifenjianshao,"
                             "shengyujifen,caozuoyuan,beizhu) select ?,'2026-12-09 10:00:00','积分兑换',0,100,jifen,'admin','' "
                             "from huiyuan where ID=?"));
    exec(l, {member, member});
    d.prepare(QStringLiteral("insert into jifenduihuan(ID,huiyuanid,riqi,jiangliID,mingcheng,leixing,xiangmuID,shuliang,"
                             "danweishuliang,jifen,zhuangtai,caozuoyuan,shouyintai) "
                             "values(?,?,'2026-12-09 10:00:00','R1','洗剪吹一次','服务次数','S01',1,1,100,'已兑换','admin','raw')"));
    exec(d, {QStringLiteral("RAW%1").arg(i), member});
    q.exec(QStringLiteral("COMMIT"));
}

// The floor of a voucher's use: its guarded change and its ledger row.
void rawVoucherUse(const QString &number, int i)
{
    QSqlQuery q;
    q.exec(EngineDriver::current().isServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    QSqlQuery u, l;
    u.prepare(QStringLiteral("update daijinquan set yue=yue-30 where ID=? and yue>=30"));
    exec(u, {number});
    l.prepare(QStringLiteral("insert into daijinquanbiandong(quanID,riqi,leixing,zengjia,jianshao,dangshiyue,danju,caozuoyuan) "
                             "select ?,'2026-12-09 10:00:00','使用',0,30,yue,?,'admin' from daijinquan where ID=?"));
    exec(l, {number, QStringLiteral("RAWXF%1").arg(i), number});
    q.exec(QStringLiteral("COMMIT"));
}

Sale voucherSale(const QString &number)
{
    Sale s;
    s.memberId = QStringLiteral("0000");
    SaleLine cut;
    cut.key = QStringLiteral("k1");
    cut.type = QStringLiteral("服务项目");
    cut.itemId = QStringLiteral("S01");
    cut.name = QStringLiteral("洗剪吹");
    cut.listCents = cut.unitCents = cut.amountCents = 3000;
    cut.quantity = 1;
    s.lines = {cut};
    s.payments = {PaymentPart{QStringLiteral("代金券"), 3000, number}};
    s.lineMethod = QStringLiteral("代金券");
    s.operatorName = QStringLiteral("admin");
    return s;
}

// Per operation: the median of `ops` one after another.
double perOperation(int ops, const std::function<void(int)> &f)
{
    QList<double> t;
    for (int i = 0; i < ops; ++i) {
        QElapsedTimer e;
        e.start();
        f(i);
        t << e.nsecsElapsed() / 1e6;
    }
    std::sort(t.begin(), t.end());
    return t.at(ops / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("mochen.sql.debug=false\nmochen.sql.info=false\nmochen.sql.warning=false"));
    int members = 10000, notes = 20000, vouchers = 100000, ops = 200;
    QString dir = QStringLiteral("/tmp/memberlife-bench");
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--members"))
            members = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--notes"))
            notes = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--vouchers"))
            vouchers = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--ops"))
            ops = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--dir"))
            dir = args.at(i + 1);
    }
    ops = qBound(1, ops, qMin(members, vouchers));
    if (!openEmptyBenchShop(dir, "memberlifebench"))
        return 1;
    const bool server = EngineDriver::current().isServer();
    QElapsedTimer t;
    t.start();
    fill(members, notes, vouchers);
    line("shop filled (plain inserts)", t.elapsed(), -1,
         QStringLiteral("%1 members, %2 notes of one member, %3 vouchers, %4")
             .arg(members).arg(notes).arg(vouchers).arg(server ? QStringLiteral("server") : QStringLiteral("file")));
    QSqlQuery(QStringLiteral("ANALYZE")).exec();

    // Reads.
    const QString notesRaw = QStringLiteral(
        "select a.ID,a.huiyuanid,a.riqi,a.yuangongID,a.fuwuneirong,a.peifang,a.chanpin,a.jinggao,a.beizhu,a.xiaofeiID,"
        "a.caozuoyuan,coalesce(e.name,a.yuangongID),a.jianlishijian,"
        "(select count(*) from gukedangantupian p where p.danganID=a.ID) from gukedangan a left join yuangong e on "
        "e.ID=a.yuangongID where 1=1 and a.huiyuanid=? order by a.riqi desc, a.jianlishijian desc, a.ID desc LIMIT ?");
    line("visit notes of the member, newest 200", medianMs([] { VisitNotes::find(kMember); }),
         medianMs([&] { plain(notesRaw, {kMember, 200}); }), QStringLiteral("%1 rows").arg(VisitNotes::find(kMember).size()));
    const QString searchRaw = QStringLiteral(
        "select a.ID from gukedangan a left join yuangong e on e.ID=a.yuangongID where 1=1 and a.huiyuanid=? and "
        "(a.fuwuneirong like ? or a.peifang like ? or a.chanpin like ? or a.jinggao like ? or a.beizhu like ? or "
        "coalesce(e.name,'') like ?) order by a.riqi desc, a.jianlishijian desc, a.ID desc LIMIT ?");
    const QString pattern = QStringLiteral("%配方1234%");
    line("visit notes of the member, searched", medianMs([] { VisitNotes::find(kMember, QStringLiteral("配方1234")); }),
         medianMs([&] { plain(searchRaw, {kMember, pattern, pattern, pattern, pattern, pattern, pattern, 200}); }),
         QStringLiteral("%1 rows").arg(VisitNotes::find(kMember, QStringLiteral("配方1234")).size()));
    line("warnings of the member (panel, checkout)", medianMs([] { VisitNotes::warnings(kMember); }),
         medianMs([&] {
             plain(QStringLiteral("select jinggao from gukedangan where huiyuanid=? and jinggao<>'' order by riqi desc"),
                   {kMember});
         }));
    const DbsetMap map = readDbset();
    const QString voucherList = dbsetEntry<TableViewinfo>(map, QStringLiteral("代金券列表")).SqlStr;
    line("voucher list, first 256 rows", medianMs([&] { LedgerSql::rows(voucherList + QStringLiteral(" order by ID LIMIT 256")); }),
         medianMs([&] { plain(voucherList + QStringLiteral(" order by ID LIMIT 256"), {}); }));
    const QString voucherTotals = QStringLiteral("select count(*),sum(面值金额),sum(已用金额),sum(未用金额) from (")
                                  + voucherList + QStringLiteral(") v");
    line("voucher list, 合计 over all", medianMs([&] { LedgerSql::rows(voucherTotals); }),
         medianMs([&] { plain(voucherTotals, {}); }));
    const QString last = QStringLiteral("DJ%1").arg(vouchers - 1, 7, 10, QLatin1Char('0'));
    line("one voucher checked (number typed)", medianMs([&] { Vouchers::whyNot(last, 3000); }),
         medianMs([&] { plain(QStringLiteral("select yue,zhuangtai,youxiaoqizhi from daijinquan where ID=?"), {last}); }));

    // Writes, one after another, each its own transaction.
    const double redeem = perOperation(ops, [](int i) {
        PointsRedemption::redeem(QString::number(100001 + i), QStringLiteral("R1"), 1, QStringLiteral("admin"));
    });
    const double redeemRaw = perOperation(ops, [members](int i) { rawRedemption(QString::number(100000 + members - 1 - i), i); });
    line("points redemption (service use)", redeem, redeemRaw,
         QStringLiteral("%1 operations; %2 redeemed").arg(ops).arg(LedgerSql::value(QStringLiteral("select count(*) from jifenduihuan where ID like 'DH%'")).toInt()));
    QStringList sales;
    const double sale = perOperation(ops, [&](int i) {
        const LedgerResult r = SaleWriter::commit(voucherSale(QStringLiteral("DJ%1").arg(i, 7, 10, QLatin1Char('0'))));
        if (r.ok)
            sales << r.documentId;
    });
    const double saleRaw = perOperation(ops, [vouchers](int i) {
        rawVoucherUse(QStringLiteral("DJ%1").arg(vouchers - 1 - i, 7, 10, QLatin1Char('0')), i);
    });
    line("sale paid by a numbered voucher", sale, saleRaw,
         QStringLiteral("%1 operations; %2 sold (raw: the voucher's rows only)").arg(ops).arg(sales.size()));
    if (!sales.isEmpty())
        line("the vouchers a sale took (its receipt)", medianMs([&] { Vouchers::usedBy(sales.last()); }),
             medianMs([&] {
                 plain(QStringLiteral("select quanID,sum(jianshao),min(dangshiyue) from daijinquanbiandong where danju=? "
                                      "group by quanID"),
                       {sales.last()});
             }));
    return 0;
}
