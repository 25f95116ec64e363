#include <QtTest>
#include <QSqlError>
#include <QSqlQuery>

#include "dbsetconfig.h"
#include "enginedriver.h"
#include "shopconnection.h"
#include "viewdeclarations.h"
#include "testsupport.h"

// The statements are written once, as both engines take them, and give the
// same answers on whichever engine the test runs (MOCHEN_TEST_PG points it at
// a server); what each engine writes its own way is asked of its driver.
class TestSqlDialect : public QObject
{
    Q_OBJECT
private slots:
    void sameAnswer_data();
    void sameAnswer();
    void triggersAndUpserts();
    void moneyKeepsItsCents();
    void numbersKeepWhatTheyHold();
    void summariesFollowRowsChangedTogether();
    void summariesFollowANewDocumentId();
    void ledgerDaysCountTheMembersOnFile();
    void tablesAsEachEngineWritesThem_data();
    void tablesAsEachEngineWritesThem();
    void rowsKeepTheirOrder();
    void settingsFile();
    void passwordFileMustBePrivate();
    void failuresAreClassified();
    void catalogueIsAskedOfTheDriver();
    void statementsAreWrittenForBothEngines();
    void everyStatementPrepares();
};

namespace {

struct Statement
{
    QString where; // file:line or dbset.xml:entry
    QString text;
    bool piece = false; // one literal of a statement built of several
    bool open = false;  // followed by more than its literals (a call's result added to it)
};

// Every statement as the shop ships it: the entries of dbset.xml, and the
// statement texts of the store's sources (each string literal on its own, so a
// statement built of pieces is seen piece by piece).
QList<Statement> shippedStatements()
{
    QList<Statement> all;
    const DbsetMap map = readDbset(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"));
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QVariant &v = it.value();
        QString sql;
        if (v.userType() == qMetaTypeId<CreateTableinfo>())
            sql = v.value<CreateTableinfo>().SqlStr;
        else if (v.userType() == qMetaTypeId<tempCreateTableinfo>())
            sql = v.value<tempCreateTableinfo>().SqlStr;
        else if (v.userType() == qMetaTypeId<CreateTriggerinfo>())
            sql = v.value<CreateTriggerinfo>().when + QLatin1Char(' ') + v.value<CreateTriggerinfo>().body;
        else if (v.userType() == qMetaTypeId<ComBoxinfo>())
            sql = v.value<ComBoxinfo>().SqlStr;
        else if (v.userType() == qMetaTypeId<TableViewinfo>())
            sql = v.value<TableViewinfo>().SqlStr;
        if (!sql.isEmpty())
            all << Statement{QStringLiteral("dbset.xml:") + it.key(), sql};
    }
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\\\n]|\\\\.)*)\""));
    // The functions' definitions are no statements of the shop.
    const QStringList skipped = {QStringLiteral("shopfunctions.cpp")};
    for (const char *folder : {"data", "ledger"}) {
        QDir dir(QStringLiteral(MOCHEN_SOURCE_DIR "/") + QLatin1String(folder));
        for (const QString &name : dir.entryList({QStringLiteral("*.cpp")}, QDir::Files, QDir::Name)) {
            if (skipped.contains(name))
                continue;
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
            for (QString &line : lines)
                if (line.trimmed().startsWith(QLatin1String("//")))
                    line.clear();
            const QString code = lines.join(QLatin1Char('\n'));
            // Pieces of one expression ("select … " "where … order by …", or
            // joined by + around a value or a choice) are one statement; a
            // comma, a semicolon or a brace between them ends it.
            static const QRegularExpression concatenated(
                QStringLiteral("^[\\s()+]*(?:QStringLiteral|QLatin1String)?[\\s(]*$"));
            static const QRegularExpression ends(QStringLiteral("[,;{}]"));
            Statement current;
            int previousEnd = -1;
            for (auto it = literal.globalMatch(code); it.hasNext();) {
                const auto m = it.next();
                const QString gap = previousEnd < 0 ? QString() : code.mid(previousEnd, m.capturedStart() - previousEnd);
                const QString where = QStringLiteral("%1/%2:%3")
                                          .arg(QLatin1String(folder), name)
                                          .arg(code.left(m.capturedStart()).count(QLatin1Char('\n')) + 1);
                all << Statement{where, m.captured(1), true};
                if (previousEnd >= 0 && concatenated.match(gap).hasMatch()) {
                    current.text += m.captured(1);
                } else if (previousEnd >= 0 && gap.contains(QLatin1Char('+')) && !ends.match(gap).hasMatch()) {
                    current.text += QStringLiteral(" ? ") + m.captured(1);
                } else {
                    current.open = gap.contains(QLatin1Char('+'));
                    if (!current.text.isEmpty())
                        all << current;
                    current = Statement{where, m.captured(1)};
                }
                previousEnd = m.capturedEnd();
            }
            if (!current.text.isEmpty())
                all << current;
        }
    }
    return all;
}

} // namespace

