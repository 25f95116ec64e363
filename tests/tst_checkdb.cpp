#include <QtTest>
#include <QProcess>

#include "testsupport.h"
#include "summarybook.h"
#include "dbsetconfig.h"

// The database check that an owner can run on a shop file.
class TestCheckDb : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void reportsDisagreements();
    void checksTheSummariesThatExist();
    void summaryListCoversTheStatement();
    void findsAnEmployeesWorkOrAnItemSummedWrong();
};

static QPair<int, QString> runCheck(const QString &db)
{
    QProcess p;
    p.start("bash", {QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-db.sh"), db});
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

void TestCheckDb::initTestCase()
{
    if (!qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("scripts/check-db.sh checks a shop file; a server's books are checked with the same statements "
              "by mochen-check and at the end of the tests that move money");
}

void TestCheckDb::reportsDisagreements()
{
    TestWorkdir wd;
    const QString db = wd.path() + "/mochenxinxi.db";
    const QString ledger = "insert into huiyuanyuebiandong(huiyuanid,xiangmumingchen,yuezengjia,yuejianshao,cishuzengjia,"
                           "cishujianshao,dangshikaneiyue,dangshikaneicishu) values";
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1001','甲',70,0),('1002','乙',50,0)");
    // 1001: +100, +50, −80; 1002: +50 and 3 uses of X1.
    sqlExec(ledger + "('1001','',100,0,0,0,100,0),('1001','',50,0,0,0,150,0),('1001','',0,80,0,0,70,0),"
                     "('1002','',50,0,0,0,50,0),('1002','X1',0,0,3,0,50,3)");
    sqlExec("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) values('1002','X1',3,3,0)");
    // A sale with its number, header, line and its member's points row.
    sqlExec("insert into danjuhao(ID,leixing) values('xf_2','会员消费')");
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeijine,yingshoujine) values('xf_2','1001',10,10)");
    sqlExec("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID) values('xf_2','服务项目','S1')");
    sqlExec("insert into huiyuanjifen(huiyuanid,jifenzengjia,jifenjianshao,shengyujifen,beizhu) values('1001',0,0,0,'消费单：xf_2')");
    auto r = runCheck(db);
    QVERIFY2(r.first == 0, qPrintable(r.second));
    QVERIFY2(r.second.contains("完整性检查: ok"), qPrintable(r.second));

    // Two desks, one stale balance: the sale row repeats a balance read before the
    // top-up landed. Member and latest row agree; only the chain shows the 50 lost.
    sqlExec("update huiyuanyuebiandong set dangshikaneiyue=20 where huiyuanid='1001' and yuejianshao=80");
    sqlExec("update huiyuan set shengyujine=20 where ID='1001'");
    // A sale charged twice under one number, and uses that left without a ledger row.
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeijine,yingshoujine) values('xf_1','1002',30,30),('xf_1','1002',30,30)");
    sqlExec("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID) values('xf_1','服务项目','S1')");
    sqlExec("update huiyuantaocan set shengyucishu=2 where huiyuanID='1002'");
    // The sale's points row filed under another member is not the sale's.
    sqlExec("update huiyuanjifen set huiyuanid='1002' where beizhu='消费单：xf_2'");
    r = runCheck(db);
    QCOMPARE(r.first, 1);
    QVERIFY2(r.second.contains("余额变动不连贯 | 1001 | 记录3 | 20.0 | 应为 70.0"), qPrintable(r.second));
    QVERIFY2(r.second.contains("单号重复 | xf_1"), qPrintable(r.second));
    QVERIFY2(r.second.contains("剩余次数与变动记录不符 | 1002 | X1 | 2.0 | 3.0"), qPrintable(r.second));
    QVERIFY2(r.second.contains("消费单没有积分记录 | xf_2"), qPrintable(r.second));
    QVERIFY(!r.second.contains("1002 | 记录"));

    QCOMPARE(runCheck(wd.path() + "/none.db").first, 2);
}

// A shop last opened by an older program lacks the summaries added since: the
// check names them and still checks the others.
void TestCheckDb::checksTheSummariesThatExist()
{
    TestWorkdir wd;
    const QString db = wd.path() + "/mochenxinxi.db";
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1001','甲',0,0)");
    sqlExec("insert into danjuhao(ID,leixing) values('xf_1','会员消费')");
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,xiaofeijine,yingshoujine,suodejifen) "
            "values('xf_1','1001','2026-03-02 10:00:00',30,'现金',30,30,0)");
    sqlExec("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,shuliang,jine) values('xf_1','服务项目','S1',1,30)");
    sqlExec("insert into huiyuanjifen(huiyuanid,jifenzengjia,jifenjianshao,shengyujifen,beizhu) values('1001',0,0,0,'消费单：xf_1')");
    auto r = runCheck(db);
    QVERIFY2(r.first == 0 && r.second.contains("日汇总检查: 每日收银与消费汇总与单据一致"), qPrintable(r.second));

    sqlExec("drop table rihuizong_xiangmu");
    sqlExec("drop table rihuizong_danjuri");
    r = runCheck(db);
    QVERIFY2(r.first == 0, qPrintable(r.second));
    QVERIFY2(r.second.contains("日汇总检查: 已建立的汇总与单据一致"), qPrintable(r.second));
    QVERIFY2(r.second.contains("rihuizong_danjuri、rihuizong_xiangmu 尚未建立（程序下次启动时建立），未核对"), qPrintable(r.second));
    QVERIFY2(!r.second.contains("no such table"), qPrintable(r.second));

    // What is there is still checked: a day's sales summed wrong is found.
    sqlExec("update rihuizong_xiaofei set xiaofei_fen=xiaofei_fen+100");
    r = runCheck(db);
    QCOMPARE(r.first, 1);
    QVERIFY2(r.second.contains("日汇总消费与记录不符 | 2026-03-02"), qPrintable(r.second));
    QVERIFY2(!r.second.contains("项目日汇总") && !r.second.contains("单据明细日期"), qPrintable(r.second));

    // Every summary gone, whichever this version has: a shop from before the first of them.
    for (const QStringList &t : sqlRows("select name from sqlite_master where type='table' and name like 'rihuizong%' order by name"))
        sqlExec(QStringLiteral("drop table %1").arg(t.first()));
    r = runCheck(db);
    QVERIFY2(r.first == 0 && r.second.contains("尚未建立（程序下次启动时建立），日汇总未核对"), qPrintable(r.second));
}

