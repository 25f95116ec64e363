#include <QtTest>
#include <QProcess>
#include <QSqlQuery>
#include <QComboBox>
#include <QLineEdit>

#include "checkoutfixture.h"
#include "basket.h"
#include "jiaobandlg.h"
#include "logdlg.h"
#include "memberwriter.h"
#include "salewriter.h"
#include "ledgersql.h"
#include "transactionscope.h"
#include "shopconnection.h"
#include "dbsetconfig.h"
#include "enginedriver.h"

#include <QSqlDatabase>

using namespace checkout_fixture;

// Two front desks on one shop folder: two processes ring up sales (cash and
// card, with package uses), top-ups and renewals on the same two members at the
// same time, through the real dialogs. Afterwards every operation a desk
// confirmed is in the books exactly once, nothing a desk called refused is,
// and every chain holds.
class TestTwoDesk : public QObject
{
    Q_OBJECT
private slots:
    void twoDesksOneShop();
    void fourDesksOneShop();
    void eachDeskHandsOverItsOwnTakings();
    void serverDeskSurvivesLostConnection();
    void serverLockEndsTheWait();
    void serverListReadsAfterLostConnection();
    void aDeskSellsWhileAnotherOpensTheShop();
    void serverDeskWaitsForItsTurn();
};

namespace {

struct Desk
{
    QStringList confirmed;
    QStringList refused;
    bool finished = false;
};

Desk readDesk(QProcess &p)
{
    Desk d;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() == 2 && (words[0] == "sale" || words[0] == "topup" || words[0] == "renewal"
                                  || words[0] == "repay"))
            d.confirmed << words[1];
        else if (words.first() == "refused")
            d.refused << line.mid(8);
        else if (line == "done")
            d.finished = true;
    }
    return d;
}

// A desk's warnings go to a file of its own in the shop folder (they would
// drown the test's output), so that an unexpected refusal can say what the
// database answered.
void logTo(QProcess &p, const QString &dir, int desk)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_LOGGING_RULES", "*.debug=false;*.info=false");
    p.setProcessEnvironment(env);
    p.setStandardErrorFile(QStringLiteral("%1/desk%2.log").arg(dir).arg(desk));
}

// The first few failures in the desks' logs that were neither a rule's
// refusal nor a collision the retry cures: the statement and the SQLSTATE.
QString deskFaults(const QString &dir, int desks)
{
    QStringList faults;
    for (int d = 0; d < desks; ++d) {
        QFile f(QStringLiteral("%1/desk%2.log").arg(dir).arg(d));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw);
            const bool failed = line.contains(QStringLiteral("事务回滚")) || line.contains(QStringLiteral("事务开始失败"))
                                || line.contains(QStringLiteral("事务提交失败"));
            if (failed && !line.contains(QLatin1String("REFUSED"))
                && !EngineDriver::isRetryable(line) && faults.size() < 3)
                faults << QStringLiteral("desk %1: %2").arg(d).arg(line.left(600));
        }
    }
    return faults.join(QLatin1Char('\n'));
}

} // namespace

