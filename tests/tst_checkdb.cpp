#include <QtTest>
#include <QProcess>

#include "testsupport.h"

// The database check that an owner can run on a shop file.
class TestCheckDb : public QObject
{
    Q_OBJECT
private slots:
    void reportsDisagreements();
};

static QPair<int, QString> runCheck(const QString &db)
{
    QProcess p;
    p.start("bash", {QStringLiteral(MOCHEN_SOURCE_DIR "/scripts/check-db.sh"), db});
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError())};
}

void TestCheckDb::reportsDisagreements()
{
    TestWorkdir wd;
    const QString db = wd.path() + "/mochenxinxi.db";
    sqlExec("insert into huiyuan(ID,name,shengyujine) values('1001','甲',80),('1002','乙',50),('1003','丙',0)");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,xiangmumingchen,dangshikaneiyue,dangshikaneicishu) values"
            "('1001','',100,0),('1001','',80,0),('1002','',50,0),('1002','X1',50,3)");
    sqlExec("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) values('1002','X1',5,3,2)");
    auto r = runCheck(db);
    QCOMPARE(r.first, 0);
    QVERIFY2(r.second.contains("完整性检查: ok"), qPrintable(r.second));

    sqlExec("update huiyuan set shengyujine=70 where ID='1002'");
    sqlExec("update huiyuantaocan set shengyucishu=2 where huiyuanID='1002'");
    r = runCheck(db);
    QCOMPARE(r.first, 1);
    QVERIFY2(r.second.contains("1002 | 乙 | 70.0 | 50.0"), qPrintable(r.second));
    QVERIFY2(r.second.contains("1002 | X1 | 2.0 | 3.0"), qPrintable(r.second));
    QVERIFY(!r.second.contains("1001 |"));

    QCOMPARE(runCheck(wd.path() + "/none.db").first, 2);
}

QTEST_MAIN(TestCheckDb)
#include "tst_checkdb.moc"