// check-db.sh names, for every summary that check-summaries.sql reads, the
// checks to leave out when a shop lacks it: a summary added without its line
// would leave an older shop's summaries unchecked.
void TestCheckDb::summaryListCoversTheStatement()
{
    QFile script(QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-db.sh"));
    QFile statement(QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-summaries.sql"));
    QVERIFY(script.open(QIODevice::ReadOnly) && statement.open(QIODevice::ReadOnly));
    const QString sh = QString::fromUtf8(script.readAll());
    const QString sql = QString::fromUtf8(statement.readAll());
    const int from = sh.indexOf("summaries='\n");
    QVERIFY(from >= 0);
    const QString block = sh.mid(from + 12, sh.indexOf('\'', from + 12) - from - 12);
    QMap<QString, QStringList> listed;
    for (const QString &line : block.split('\n', Qt::SkipEmptyParts)) {
        QStringList words = line.simplified().split(' ');
        listed.insert(words.takeFirst(), words);
    }
    QSet<QString> read;
    QRegularExpressionMatchIterator it = QRegularExpression("rihuizong_[a-z_]+").globalMatch(sql);
    while (it.hasNext())
        read << it.next().captured(0);
    QVERIFY(read.size() >= 8);
    for (const QString &table : read) {
        QVERIFY2(listed.contains(table) && !listed.value(table).isEmpty(), qPrintable(table + " is not in check-db.sh's list"));
        for (const QString &label : listed.value(table))
            QVERIFY2(sql.contains("SELECT '" + label + "'"), qPrintable(table + ": no check " + label));
    }
}

// The summaries of the lines, the days of their documents and each employee's
// work are compared with the rows: one changed behind the triggers' back is
// found, whichever it is, and named by its document or day.
void TestCheckDb::findsAnEmployeesWorkOrAnItemSummedWrong()
{
    TestWorkdir wd;
    const QString db = wd.path() + "/mochenxinxi.db";
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('1001','甲',0,0)");
    sqlExec("insert into danjuhao(ID,leixing) values('xf_1','会员消费')");
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,shishoujine,fukuanfangshi,xiaofeijine,yingshoujine,suodejifen) "
            "values('xf_1','1001','2026-03-02 10:00:00',50,'现金',50,50,0)");
    // Two lines of one item and one of another, two employees' commissions on them.
    sqlExec("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,shuliang,jine) values"
            "('xf_1','服务项目','S1',1,20),('xf_1','服务项目','S1',1,10),('xf_1','服务项目','S2',1,20)");
    sqlExec("insert into tichengmingxi(yuangongID,xiangmuID,xiaofeiID,tichengfangshi,tichengjine,beizhu,titleID) values"
            "('E1','S1','xf_1','点单提成',2,'消费提成','L1'),('E2','S2','xf_1','轮牌提成',1,'消费提成','L2')");
    sqlExec("insert into huiyuanjifen(huiyuanid,jifenzengjia,jifenjianshao,shengyujifen,beizhu) values('1001',0,0,0,'消费单：xf_1')");
    QCOMPARE(sqlValue("select jine_li from rihuizong_yeji where xiaofeiID='xf_1' and yuangongid='E1'"), QString("1500000"));
    auto r = runCheck(db);
    QVERIFY2(r.first == 0, qPrintable(r.second));

    const QList<QPair<const char *, const char *>> wrong = {
        {"update rihuizong_yeji set jine_li=jine_li+1 where yuangongid='E1'", "员工业绩汇总与记录不符 | xf_1 | E1"},
        {"update rihuizong_yeji set diandan=0 where yuangongid='E1'", "员工业绩汇总与记录不符 | xf_1 | E1"},
        {"update rihuizong_xiangmu set jine_fen=jine_fen+1 where xiangmuid='S2'", "项目日汇总与记录不符 | 2026-03-02 | 服务项目 | S2"},
        {"update rihuizong_xiangmu set hangshu=1 where xiangmuid='S1'", "项目日汇总与记录不符 | 2026-03-02 | 服务项目 | S1"},
        {"update rihuizong_danjuri set riqi='2026-03-01'", "单据明细日期与记录不符 | xf_1"},
    };
    for (const auto &w : wrong) {
        sqlExec("begin");
        sqlExec(w.first);
        sqlExec("commit");
        r = runCheck(db);
        QCOMPARE(r.first, 1);
        QVERIFY2(r.second.contains(QString::fromUtf8(w.second)), qPrintable(QString::fromUtf8(w.first) + "\n" + r.second));
        QVERIFY(SummaryBook::rebuild(readDbset()).ok);
        r = runCheck(db);
        QVERIFY2(r.first == 0, qPrintable(r.second));
    }
}

QTEST_MAIN(TestCheckDb)
#include "tst_checkdb.moc"