void TestTwoDesk::twoDesksOneShop()
{
    TestWorkdir wd;
    seedShop();
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild");
    QVERIFY(QFile::exists(child));
    const int perDesk = 110;

    QProcess desks[2];
    for (int d = 0; d < 2; ++d) {
        logTo(desks[d], wd.path(), d);
        desks[d].start(child, {wd.path(), QStringLiteral("desk"), QString::number(perDesk)});
        QVERIFY(desks[d].waitForStarted());
    }
    QList<Desk> results;
    QElapsedTimer clock;
    clock.start();
    for (QProcess &p : desks) {
        QVERIFY2(p.waitForFinished(480000), "a desk did not finish its operations");
        QCOMPARE(p.exitCode(), 0);
        results << readDesk(p);
    }
    const qint64 ms = clock.elapsed();

    QStringList confirmed, refusals;
    int refusedCount = 0;
    for (const Desk &d : results) {
        QVERIFY(d.finished);
        confirmed << d.confirmed;
        refusedCount += d.refused.size();
        refusals << d.refused;
        // A refusal is told as one: never a failure that passed for a sale, and
        // a busy desk waits for the other instead of giving up: a refusal is
        // one of the rules (the balance the other desk just spent), never a
        // failure with its cause.
        for (const QString &why : d.refused)
            QVERIFY2(!why.contains(QStringLiteral("失败")) && !why.contains(QStringLiteral("原因")) && !why.isEmpty(),
                     qPrintable(why + QLatin1Char('\n') + deskFaults(wd.path(), 2)));
    }
    QVERIFY(confirmed.size() + refusedCount >= 2 * perDesk);
    QVERIFY2(confirmed.size() >= perDesk, qPrintable(QString::number(confirmed.size())));

    // Every confirmed document once: one registration, one set of totals.
    for (const QString &doc : confirmed) {
        QCOMPARE(sqlValue("select count(*) from danjuhao where ID='" + doc + "'"), QString("1"));
        const QString table = doc.startsWith("xf_") ? "huiyuanxiaofei" : "huiyuanjiaofei";
        const QString firstRows = doc.startsWith("xf_")
                                      ? sqlValue("select count(*) from huiyuanxiaofei where ID='" + doc
                                                 + "' and coalesce(beizhu,'')<>'会员还款' and yingshoujine<>0")
                                      : sqlValue("select count(*) from huiyuanjiaofei where ID='" + doc
                                                 + "' and yingjiaojine<>0");
        QVERIFY2(firstRows.toInt() <= 1, qPrintable(doc));
        QVERIFY2(sqlValue("select count(*) from " + table + " where ID='" + doc + "'").toInt() >= 1, qPrintable(doc));
    }
    // ... and no document the desks did not confirm.
    QCOMPARE(sqlValue("select count(*) from danjuhao").toInt(), confirmed.size());
    QCOMPARE(sqlValue("select count(distinct ID) from huiyuanxiaofei").toInt()
                 + sqlValue("select count(distinct ID) from huiyuanjiaofei").toInt(),
             confirmed.size());
    // Nothing left in anybody's basket, and the books hold together.
    verifyBooks();
    const auto count = [&](const QString &prefix) {
        return int(std::count_if(confirmed.cbegin(), confirmed.cend(), [&](const QString &d) { return d.startsWith(prefix); }));
    };
    qInfo("two desks: %d operations confirmed (%d sales, %s by card; %s top-ups; %s renewals), %d refused (%s), "
          "%lld ms",
          int(confirmed.size()), count(QStringLiteral("xf_")),
          qPrintable(sqlValue("select count(distinct ID) from huiyuanxiaofei where fukuanfangshi='储蓄卡'")),
          qPrintable(sqlValue("select count(*) from huiyuanjiaofei where jiaofeileixing='会员充值'")),
          qPrintable(sqlValue("select count(distinct ID) from huiyuanjiaofei where jiaofeileixing<>'会员充值'")),
          refusedCount, qPrintable(refusals.mid(0, 3).join(QStringLiteral("; "))), ms);
}