void TestSqlDialect::sameAnswer_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("coalesce") << "select coalesce(NULL, 'x')" << "x";
    // The shop's own functions, the same names on both engines.
    QTest::newRow("today") << "select mochen_today(0)" << QDate::currentDate().toString(Qt::ISODate);
    QTest::newRow("in a week") << "select mochen_today(7)" << QDate::currentDate().addDays(7).toString(Qt::ISODate);
    QTest::newRow("yesterday") << "select mochen_today(-1)" << QDate::currentDate().addDays(-1).toString(Qt::ISODate);
    QTest::newRow("days between") << "select mochen_day_number('2024-03-01 10:00:00')-mochen_day_number('2024-02-28')" << "2";
    QTest::newRow("day past the month's end") << "select mochen_day_number('2027-03-01')-mochen_day_number('2027-02-29')" << "0";
    QTest::newRow("the epoch") << "select mochen_day_number('1970-01-02')" << "1";
    QTest::newRow("date that is none")
        << "select case when mochen_day_number('2027-13-01') is null and mochen_day_number('') is null "
           "and mochen_day_number('2027-1-01') is null and mochen_day_number(NULL) is null then 'none' else 'date' end"
        << "none";
    QTest::newRow("group_concat") << "select group_concat(v, '、') from (select 'a' as v union all select 'b') t" << "a、b";
    QTest::newRow("group_concat of one") << "select group_concat(v) from (select 'a' as v union all select NULL) t" << "a";
    QTest::newRow("group_concat distinct")
        << "select group_concat(DISTINCT v) from (select 'a' as v union all select 'a') t" << "a";
    QTest::newRow("total of money") << "select round(total(x),2) from (select 0.1 as x union all select 0.2) t" << "0.3";
    QTest::newRow("round of a quotient") << "select round(cast(1 as double precision)/3, 2)" << "0.33";
    QTest::newRow("total of nothing") << "select total(x) from (select 1 as x) t where x > 5" << "0";
    QTest::newRow("whole number of a text") << "select mochen_int('12abc')" << "12";
    QTest::newRow("whole number of a sign") << "select mochen_int(' -3x')" << "-3";
    QTest::newRow("whole number of no number") << "select mochen_int('VIP01')" << "0";
    QTest::newRow("whole number of money") << "select mochen_int(12.75)" << "12";
    QTest::newRow("whole number past the range") << "select mochen_int('99999999999999999999')" << "9223372036854775807";
    QTest::newRow("whole number below the range") << "select mochen_int('-99999999999999999999x')" << "-9223372036854775808";
    QTest::newRow("whole number of nothing") << "select coalesce(cast(mochen_int(NULL) as text), 'none')" << "none";
    QTest::newRow("highest number") << "select max(mochen_int(v)) from (select '9' as v union all select '10') t" << "10";
    QTest::newRow("limit and offset") << "select v from (select 1 as v union all select 2 union all select 3) t order by v limit 1 offset 1" << "2";
    // The shop's rule for typed searches: Latin letters in either case.
    QTest::newRow("like ignores case") << "select count(*) from (select 'Anna' as n) t where lower(n) like lower('AN%')" << "1";
    QTest::newRow("count inside a subquery keeps the rows")
        << "select count(*) from (select k, (select count(*) from \"user\") as n from (select 'a' as k union all select 'b') t) u" << "2";
    QTest::newRow("user table") << "select count(*) from \"user\" where name='admin'" << "1";
}

void TestSqlDialect::sameAnswer()
{
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    TestWorkdir wd;
    QSqlQuery q;
    QVERIFY2(q.exec(sql), qPrintable(sql + " : " + q.lastError().text()));
    QVERIFY(q.next());
    QString got = q.value(0).toString();
    // A number may come back as 7 or 7.0 depending on the engine.
    bool isNumber = false;
    const double n = got.toDouble(&isNumber);
    if (isNumber && expected.toDouble() == n)
        got = expected;
    QCOMPARE(got, expected);
}

void TestSqlDialect::triggersAndUpserts()
{
    TestWorkdir wd;
    // The stock table follows its movements through the shipped triggers.
    sqlExec("insert into chanpinrukumingxi(rukuID,chanpinID,shuliang,jine) values('rk1','P1',5,50)");
    sqlExec("insert into chanpinrukumingxi(rukuID,chanpinID,shuliang,jine) values('rk2','P1',-2,-20)");
    QCOMPARE(sqlValue("select shuliang from chanpinkucun where chanpinID='P1'").toDouble(), 3.0);
    sqlExec("update chanpinrukumingxi set shuliang=4, jine=40 where rukuID='rk1'");
    QCOMPARE(sqlValue("select shuliang from chanpinkucun where chanpinID='P1'").toDouble(), 2.0);
    sqlExec("delete from chanpinrukumingxi where rukuID='rk2'");
    QCOMPARE(sqlValue("select jine from chanpinkucun where chanpinID='P1'").toDouble(), 40.0);
    sqlExec("INSERT INTO chanpinkucun(chanpinID) VALUES ('P1') ON CONFLICT DO NOTHING");
    QCOMPARE(sqlValue("select count(*) from chanpinkucun").toInt(), 1);
    // A trigger written by each engine: its condition holds it back, and a
    // statement of its body that fails fails the row that fired it.
    const EngineDriver &driver = EngineDriver::current();
    const CreateTriggerinfo refuse{"t", "no_logs", "log", "BEFORE INSERT", "NEW.log <> 'ok'",
                                   "UPDATE log SET log = log WHERE 1 = 0;\n"
                                   "INSERT INTO rihuizong_shouyin(riqi, laiyuan, fangshi) VALUES (NULL, 'x', 'y');", ""};
    const auto run = [](const QString &sql) {
        QSqlQuery q;
        QVERIFY2(q.exec(sql), qPrintable(sql + " : " + q.lastError().text()));
    };
    for (const QString &sql : driver.createTrigger(refuse))
        run(sql);
    QSqlQuery q;
    QVERIFY(!q.exec("insert into log(time,\"user\",log) values('t','u','l')"));
    sqlExec("insert into log(time,\"user\",log) values('t','u','ok')");
    QCOMPARE(sqlValue("select count(*) from log").toInt(), 1);
    QCOMPARE(sqlValue("select count(*) from rihuizong_shouyin").toInt(), 0);
    // Made twice (every start does) it is still one trigger; dropped, it is gone.
    for (const QString &sql : driver.createTrigger(refuse))
        run(sql);
    QVERIFY(!q.exec("insert into log(time,\"user\",log) values('t','u','l')"));
    run(driver.dropTrigger("no_logs", "log"));
    sqlExec("insert into log(time,\"user\",log) values('t','u','l')");
    QCOMPARE(sqlValue("select count(*) from log").toInt(), 2);
}