// Four desks on one shop (a file, or a shop server when MOCHEN_TEST_PG is set)
// sell, top up, renew, repay, void sales and refund balances on the same two
// members at once through the rules layer: every operation a desk confirmed is in the books once, every
// debt repaid is gone from the debts, and every chain holds.
void TestTwoDesk::fourDesksOneShop()
{
    TestWorkdir wd;
    seedShop();
    // A card that only the desks' refunds draw on, paid for, with no debt:
    // enough for every refund four desks can ask of it, so each one that is
    // refused is refused by a fault, not by the other members' luck.
    sqlExec("insert into huiyuan(ID,name,type,shengyujine,jifen,login_time) "
            "values('1003','孙七','普通卡',1000,0,'2026-01-03 10:00:00')");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
            "yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) "
            "values('1003','2026-01-03 10:00:00','会员充值','',1000,0,0,0,1000,0,'admin','充值单：CZ3')");
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild");
    const int perDesk = 110;
    QProcess desks[4];
    for (int d = 0; d < 4; ++d) {
        logTo(desks[d], wd.path(), d);
        desks[d].start(child, {wd.path(), QStringLiteral("ledgerdesk"), QString::number(perDesk)});
        QVERIFY(desks[d].waitForStarted());
    }
    QElapsedTimer clock;
    clock.start();
    QStringList documents, repaid, refused, voids, refunds;
    for (QProcess &p : desks) {
        QVERIFY2(p.waitForFinished(480000), "a desk did not finish its operations");
        QCOMPARE(p.exitCode(), 0);
        const QByteArray out = p.readAllStandardOutput();
        for (const QByteArray &raw : out.split('\n')) {
            const QStringList words = QString::fromUtf8(raw).trimmed().split(QLatin1Char(' '));
            if (words.size() == 2 && words[0] == "repay")
                repaid << words[1];
            else if (words.size() == 2 && (words[0] == "sale" || words[0] == "topup" || words[0] == "renewal"))
                documents << words[1];
            else if (words.size() == 2 && (words[0] == "void" || words[0] == "refund"))
                (words[0] == "void" ? voids : refunds) << words[1];
            else if (words[0] == "refused")
                refused << words.mid(1).join(' ');
        }
    }
    const qint64 ms = clock.elapsed();
    QVERIFY(documents.size() + repaid.size() + refused.size() + voids.size() + refunds.size() >= 4 * perDesk);
    // Under load this has failed once with nothing to go on: say what the desks did instead.
    QVERIFY2(!voids.isEmpty() && !refunds.isEmpty(),
             qPrintable(QStringLiteral("no void or refund landed: %1 voids, %2 refunds, %3 documents, %4 refused: %5")
                            .arg(voids.size()).arg(refunds.size()).arg(documents.size()).arg(refused.size())
                            .arg(refused.mid(0, 8).join(QStringLiteral("; ")))));
    // Every void once, of a sale voided once; refunds are documents like the rest.
    QCOMPARE(sqlValue("select count(*) from xiaofeizuofei").toInt(), voids.size());
    QCOMPARE(sqlValue("select count(distinct zuofeiID) from xiaofeizuofei").toInt(), voids.size());
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei where jiaofeileixing='退储值'").toInt(), refunds.size());
    // The refunds-only card paid back 10 a time, whatever the others did.
    const int spareRefunds =
        sqlValue("select count(*) from huiyuanjiaofei where jiaofeileixing='退储值' and huiyuanid='1003'").toInt();
    QVERIFY(spareRefunds > 0);
    QCOMPARE(qRound64(sqlValue("select shengyujine from huiyuan where ID='1003'").toDouble() * 100),
             qint64(100000 - 1000 * spareRefunds));
    documents << voids << refunds;
    QVERIFY2(documents.size() + repaid.size() >= 4 * perDesk / 2, qPrintable(refused.mid(0, 5).join("; ")));
    // A refusal is one of the rules (the debt another desk just repaid, the
    // balance another desk just spent), never a failure or a collision with
    // another desk that the retry did not cure.
    for (const QString &why : refused)
        QVERIFY2(!why.contains(QStringLiteral("失败")) && !why.contains(QStringLiteral("原因")),
                 qPrintable(why + QLatin1Char('\n') + deskFaults(wd.path(), 4)));

    QCOMPARE(int(QSet<QString>(documents.cbegin(), documents.cend()).size()), documents.size());
    QCOMPARE(sqlValue("select count(*) from danjuhao").toInt(), documents.size());
    QCOMPARE(sqlValue("select count(distinct ID) from huiyuanxiaofei").toInt()
                 + sqlValue("select count(distinct ID) from huiyuanjiaofei").toInt(),
             documents.size());
    for (const QString &doc : documents)
        QCOMPARE(sqlValue("select count(*) from danjuhao where ID='" + doc + "'"), QString("1"));
    // Each repayment is one takings row, and the debts are what was lent less what came back.
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei where jiaofeileixing='会员还款'").toInt(), repaid.size());
    const int topUps = sqlValue("select count(*) from huiyuanjiaofei where jiaofeileixing='会员充值'").toInt();
    QCOMPARE(qRound64(sqlValue("select sum(qiankuanjine) from huiyuanjiaofei").toDouble() * 100),
             qint64(topUps - repaid.size()) * 1000);
    verifyBooks();
    const int refusedCount = refused.size();
    refused.removeDuplicates();
    qInfo("four desks: %d documents (%d voids, %d balance refunds) and %d repayments confirmed, %d refused (%s), "
          "%lld ms (%.1f commits/s)",
          int(documents.size()), int(voids.size()), int(refunds.size()), int(repaid.size()), refusedCount,
          qPrintable(refused.join("; ")), ms,
          1000.0 * (documents.size() + repaid.size()) / qMax<qint64>(ms, 1));
}

namespace {

// What one desk took by its own account: real (not from the card) and card
// takings in cents, from the operations it confirmed.
struct DeskTakings
{
    qint64 real = 0;
    qint64 card = 0;
    QString handover;
};

DeskTakings ownTakings(const QByteArray &out)
{
    DeskTakings t;
    for (const QByteArray &raw : out.split('\n')) {
        const QStringList words = QString::fromUtf8(raw).trimmed().split(QLatin1Char(' '));
        if (words.size() != 2)
            continue;
        if (words[0] == "topup")
            t.real += 9000;
        else if (words[0] == "renewal")
            t.real += 15000;
        else if (words[0] == "repay")
            t.real += 1000;
        else if (words[0] == "handover")
            t.handover = words[1];
        else if (words[0] == "sale")
            (sqlValue("select fukuanfangshi from huiyuanxiaofei where ID='" + words[1] + "' order by rowid") == "储蓄卡" ? t.card
                                                                                                   : t.real) += 8000;
    }
    return t;
}

// A second session on the shop server, as psql or another desk would be.
struct OtherSession
{
    QSqlDatabase db;
    OtherSession()
    {
        QString error;
        if (ShopConnection::load().openServer(QStringLiteral("other"), &error))
            db = QSqlDatabase::database(QStringLiteral("other"));
    }
    ~OtherSession()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }
    bool run(const QString &sql)
    {
        QSqlQuery q(db);
        return q.exec(sql);
    }
};

Sale basketSale(Basket &basket, const QString &member)
{
    SaleLine line;
    line.key = QStringLiteral("k1");
    line.type = QStringLiteral("服务项目");
    line.itemId = QStringLiteral("S01");
    line.name = QStringLiteral("洗剪吹");
    line.listCents = line.unitCents = line.amountCents = 2000;
    line.quantity = 1;
    line.enteredBy = QStringLiteral("admin");
    basket.addLine(line);
    Sale s = basket.toSale();
    s.memberId = member;
    s.lineMethod = QStringLiteral("储蓄卡");
    s.payments = {PaymentPart{s.lineMethod, 2000}};
    s.operatorName = QStringLiteral("admin");
    return s;
}

} // namespace

// Two desks work the same shop at once and each hands its shift over when it
// is done, twice: each handover holds exactly what its own desk took (by the
// desk's own account), the two together are the shop's takings, and a desk's
// second shift starts where its own first one ended.
void TestTwoDesk::eachDeskHandsOverItsOwnTakings()
{
    TestWorkdir wd;
    seedShop();
    const QString child = QCoreApplication::applicationDirPath() + QStringLiteral("/mochen_crashchild");
    const QStringList names = {QStringLiteral("前台1"), QStringLiteral("前台2")};
    for (int round = 0; round < 2; ++round) {
        QProcess desks[2];
        for (int d = 0; d < 2; ++d) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("QT_LOGGING_RULES", "*.debug=false;*.warning=false;*.info=false");
            desks[d].setProcessEnvironment(env);
            desks[d].start(child, {wd.path(), QStringLiteral("ledgerdesk"), QString::number(30), names[d]});
            QVERIFY(desks[d].waitForStarted());
        }
        DeskTakings took[2];
        for (int d = 0; d < 2; ++d) {
            QVERIFY2(desks[d].waitForFinished(240000), "a desk did not finish its operations");
            QCOMPARE(desks[d].exitCode(), 0);
            took[d] = ownTakings(desks[d].readAllStandardOutput());
            QVERIFY2(took[d].handover.startsWith("jb"), qPrintable(names[d]));
        }
        for (int d = 0; d < 2; ++d) {
            const QStringList row = sqlRows("select shouyintai,shijishouru,xunishouru,starttime from jiaoban where "
                                            "jiaobanID='" + took[d].handover + "' order by rowid")
                                        .value(0);
            QCOMPARE(row.value(0), names[d]);
            QCOMPARE(qRound64(row.value(1).toDouble() * 100), took[d].real);
            QCOMPARE(qRound64(row.value(2).toDouble() * 100), took[d].card);
            if (round == 1) {
                const QString before = sqlValue("select max(endtime) from jiaoban where shouyintai='" + names[d]
                                                + "' and jiaobanID<>'" + took[d].handover + "'");
                QCOMPARE(row.value(3), QDateTime::fromString(before, "yyyy-MM-dd hh:mm:ss").addSecs(1)
                                           .toString("yyyy-MM-dd hh:mm:ss"));
            }
        }
    }
    // No takings row without its desk, and the handovers hold every one of them once.
    QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where coalesce(shouyintai,'')=''"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei where coalesce(shouyintai,'')=''"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from jiaoban"), QString("4"));
    const qint64 handedOver = qRound64(sqlValue("select sum(shijishouru+xunishouru) from jiaoban").toDouble() * 100);
    const qint64 taken = qRound64((sqlValue("select coalesce(sum(shifujine),0) from huiyuanjiaofei").toDouble()
                                   + sqlValue("select coalesce(sum(shishoujine),0) from huiyuanxiaofei").toDouble())
                                  * 100);
    QCOMPARE(handedOver, taken);
    verifyBooks();
}