void TestSqlDialect::numbersKeepWhatTheyHold()
{
    TestWorkdir wd;
    // Points, rates, quantities and uses keep every decimal the program wrote,
    // on the server as in the file; money keeps its cents.
    sqlExec("insert into huiyuan(ID,name,shengyujine,jifen) values('m1','甲',12.5,0.125)");
    sqlExec("update huiyuan set jifen = jifen + 12.3456 where ID='m1'");
    sqlExec("insert into huiyuanka(name,jiage,fuwuzekou,chanpinzekou) values('金卡',1000,0.875,0.12345)");
    sqlExec("insert into huiyuanjifen(huiyuanid,jifenzengjia,shengyujifen) values('m1',0.005,12.4706)");
    sqlExec("insert into xiaofeimingxi(ID,shuliang,jine,jifen) values('d1',0.333,19.99,1.999)");
    sqlExec("insert into huiyuantaocan(huiyuanID,xiangmuID,shengyucishu) values('m1','F1',2.5)");
    QCOMPARE(sqlRows("select shengyujine, jifen from huiyuan"), (QList<QStringList>{{"12.5", "12.4706"}}));
    QCOMPARE(sqlRows("select fuwuzekou, chanpinzekou from huiyuanka"), (QList<QStringList>{{"0.875", "0.12345"}}));
    QCOMPARE(sqlValue("select jifenzengjia from huiyuanjifen"), QString("0.005"));
    QCOMPARE(sqlRows("select shuliang, jine, jifen from xiaofeimingxi"), (QList<QStringList>{{"0.333", "19.99", "1.999"}}));
    QCOMPARE(sqlValue("select shengyucishu from huiyuantaocan"), QString("2.5"));
    QCOMPARE(sqlValue("select count(*) from huiyuan where jifen = 12.4706"), QString("1"));
    // The daily summary adds the points of a sale as they are.
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,xiaofeijine,suodejifen) values('x1','m1','2026-05-01 10:00:00',10,0.75)");
    QCOMPARE(sqlValue("select jifen from rihuizong_xiaofei where riqi='2026-05-01'"), QString("0.75"));
}

// Several header rows of one document changed or deleted by one statement: the server
// runs the row triggers after the whole statement, each seeing none of the
// deleted rows, the file after each row; the document counts once, on the day
// (and member) of its first row left, on both.
void TestSqlDialect::summariesFollowRowsChangedTogether()
{
    TestWorkdir wd;
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,xiaofeijine,shishoujine,fukuanfangshi,beizhu) values "
            "('x1','m1','2026-05-01 10:00:00',30,30,'现金',''), ('x1','m1','2026-05-01 10:00:00',20,20,'微信',''), "
            "('x1','m2','2026-05-02 09:00:00',0,10,'现金',''), ('x1','m1','2026-05-03 09:00:00',0,5,'现金',''), "
            "('v1','m1','2026-05-01 11:00:00',-30,-30,'现金','作废冲销'), ('v1','m1','2026-05-03 11:00:00',0,0,'现金','')");
    const QString sales = QStringLiteral("select riqi, danshu from rihuizong_xiaofei order by riqi");
    const QString members = QStringLiteral("select riqi, huiyuanid, danshu, zuofei from rihuizong_huiyuan order by riqi, huiyuanid");
    QCOMPARE(sqlRows(sales), (QList<QStringList>{{"2026-05-01", "2"}, {"2026-05-02", "0"}, {"2026-05-03", "0"}}));
    // Rows changed together keep their order: the void moved whole to another member and back.
    sqlExec("update huiyuanxiaofei set huiyuanid='m3', beizhu='' where ID='v1'");
    QCOMPARE(summaryDifferences(), QString());
    sqlExec("update huiyuanxiaofei set huiyuanid='m1', beizhu=case when xiaofeiriqi like '2026-05-01%' then '作废冲销' else '' end "
            "where ID='v1'");
    QCOMPARE(summaryDifferences(), QString());
    // The first two rows of x1 go: it stands on its third row's day and member.
    sqlExec("delete from huiyuanxiaofei where ID='x1' and xiaofeiriqi='2026-05-01 10:00:00'");
    QCOMPARE(sqlRows(sales), (QList<QStringList>{{"2026-05-01", "1"}, {"2026-05-02", "1"}, {"2026-05-03", "0"}}));
    QCOMPARE(sqlRows(members), (QList<QStringList>{{"2026-05-01", "m1", "1", "1"},
                                                   {"2026-05-02", "m2", "1", "0"},
                                                   {"2026-05-03", "m1", "0", "0"}}));
    QCOMPARE(summaryDifferences(), QString());
    // Every row of both documents in one statement: nothing counts any more.
    sqlExec("delete from huiyuanxiaofei where ID in ('x1','v1')");
    QCOMPARE(sqlRows(sales), (QList<QStringList>{{"2026-05-01", "0"}, {"2026-05-02", "0"}, {"2026-05-03", "0"}}));
    QCOMPARE(sqlValue("select count(*) from rihuizong_huiyuan"), QString("0"));
    QCOMPARE(summaryDifferences(), QString());
}