// The server ends the desk's session in the middle of a run of sales, once
// between two sales and once with a basket full: the desk connects again by
// itself, its working tables and its basket come back, and every sale it
// confirmed is in the books once.
void TestTwoDesk::serverDeskSurvivesLostConnection()
{
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("a shop server's connection (MOCHEN_TEST_PG)");
    TestWorkdir wd;
    seedShop();
    QStringList notices;
    ShopLink::setNotice([&notices](const QString &t) { notices << t; });
    OtherSession other;
    QVERIFY(other.db.isOpen());
    const auto endDeskSession = [&] {
        const QString pid = sqlValue("select pg_backend_pid()");
        QVERIFY(other.run("select pg_terminate_backend(" + pid + ")"));
        QTest::qWait(200);
    };
    QStringList confirmed;
    int refused = 0;
    for (int i = 0; i < 12; ++i) {
        if (i == 4)
            endDeskSession(); // between sales
        Basket basket(QStringLiteral("xf_lost_%1").arg(i));
        basket.open("1001");
        Sale s = basketSale(basket, "1001");
        if (i == 8)
            endDeskSession(); // the basket full, the cashier about to ring up
        const LedgerResult r = SaleWriter::commit(s);
        if (r.ok)
            confirmed << r.documentId;
        else
            ++refused;
        basket.close();
    }
    QCOMPARE(refused, 0);
    for (const QString &doc : confirmed)
        QCOMPARE(sqlValue("select count(*) from danjuhao where ID='" + doc + "'"), QString("1"));
    QCOMPARE(sqlValue("select count(distinct ID) from huiyuanxiaofei").toInt(), confirmed.size());
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1001'"), QString("260"));
    QCOMPARE(notices.count(ShopLink::lostNotice()), 2);
    QCOMPARE(notices.count(ShopLink::backNotice()), 2);
    ShopLink::setNotice({});
    verifyBooks();
}

// A table another session holds makes the desk give up after the lock
// timeout, with the message, and nothing of the operation written.
void TestTwoDesk::serverLockEndsTheWait()
{
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("a shop server's lock (MOCHEN_TEST_PG)");
    TestWorkdir wd;
    seedShop();
    OtherSession other;
    QVERIFY(other.run("BEGIN") && other.run("lock table huiyuan in exclusive mode"));
    TopUp t;
    t.memberId = "1001";
    t.paidInCents = 10000;
    t.receivedCents = 10000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("admin");
    QElapsedTimer waited;
    waited.start();
    const LedgerResult r = MemberWriter::topUp(t);
    const qint64 ms = waited.elapsed();
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(QStringLiteral("另一台收银机正在保存，请稍后再试")), qPrintable(r.error));
    QVERIFY2(ms < 8000, qPrintable(QString::number(ms)));
    QVERIFY(other.run("ROLLBACK"));
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei"), QString("0"));
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1001'"), QString("500"));
    QVERIFY(MemberWriter::topUp(t).ok);
    qInfo("the server's lock held the desk %lld ms before the message", ms);
    verifyBooks();
}