// Header rows given another document's ID, one at a time and several in one
// statement: the document they leave stands on its next first row, the one they
// join on its first row's day, member and employees, on both engines.
void TestSqlDialect::summariesFollowANewDocumentId()
{
    TestWorkdir wd;
    sqlExec("insert into xiaofeimingxi(ID,xiaofeileixing,xiangmuID,shuliang,jine) values "
            "('a','服务项目','S1',1,30), ('b','服务项目','S2',1,20)");
    sqlExec("insert into tichengmingxi(yuangongID,xiangmuID,xiaofeiID,tichengfangshi,tichengjine,beizhu,titleID) values "
            "('E1','S1','a','点单提成',3,'消费提成','1'), ('E2','S2','b','轮单提成',2,'消费提成','1')");
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,xiaofeijine,shishoujine,fukuanfangshi,beizhu) values "
            "('a','m1','2026-05-01 10:00:00',30,30,'现金',''), ('a','m2','2026-05-02 10:00:00',0,10,'现金',''), "
            "('b','m3','2026-05-03 10:00:00',20,20,'现金',''), ('b','m3','2026-05-04 10:00:00',0,5,'现金',''), "
            "('v','m3','2026-05-04 11:00:00',-20,-20,'现金','作废冲销')");
    const QString sales = QStringLiteral("select riqi, danshu from rihuizong_xiaofei order by riqi");
    const QString members = QStringLiteral("select riqi, huiyuanid, danshu, zuofei from rihuizong_huiyuan order by riqi, huiyuanid");
    const QString work = QStringLiteral("select xiaofeiID, yuangongid, riqi, huiyuanid from rihuizong_yeji order by xiaofeiID, yuangongid");
    QCOMPARE(summaryDifferences(), QString());
    // a's first row joins b ahead of b's own: b stands on 05-01 with m1, a on its repayment's day.
    sqlExec("update huiyuanxiaofei set ID='b' where ID='a' and xiaofeiriqi='2026-05-01 10:00:00'");
    QCOMPARE(sqlRows(sales), (QList<QStringList>{{"2026-05-01", "1"}, {"2026-05-02", "1"}, {"2026-05-03", "0"}, {"2026-05-04", "1"}}));
    QCOMPARE(sqlRows(members), (QList<QStringList>{{"2026-05-01", "m1", "1", "0"}, {"2026-05-02", "m2", "1", "0"},
                                                   {"2026-05-03", "m3", "0", "0"}, {"2026-05-04", "m3", "1", "1"}}));
    QCOMPARE(sqlRows(work), (QList<QStringList>{{"a", "E1", "2026-05-02", "m2"}, {"b", "E2", "2026-05-01", "m1"}}));
    QCOMPARE(summaryDifferences(), QString());
    // Every row of b renamed in one statement, the void's row joined to a behind its first.
    sqlExec("update huiyuanxiaofei set ID='c' where ID='b'");
    QCOMPARE(summaryDifferences(), QString());
    sqlExec("update huiyuanxiaofei set ID='a' where ID='v'");
    QCOMPARE(sqlRows(members), (QList<QStringList>{{"2026-05-01", "m1", "1", "0"}, {"2026-05-02", "m2", "1", "0"},
                                                   {"2026-05-03", "m3", "0", "0"}, {"2026-05-04", "m3", "0", "0"}}));
    QCOMPARE(summaryDifferences(), QString());
    // Two documents' IDs swapped in one statement.
    sqlExec("update huiyuanxiaofei set ID=CASE WHEN ID='a' THEN 'c' ELSE 'a' END where ID in ('a','c')");
    QCOMPARE(sqlRows(sales), (QList<QStringList>{{"2026-05-01", "1"}, {"2026-05-02", "1"}, {"2026-05-03", "0"}, {"2026-05-04", "0"}}));
    // b's employee has no header row left to stand on.
    QCOMPARE(sqlRows(work), (QList<QStringList>{{"a", "E1", "2026-05-01", "m1"}}));
    QCOMPARE(summaryDifferences(), QString());
}

// The points and balance changes per day count the rows of members on file, as
// 积分变动 and 余额变动 join them to their member: not the walk-in customer's,
// not those of a member deleted, again those of a number given to a member; the
// payments per member, day and kind follow a payment moved to another member,
// day or kind; the sales of a year likewise count the members on file. On each
// engine, rows changed several at a time.
void TestSqlDialect::ledgerDaysCountTheMembersOnFile()
{
    TestWorkdir wd;
    sqlExec("insert into huiyuan(ID,name) values('m1','甲'), ('m2','乙')");
    sqlExec("insert into huiyuanjifen(huiyuanid,biandongriqi,jifenzengjia,jifenjianshao,shengyujifen) values "
            "('m1','2026-05-01 10:00:00',10,0,10), ('m1','2026-05-02 10:00:00',0,2.5,7.5), "
            "('m2','2026-05-01 11:00:00',3,0,3), ('0000','2026-05-01 12:00:00',99,0,99)");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,yuezengjia,cishuzengjia,cishujianshao,dangshikaneicishu) values "
            "('m1','2026-05-01 10:00:00',100,5,0,5), ('m2','2026-05-01 11:00:00',0,0,1,4), ('0000','2026-05-01 12:00:00',0,7,0,7)");
    sqlExec("insert into huiyuanjiaofei(ID,huiyuanid,jiaofeiriqi,jiaofeileixing,shifujine) values "
            "('J1','m1','2026-05-01 09:00:00','会员充值',100.05), ('J2','m1','2026-05-01 15:00:00','会员充值',0.1), "
            "('J3','m2','2026-05-02 09:00:00','套餐交费',300)");
    sqlExec("insert into huiyuanxiaofei(ID,huiyuanid,xiaofeiriqi,xiaofeijine,shishoujine,fukuanfangshi,beizhu) values "
            "('x1','m1','2025-12-31 10:00:00',30,30,'现金',''), ('x2','m1','2026-05-01 10:00:00',20,20,'现金',''), "
            "('x3','0000','2026-05-01 11:00:00',7,7,'现金',''), ('x4','m2','2026-05-02 09:00:00',10,10,'微信','')");
    const QString years = QStringLiteral("select nian, huiyuanshu, danshu, xiaofei_fen from rihuizong_nianheji "
                                         "where huiyuanshu<>0 order by nian");
    QCOMPARE(sqlRows(years), (QList<QStringList>{{"2025", "1", "1", "3000"}, {"2026", "2", "2", "3000"}}));
    const QString points = QStringLiteral("select riqi, bishu, zengjia, jianshao, shengyu from rihuizong_jifen "
                                          "where bishu<>0 order by riqi");
    const QString balance = QStringLiteral("select riqi, bishu, cishu_zj, cishu_js, cishu_sy from rihuizong_biandong "
                                           "where bishu<>0 order by riqi");
    const QString payments = QStringLiteral("select riqi, huiyuanid, leixing, bishu, shifu_fen from rihuizong_jiaofei "
                                            "order by riqi, huiyuanid, leixing");
    QCOMPARE(sqlRows(points), (QList<QStringList>{{"2026-05-01", "2", "13", "0", "13"}, {"2026-05-02", "1", "0", "2.5", "7.5"}}));
    QCOMPARE(sqlRows(balance), (QList<QStringList>{{"2026-05-01", "2", "5", "1", "9"}}));
    QCOMPARE(sqlRows(payments), (QList<QStringList>{{"2026-05-01", "m1", "会员充值", "2", "10015"},
                                                    {"2026-05-02", "m2", "套餐交费", "1", "30000"}}));
    QCOMPARE(summaryDifferences(), QString());
    // A member deleted takes their rows out; given a number that has rows, they come in.
    sqlExec("delete from huiyuan where ID='m1'");
    QCOMPARE(sqlRows(points), (QList<QStringList>{{"2026-05-01", "1", "3", "0", "3"}}));
    QCOMPARE(sqlRows(years), (QList<QStringList>{{"2026", "1", "1", "1000"}}));
    QCOMPARE(summaryDifferences(), QString());
    sqlExec("update huiyuan set ID='0000' where ID='m2'");
    QCOMPARE(sqlRows(balance), (QList<QStringList>{{"2026-05-01", "1", "7", "0", "7"}}));
    QCOMPARE(sqlRows(years), (QList<QStringList>{{"2026", "1", "1", "700"}}));
    QCOMPARE(summaryDifferences(), QString());
    sqlExec("insert into huiyuan(ID,name) values('m1','甲'), ('m2','乙')");
    QCOMPARE(summaryDifferences(), QString());
    // Rows moved to another member, day and kind, several in one statement, then deleted.
    sqlExec("update huiyuanjifen set huiyuanid='m2', biandongriqi='2026-05-03 08:00:00' where huiyuanid in ('m1','0000')");
    sqlExec("update huiyuanyuebiandong set huiyuanid=case when huiyuanid='m1' then 'nobody' else 'm1' end");
    sqlExec("update huiyuanjiaofei set huiyuanid='m2', jiaofeileixing='套餐交费', jiaofeiriqi='2026-05-02 10:00:00', "
            "shifujine=shifujine+1 where ID in ('J1','J2')");
    sqlExec("update huiyuanxiaofei set huiyuanid='m2', xiaofeiriqi='2026-06-01 10:00:00' where ID in ('x1','x3')");
    QCOMPARE(sqlRows(years), (QList<QStringList>{{"2026", "2", "4", "6700"}}));
    QCOMPARE(sqlRows(payments), (QList<QStringList>{{"2026-05-02", "m2", "套餐交费", "3", "40215"}}));
    QCOMPARE(summaryDifferences(), QString());
    sqlExec("delete from huiyuanjifen where huiyuanid='m2' and jifenzengjia>0");
    sqlExec("delete from huiyuanyuebiandong");
    sqlExec("delete from huiyuanjiaofei where ID in ('J1','J3')");
    sqlExec("delete from huiyuanxiaofei where huiyuanid='m2'");
    QCOMPARE(sqlRows(years), (QList<QStringList>{{"2026", "1", "1", "2000"}}));
    QCOMPARE(sqlRows(points), (QList<QStringList>{{"2026-05-03", "1", "0", "2.5", "7.5"}}));
    QCOMPARE(sqlRows(balance), QList<QStringList>());
    QCOMPARE(sqlRows(payments), (QList<QStringList>{{"2026-05-02", "m2", "套餐交费", "1", "110"}}));
    QCOMPARE(summaryDifferences(), QString());
}