// A list refreshed after the server ended the desk's session reads on a new
// connection instead of showing nothing; the desk is told once, both ways.
void TestTwoDesk::serverListReadsAfterLostConnection()
{
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("a shop server's connection (MOCHEN_TEST_PG)");
    TestWorkdir wd;
    seedShop();
    QStringList notices;
    ShopLink::setNotice([&notices](const QString &t) { notices << t; });
    OtherSession other;
    ctrlUiClass ctrl;
    QTableView view;
    const QString list = QStringLiteral("服务项目列表");
    ctrl.setupView(readDbset(), &view, list);
    QCOMPARE(ctrl.viewRowCount(list), 3);
    QVERIFY(other.run("select pg_terminate_backend(" + sqlValue("select pg_backend_pid()") + ")"));
    QTest::qWait(200);
    ctrl.refreshView(list, QString());
    QCOMPARE(ctrl.viewRowCount(list), 3);
    QCOMPARE(notices, (QStringList{ShopLink::lostNotice(), ShopLink::backNotice()}));

    // The handover reads and writes through the store alone (no working table
    // of its own): after another lost session it hands the shift over whole.
    sqlExec("insert into \"user\"(name,password,jinyong) values('小红','" + encodePassword("1") + "','否')");
    QVERIFY(MemberWriter::topUp(TopUp{"1001", 10000, 0, 10000, QStringLiteral("现金"), QString(), "admin", {}}).ok);
    QVERIFY(other.run("select pg_terminate_backend(" + sqlValue("select pg_backend_pid()") + ")"));
    QTest::qWait(200);
    PromptRecorder prompts;
    jiaobanDlg handover;
    handover.show();
    onNextModal([](QWidget *login) {
        auto *box = login->findChild<QComboBox *>("comboBox");
        box->setCurrentIndex(box->findText(QStringLiteral("小红")));
        login->findChild<QLineEdit *>("lineEdit")->setText("1");
        clickButton(login, "toolButton_3");
    });
    clickButton(&handover, "toolButton_84");
    QCOMPARE(handover.result(), int(QDialog::Accepted));
    QCOMPARE(sqlRows("select shijishouru, (select count(*) from jiaobanmingxi) from jiaoban"),
             (QList<QStringList>{{"100", "7"}}));
    QCOMPARE(notices.count(ShopLink::backNotice()), 2);
    ShopLink::setNotice({});
    verifyBooks();
}

namespace {
// A session of its own on a thread of its own: the desk's default connection
// belongs to the test's thread, which is held up inside the walk.
class ServerThread : public QThread
{
public:
    explicit ServerThread(const QString &name, std::function<void(QSqlDatabase &)> work)
        : m_name(name), m_work(std::move(work)) {}
    void run() override
    {
        {
            QString error;
            if (ShopConnection::load().openServer(m_name, &error)) {
                QSqlDatabase db = QSqlDatabase::database(m_name);
                m_work(db);
            }
        }
        QSqlDatabase::removeDatabase(m_name);
    }

private:
    QString m_name;
    std::function<void(QSqlDatabase &)> m_work;
};

// Waits (at most 20 s) until a request for `mode` on huiyuanxiaofei is queued.
bool waitForQueued(QSqlDatabase &db, const QString &mode)
{
    for (int i = 0; i < 2000; ++i) {
        QSqlQuery q(db);
        if (q.exec("select count(*) from pg_locks l join pg_class c on c.oid = l.relation where "
                   "c.relname = 'huiyuanxiaofei' and not l.granted and l.mode = '" + mode + "'")
            && q.next() && q.value(0).toInt() > 0)
            return true;
        QThread::msleep(10);
    }
    return false;
}
} // namespace