void TestSqlDialect::tablesAsEachEngineWritesThem_data()
{
    QTest::addColumn<QString>("declared");
    QTest::addColumn<QString>("sqlite");
    QTest::addColumn<QString>("server");
    QTest::newRow("money and points")
        << "CREATE TABLE IF NOT EXISTS t (ID TEXT PRIMARY KEY, jine MONEY, jifen REAL, n INTEGER NOT NULL DEFAULT 0)"
        << "CREATE TABLE IF NOT EXISTS t (ID TEXT PRIMARY KEY, jine REAL, jifen REAL, n INTEGER NOT NULL DEFAULT 0)"
        << "CREATE TABLE IF NOT EXISTS t (ID text PRIMARY KEY, jine numeric(14,2), jifen numeric, n bigint NOT NULL DEFAULT 0, rowid bigserial)";
    QTest::newRow("identity, a reserved name, a table key")
        << "CREATE TABLE IF NOT EXISTS user (ID INTEGER PRIMARY KEY AUTOINCREMENT, user TEXT, b MONEY DEFAULT 0, PRIMARY KEY (user, b))"
        << "CREATE TABLE IF NOT EXISTS user (ID INTEGER PRIMARY KEY AUTOINCREMENT, user TEXT, b REAL DEFAULT 0, PRIMARY KEY (user, b))"
        << "CREATE TABLE IF NOT EXISTS \"user\" (ID bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, \"user\" text, b numeric(14,2) DEFAULT 0, PRIMARY KEY (\"user\", b), rowid bigserial)";
    QTest::newRow("working table, a default with a comma")
        << "CREATE TEMP TABLE IF NOT EXISTS tempt (a TEXT DEFAULT 'x,y', money MONEY)"
        << "CREATE TEMP TABLE IF NOT EXISTS tempt (a TEXT DEFAULT 'x,y', money REAL)"
        << "CREATE TEMP TABLE IF NOT EXISTS tempt (a text DEFAULT 'x,y', money numeric(14,2), rowid bigserial)";
    QTest::newRow("not a table") << "CREATE INDEX IF NOT EXISTS i ON t(jine)" << "CREATE INDEX IF NOT EXISTS i ON t(jine)"
                                 << "CREATE INDEX IF NOT EXISTS i ON t(jine)";
}

void TestSqlDialect::tablesAsEachEngineWritesThem()
{
    QFETCH(QString, declared);
    QFETCH(QString, sqlite);
    QFETCH(QString, server);
    QCOMPARE(EngineDriver::sqlite().createTable(declared), sqlite);
    QCOMPARE(EngineDriver::postgres().createTable(declared), server);
}

void TestSqlDialect::moneyKeepsItsCents()
{
    TestWorkdir wd;
    // Ten top-ups of 0.10 are 1 exactly on the server, where money is numeric.
    sqlExec("insert into huiyuan(ID,name,shengyujine) values('m1','甲',0)");
    for (int i = 0; i < 10; ++i)
        sqlExec("update huiyuan set shengyujine = shengyujine + 0.1 where ID='m1'");
    if (EngineDriver::current().isServer()) {
        QCOMPARE(sqlValue("select case when shengyujine = 1 then 'exact' else 'drift' end from huiyuan"), QString("exact"));
        QCOMPARE(sqlValue("select data_type from information_schema.columns where table_name='huiyuan' "
                          "and column_name='shengyujine'"),
                 QString("numeric"));
    }
    // Money reads back as a number the program formats as it always did.
    QCOMPARE(qRound64(sqlValue("select shengyujine from huiyuan").toDouble() * 100), qint64(100));
}

void TestSqlDialect::rowsKeepTheirOrder()
{
    TestWorkdir wd;
    // Lines come back in the order they were rung up, also after one of them
    // changed (the server writes a changed row elsewhere), and a row's number
    // compares as a number.
    sqlExec("insert into xiaofeimingxi(ID,name) values('d1','a'),('d1','b'),('d1','c')");
    sqlExec("update xiaofeimingxi set jine=5 where name='a'");
    QCOMPARE(sqlValue("select group_concat(name,'') from (select name from xiaofeimingxi order by rowid) t"), QString("abc"));
    QCOMPARE(sqlRows("select name from xiaofeimingxi where ID='d1' order by rowid"), (QList<QStringList>{{"a"}, {"b"}, {"c"}}));
    sqlExec("update \"user\" set password=password where name='admin'");
    sqlExec("insert into \"user\"(name) values('b')");
    QCOMPARE(sqlValue("select name from \"user\" order by rowid"), QString("admin"));
    const QString first = sqlValue("select min(rowid) from xiaofeimingxi");
    QCOMPARE(sqlValue("select count(*) from xiaofeimingxi where rowid>" + first).toInt(), 2);
    sqlExec(EngineDriver::current().createTable("CREATE TEMP TABLE IF NOT EXISTS scratch (v TEXT)"));
    sqlExec("insert into scratch values('x'),('y')");
    sqlExec("update scratch set v='z' where v='x'");
    QCOMPARE(sqlValue("select group_concat(v,'') from (select v from scratch order by rowid) t"), QString("zy"));
}

void TestSqlDialect::settingsFile()
{
    const ShopConnection c = ShopConnection::parse(
        "[database]\nengine=postgresql\nhost=10.0.0.5\nport=5433\ndatabase=shop\nuser=cashier\ndesk=前台2\n");
    QVERIFY(c.problem.isEmpty());
    QVERIFY(c.postgres);
    QCOMPARE(c.port, 5433);
    QCOMPARE(c.statusText(), QString("数据库：PostgreSQL cashier@10.0.0.5:5433/shop　收银台：前台2"));
    QVERIFY(!ShopConnection::parse("engine=postgresql\ndatabase=x\npassword=secret").problem.isEmpty());
    QVERIFY(!ShopConnection::parse("engine=oracle").problem.isEmpty());
    QVERIFY(!ShopConnection::parse("engine=postgresql\nport=http").problem.isEmpty());
    QVERIFY(!ShopConnection::parse("engine=postgresql").problem.isEmpty());
    const ShopConnection plain = ShopConnection::parse(QString());
    QVERIFY(!plain.postgres);
    QCOMPARE(plain.engineText(), QString("SQLite mochenxinxi.db"));
}