// A second desk opens the shop (and so walks its tables and triggers) while
// the first is selling, and the walk makes a trigger of the sales rows anew
// (its definition changed): the sale that comes in meanwhile waits for it and
// counts in the day's summaries. The sale is queued right behind the drop, the
// moment a walk that dropped and created it apart would let a row in with no
// trigger.
void TestTwoDesk::aDeskSellsWhileAnotherOpensTheShop()
{
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("a shop server (MOCHEN_TEST_PG)");
    TestWorkdir wd;
    seedShop();
    sqlExec("update mochen_objects set hash = 'older' where name = 'rihuizong_xiaofei_insert'");
    std::atomic<bool> holding{false}, sellerQueued{false}, sold{false};
    // A reader that holds the sales rows, so that the walk queues at its first drop.
    ServerThread reader(QStringLiteral("reader"), [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.exec("BEGIN") || !q.exec("select count(*) from huiyuanxiaofei"))
            return;
        holding = true;
        sellerQueued = waitForQueued(db, QStringLiteral("RowExclusiveLock"));
        q.exec("COMMIT");
    });
    // The other desk's sale, sent once the walk waits for the table.
    ServerThread seller(QStringLiteral("seller"), [&](QSqlDatabase &db) {
        if (!waitForQueued(db, QStringLiteral("AccessExclusiveLock")))
            return;
        QSqlQuery q(db);
        sold = q.exec(QString::fromUtf8("insert into huiyuanxiaofei(ID, huiyuanid, xiaofeiriqi, xiaofeijine, "
                                        "shishoujine, fukuanfangshi, caozuoyuan, shouyintai) values ('xf_walk_1', '1001', "
                                        "'2026-12-09 10:00:00', 20, 20, '现金', 'admin', '前台2')"));
    });
    reader.start();
    for (int i = 0; i < 500 && !holding; ++i)
        QThread::msleep(10);
    QVERIFY(holding);
    seller.start();
    createTables();
    QVERIFY(reader.wait(30000));
    QVERIFY(seller.wait(30000));
    QVERIFY(sellerQueued);
    QVERIFY(sold);
    int declared = 0;
    const DbsetMap map = readDbset();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        declared += it.value().userType() == qMetaTypeId<CreateTriggerinfo>()
                    && it.value().value<CreateTriggerinfo>().table == QLatin1String("huiyuanxiaofei");
    QVERIFY(declared > 0);
    QCOMPARE(sqlValue("select count(*) from pg_trigger where not tgisinternal and tgrelid = 'huiyuanxiaofei'::regclass").toInt(),
             declared);
    QCOMPARE(summaryDifferences(), QString());
}

// A desk that begins while another desk's operation is open waits for its
// turn instead of working on what is about to change. Had both gone ahead,
// the one that wrote second would be refused as a collision (the server's
// snapshot isolation), a refusal that only another try could cure, and
// one that four busy desks can keep meeting until the tries run out.
void TestTwoDesk::serverDeskWaitsForItsTurn()
{
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("a shop server (MOCHEN_TEST_PG)");
    TestWorkdir wd;
    seedShop();
    std::atomic<bool> landed{false};
    {
        // This desk's top-up, open, with the member read...
        TransactionScope tx;
        QCOMPARE(LedgerSql::value(QStringLiteral("select shengyujine from huiyuan where ID=?"), {"1001"}).toString(),
                 QString("500"));
        // ... when another desk changes the same member.
        ServerThread other(QStringLiteral("other"), [&](QSqlDatabase &db) {
            QSqlQuery q(db);
            const QString lock = EngineDriver::of(db).writeLock();
            landed = q.exec(EngineDriver::of(db).beginWrite()) && (lock.isEmpty() || q.exec(lock))
                     && q.exec("update huiyuan set shengyujine = shengyujine where ID = '1001'") && q.exec("COMMIT");
        });
        other.start();
        QElapsedTimer waited;
        waited.start();
        while (!other.isFinished() && waited.elapsed() < 10000
               && LedgerSql::value(QStringLiteral("select count(*) from pg_locks where not granted")).toInt() == 0)
            QThread::msleep(10);
        QVERIFY2(!landed, "the other desk wrote in the middle of this desk's operation");
        QVERIFY(MemberWriter::topUp(TopUp{"1001", 10000, 0, 10000, QStringLiteral("现金"), QString(), "admin", {}}).ok);
        QVERIFY2(tx.commit(), qPrintable(tx.firstError()));
        QVERIFY(other.wait(30000));
    }
    QVERIFY(landed);
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1001'"), QString("600"));

    // A desk ahead that does not finish: this one gives up after the lock
    // timeout with the busy message, and its session works on afterwards.
    OtherSession ahead;
    QVERIFY(ahead.run("BEGIN") && ahead.run(EngineDriver::current().writeLock()));
    const TopUp t{"1001", 10000, 0, 10000, QStringLiteral("现金"), QString(), "admin", {}};
    const LedgerResult refused = MemberWriter::topUp(t);
    QVERIFY2(refused.error.contains(QStringLiteral("另一台收银机正在保存，请稍后再试")), qPrintable(refused.error));
    QVERIFY(ahead.run("ROLLBACK"));
    QVERIFY(MemberWriter::topUp(t).ok);
    QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1001'"), QString("700"));
    verifyBooks();
}

QTEST_MAIN(TestTwoDesk)
#include "tst_twodesk.moc"