void TestSqlDialect::passwordFileMustBePrivate()
{
    QTemporaryDir dir;
    QFile f(dir.filePath("pw"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("s3cret\n");
    f.close();
    ShopConnection c = ShopConnection::parse("engine=postgresql\ndatabase=x");
    c.passwordFile = f.fileName();
    qunsetenv("MOCHEN_DB_PASSWORD");
    QString problem;
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    QCOMPARE(c.password(&problem), QString());
    QVERIFY(problem.contains("chmod 600"));
    problem.clear();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(c.password(&problem), QString("s3cret"));
    QVERIFY(problem.isEmpty());
    qputenv("MOCHEN_DB_PASSWORD", "fromenv");
    QCOMPARE(c.password(&problem), QString("fromenv"));
    qunsetenv("MOCHEN_DB_PASSWORD");
}

void TestSqlDialect::failuresAreClassified()
{
    const QSqlError conflict("could not serialize access", "QPSQL: Unable to create query", QSqlError::StatementError, "40001");
    QVERIFY(EngineDriver::isRetryable(conflict));
    QVERIFY(!EngineDriver::isConnectionLost(conflict));
    const QSqlError gone("server closed the connection unexpectedly", "", QSqlError::ConnectionError, "08006");
    QVERIFY(EngineDriver::isConnectionLost(gone));
    QVERIFY(!EngineDriver::isRetryable(gone));
    // SQLite's codes are no SQLSTATEs.
    const QSqlError locked("database is locked", "", QSqlError::StatementError, "5");
    QVERIFY(!EngineDriver::isRetryable(locked));
    QCOMPARE(EngineDriver::errorText(locked), locked.text());
    // A desk's working table gone with its session is a server's fault only.
    const QString missing = "ERROR:  relation \"tempxiaofeimingxi\" does not exist [SQLSTATE 42P01]";
    QVERIFY(EngineDriver::postgres().isWorkingTableMissing(missing));
    QVERIFY(!EngineDriver::sqlite().isWorkingTableMissing(missing));
    QVERIFY(!EngineDriver::postgres().isWorkingTableMissing("ERROR:  relation \"huiyuan\" does not exist"));
}

void TestSqlDialect::catalogueIsAskedOfTheDriver()
{
    TestWorkdir wd;
    const EngineDriver &driver = EngineDriver::current();
    QCOMPARE(driver.isServer(), EngineDriver::current().isServer());
    // The shop's tables, views and indexes by name, whatever the case.
    QVERIFY(driver.hasTable("huiyuan"));
    QVERIFY(driver.hasTable("HuiYuan"));
    QVERIFY(driver.hasTable("user"));
    QVERIFY(!driver.hasTable("cuxiao")); // a view
    QVERIFY(driver.hasView("cuxiao"));
    QVERIFY(!driver.hasView("huiyuan"));
    QVERIFY(driver.hasIndex("idx_huiyuan_phone"));
    QVERIFY(!driver.hasIndex("huiyuan"));
    QVERIFY(!driver.hasTable("no_such_table"));
    // The connection's own working tables count, a name in a text does not.
    QVERIFY(driver.hasTable("tempxiaofeimingxi"));
    sqlExec("CREATE TEMP TABLE IF NOT EXISTS scratch_o (v TEXT)");
    QVERIFY(driver.hasTable("scratch_o"));
    sqlExec("DROP TABLE scratch_o");
    QVERIFY(!driver.hasTable("scratch_o"));
    QVERIFY(!driver.hasTable("huiyuan' or '1'='1"));
    // Columns in their order, in lower case.
    QVERIFY(driver.hasColumn("chanpin", "kucunxiaxian"));
    QVERIFY(driver.hasColumn("chanpin", "KucunXiaxian"));
    QVERIFY(!driver.hasColumn("chanpin", "no_column"));
    QCOMPARE(driver.columns(QSqlDatabase::database(), "log").mid(0, 3), (QStringList{"time", "user", "log"}));
    QCOMPARE(driver.columns(QSqlDatabase::database(), "no_such_table"), QStringList());
}

namespace {

// Index of the parenthesis closing the one at `open`, or -1.
int closing(const QString &s, int open)
{
    int depth = 0;
    for (int i = open; i < s.size(); ++i) {
        if (s.at(i) == QLatin1Char('('))
            ++depth;
        else if (s.at(i) == QLatin1Char(')') && --depth == 0)
            return i;
    }
    return -1;
}

// Whether the keyword stands at depth 0 of code[from, end).
bool keywordAtTop(const QString &code, int from, const QRegularExpression &re)
{
    int depth = 0;
    for (int i = from; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')')) {
            if (--depth < 0)
                return false;
        } else if (depth == 0 && (i == 0 || !(code.at(i - 1).isLetterOrNumber() || code.at(i - 1) == QLatin1Char('_')))
                   && re.match(code, i, QRegularExpression::NormalMatch, QRegularExpression::AnchoredMatchOption).hasMatch()) {
            return true;
        }
    }
    return false;
}

// The statement with its text literals emptied: a remark reading 'from (select'
// is no subquery, a member called 'user' no table.
QString withoutLiterals(const QString &sql)
{
    static const QRegularExpression literal(QStringLiteral("'(?:[^']|'')*'"));
    QString code = sql;
    return code.replace(literal, QStringLiteral("''"));
}

// A read of one table that names no order: on the server its rows come in the
// order they lie on disk, which an update changes. It needs no order when it
// can only find one row (its table's key fixed, no OR) or only asks whether a
// row is there (select 1).
bool unorderedRead(const QString &code, const QMap<QString, QStringList> &keys, const QSet<QString> &views)
{
    static const QRegularExpression plain(
        QStringLiteral("^\\s*select\\s+(?!distinct\\b)(.*?)\\bfrom\\s+\"?(\\w+)\"?(?:\\s+(?:as\\s+)?(?!where\\b|limit\\b)\\w+)?"
                       "\\s*(?:$|where\\s+(.*?)\\s*(?:limit\\s+\\S+\\s*)?$|limit\\b)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression shaped(QStringLiteral("(order\\s+by|group\\s+by|union|except|intersect|join|for\\s+update)\\b|,"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression aggregate(QStringLiteral("\\b(count|sum|min|max|avg|total|group_concat|string_agg)\\s*\\("),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression constants(QStringLiteral("^[\\s\\d?,]+$"));
    static const QRegularExpression anyOr(QStringLiteral("\\bor\\b"), QRegularExpression::CaseInsensitiveOption);
    const auto m = plain.match(code);
    if (!m.hasMatch() || views.contains(m.captured(2).toLower()) || aggregate.match(m.captured(1)).hasMatch()
        || m.captured(1).count(QLatin1Char('(')) != m.captured(1).count(QLatin1Char(')'))
        || keywordAtTop(code, m.capturedStart(2), shaped) || constants.match(m.captured(1)).hasMatch())
        return false;
    const QString where = m.captured(3);
    if (where.isEmpty() || anyOr.match(where).hasMatch())
        return true;
    for (const QString &key : keys.value(m.captured(2).toLower())) {
        const QRegularExpression fixed(QStringLiteral("(^|\\(|\\band\\s+)(\\w+\\.)?%1\\s*=\\s*(\\?|'[^']*'|:\\w+)").arg(key),
                                       QRegularExpression::CaseInsensitiveOption);
        if (fixed.match(where).hasMatch())
            return false;
    }
    return true;
}

// A subquery in FROM or JOIN without a name, which the server refuses.
bool unnamedSubquery(const QString &code)
{
    static const QRegularExpression fromSub(QStringLiteral("\\b(from|join)\\s*\\(\\s*select\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression unnamed(QStringLiteral("^\\s*($|\\)|,|;|(where|group|order|limit|union|join|left|inner|cross|on|having)\\b)"),
                                            QRegularExpression::CaseInsensitiveOption);
    for (auto it = fromSub.globalMatch(code); it.hasNext();) {
        const int open = code.indexOf(QLatin1Char('('), it.next().capturedStart());
        const int close = closing(code, open);
        if (close > 0 && unnamed.match(code.mid(close + 1, 40)).hasMatch())
            return true;
    }
    return false;
}

// The lists of dbset.xml as the windows compose them: whole, with their
// default condition, and their 合计.
QList<Statement> composedLists(const QList<Statement> &statements)
{
    QList<Statement> lists;
    for (const Statement &s : statements) {
        const QString name = s.where.mid(QStringLiteral("dbset.xml:").size());
        const ViewDeclaration *d = s.where.startsWith(QLatin1String("dbset.xml:")) ? ViewDeclarations::find(name) : nullptr;
        if (!d)
            continue;
        lists << Statement{s.where + QStringLiteral("（列表）"), ViewDeclarations::statement(s.text, name, ViewFilter())}
              << Statement{s.where + QStringLiteral("（默认条件）"), ViewDeclarations::statement(s.text, name, d->defaultFilter())};
        const QString totals = ViewDeclarations::totalsStatement(name, ViewFilter());
        if (!totals.isEmpty())
            lists << Statement{s.where + QStringLiteral("（合计）"), totals};
    }
    return lists;
}

const QRegularExpression &ddl()
{
    static const QRegularExpression re(QStringLiteral("^\\s*(CREATE|DROP|ALTER)\\b"), QRegularExpression::CaseInsensitiveOption);
    return re;
}

const QRegularExpression &dml()
{
    static const QRegularExpression re(QStringLiteral("^\\s*(select|insert|update|delete|with)\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re;
}

// The checks and upgrades of a shop file and each engine's own catalogue
// look-ups: statements of one engine, never run on the other.
bool oneEngineOnly(const Statement &s)
{
    static const QRegularExpression re(QStringLiteral("^data/(dbhealth|schemaupgrade|dbsetconfig|sqlitedriver|postgresdriver)\\.cpp:"));
    return re.match(s.where).hasMatch();
}

} // namespace

// Nothing rewrites a statement on its way to the server: what the store and
// dbset.xml hold is written as both engines take it.
void TestSqlDialect::statementsAreWrittenForBothEngines()
{
    // SQLite's own functions, which the server lacks (the shop's are in
    // shopfunctions.h under the same name on both).
    static const QRegularExpression sqliteOnly(
        QStringLiteral("\\b(ifnull|strftime|julianday|datetime|date|time|char|instr|printf|iif|unicode)\\s*\\("),
        QRegularExpression::CaseInsensitiveOption);
    // SQLite's spellings the server reads otherwise or not at all: `name`, ==,
    // a LIKE against a typed text whose letters the server would compare by
    // case (the shop's searches say lower(column) like lower(?)), AS REAL
    // (single precision there: money loses its cents), LIMIT offset, count and
    // INSERT OR IGNORE (ON CONFLICT DO NOTHING on both).
    static const QRegularExpression sqliteSpelling(QStringLiteral("`\\w+`|==|\\blike\\s+\\?|\\bas\\s+real\\b|\\blimit\\s+\\d+\\s*,"
                                                                  "|\\binsert\\s+or\\s+\\w+"),
                                                   QRegularExpression::CaseInsensitiveOption);
    // The table and the columns called user, a reserved word on the server, unquoted
    // (a column label after AS may be any word).
    static const QRegularExpression bareUser(QStringLiteral("(?<![\"\\w.])(?<!\\bas )user(?![\"\\w])"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QList<Statement> statements = shippedStatements();
    QVERIFY(statements.size() > 500);
    // The tables' keys say which reads find one row at most.
    QMap<QString, QStringList> keys;
    QSet<QString> views;
    static const QRegularExpression table(QStringLiteral("^\\s*CREATE\\s+(?:TEMP\\s+)?TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression key(QStringLiteral("[(,]\\s*(\\w+)\\s+\\w+\\s+(?:NOT\\s+NULL\\s+)?(?:PRIMARY\\s+KEY|UNIQUE)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression view(QStringLiteral("^\\s*CREATE\\s+(?:TEMP\\s+)?VIEW\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    for (const Statement &s : statements) {
        if (const auto t = table.match(s.text); t.hasMatch())
            for (auto k = key.globalMatch(s.text); k.hasNext();)
                keys[t.captured(1).toLower()] << k.next().captured(1);
        if (const auto v = view.match(s.text); v.hasMatch())
            views << v.captured(1).toLower();
    }
    // Heads of statements their callers finish ("select … from t " + "where ID=?")
    // and rows other statements read from (FROM (…), IN (…)) name no order of their own.
    static const QRegularExpression fragment(QStringLiteral("^ledger/(summarybook\\.cpp:|ownerfigures\\.cpp:148$)"));
    QStringList found;
    for (const Statement &s : statements + composedLists(statements)) {
        const bool dbset = s.where.startsWith(QLatin1String("dbset.xml"));
        if (s.piece || dbset) {
            for (const QRegularExpression *re : {&sqliteOnly, &sqliteSpelling}) {
                const auto m = re->match(s.text);
                if (m.hasMatch())
                    found << s.where + QStringLiteral("：") + m.captured(0);
            }
        }
        // A table's DDL is the drivers' to write; a list of dbset.xml is read as composed.
        if (s.piece || oneEngineOnly(s) || (!dbset && !dml().match(s.text).hasMatch())
            || (dbset && ddl().match(s.text).hasMatch() && !s.text.contains(QLatin1String(" AS "), Qt::CaseInsensitive)))
            continue;
        const QString code = withoutLiterals(QString(s.text).replace(QStringLiteral("\\\""), QStringLiteral("\"")));
        if (const auto m = bareUser.match(code); m.hasMatch())
            found << s.where + QStringLiteral("：") + code.mid(qMax(0, m.capturedStart() - 20), 40);
        if (unnamedSubquery(code))
            found << s.where + QStringLiteral("：子查询没有名字 ") + code.left(80);
        const bool composed = s.where.contains(QChar(0xFF08));
        if ((!dbset || composed) && !ddl().match(code).hasMatch() && !fragment.match(s.where).hasMatch()
            && !s.text.endsWith(QLatin1Char(' ')) && (!dbset || ViewDeclarations::find(s.where.mid(10).section(QChar(0xFF08), 0, 0)))
            && unorderedRead(code, keys, views))
            found << s.where + QStringLiteral("：没有 ORDER BY ") + code.left(80);
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

// Every statement of dbset.xml (as the windows compose its lists) and every
// whole statement of the store is one this engine takes as it is written: on
// the server a bare user, a subquery without a name or a column beside GROUP
// BY that no aggregate names is refused here.
void TestSqlDialect::everyStatementPrepares()
{
    TestWorkdir wd;
    const QList<Statement> statements = shippedStatements();
    QList<Statement> asked = composedLists(statements);
    const DbsetMap map = readDbset();
    for (const Statement &s : statements) {
        const QString name = s.where.mid(QStringLiteral("dbset.xml:").size());
        if (s.where.startsWith(QLatin1String("dbset.xml:"))) {
            // Tables, views and triggers are made by the start itself.
            if (!ViewDeclarations::find(name) && dml().match(s.text).hasMatch()
                && map.value(name).userType() != qMetaTypeId<CreateTriggerinfo>())
                asked << s;
            continue;
        }
        // A whole statement of the store's sources: no piece, no head a
        // caller finishes, nothing filled in by arg().
        if (!s.piece && !s.open && dml().match(s.text).hasMatch() && !oneEngineOnly(s) && !s.text.endsWith(QLatin1Char(' '))
            && !s.text.contains(QLatin1Char('%')) && !s.text.contains(QLatin1String(" ? ")))
            asked << Statement{s.where, QString(s.text).replace(QStringLiteral("\\\""), QStringLiteral("\""))};
    }
    QStringList failed;
    for (const Statement &s : asked) {
        QSqlQuery q;
        if (!q.prepare(s.text))
            failed << s.where + QStringLiteral("：") + q.lastError().text().left(160) + QStringLiteral("\n    ") + s.text.left(160);
    }
    QVERIFY2(asked.size() > 400, qPrintable(QString::number(asked.size())));
    QVERIFY2(failed.isEmpty(), qPrintable(failed.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestSqlDialect)
#include "tst_sqldialect.moc"
