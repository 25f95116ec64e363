#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QtTest>

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "enginedriver.h"
#include "schemaupgrade.h"
#include "shopgenerator.h"
#include "takingstree.h"
#include "viewdeclarations.h"
#include "testsupport.h"

// A shop moved from its SQLite file onto a server shows the owner the same
// figures there: the takings tree of 综合统计 over the whole history and over
// single months, line by line.
class TestMigrate : public QObject
{
    Q_OBJECT
private slots:
    void movedShopShowsTheSameTakings();
    void olderServerTablesGetTheirColumns();
    void changedTriggersAndViewsReachAnOlderShop();
};

namespace {
// "收银总计/现金" → "1234.5" for every line of the tree.
QMap<QString, QString> treeOf(const QStandardItemModel &model)
{
    QMap<QString, QString> out;
    for (int r = 0; r < model.rowCount(); ++r) {
        const QString top = model.item(r, 0)->text();
        out.insert(top, model.item(r, 1)->text());
        for (int c = 0; c < model.item(r, 0)->rowCount(); ++c)
            out.insert(top + QLatin1Char('/') + model.item(r, 0)->child(c, 0)->text(), model.item(r, 0)->child(c, 1)->text());
    }
    return out;
}

using Periods = QList<QPair<QString, QString>>;

QList<QMap<QString, QString>> takings(const Periods &periods)
{
    createTables(); // the working table of the tree
    QList<QMap<QString, QString>> trees;
    for (const auto &p : periods) {
        QStandardItemModel model;
        TakingsTree::build(&model, TakingsRead::period(p.first, p.second));
        trees << treeOf(model);
    }
    return trees;
}
} // namespace

void TestMigrate::movedShopShowsTheSameTakings()
{
    const QString server = qEnvironmentVariable("MOCHEN_TEST_PG");
    if (server.isEmpty())
        QSKIP("needs a server (MOCHEN_TEST_PG, see scripts/test-pg.sh)");
    TestWorkdir wd(false); // the server's side: an empty schema of this test

    // The shop as it was: a demo shop in its own SQLite file.
    const QString fileShop = wd.openFileShop();
    QVERIFY(!fileShop.isEmpty());
    ShopScale scale;
    QVERIFY(ShopScale::fromName(QStringLiteral("demo"), &scale));
    ShopGenerator gen(scale, 7, QDate(2026, 3, 31));
    QString error;
    QVERIFY2(gen.run(&error), qPrintable(error));

    const Periods periods = {{QStringLiteral("2000-01-01"), QStringLiteral("2099-12-31 23:59:59")},
                             {QStringLiteral("2026-03-01"), QStringLiteral("2026-03-15 23:59:59")},
                             {QStringLiteral("2026-03-31"), QStringLiteral("2026-03-31 23:59:59")}};
    const QList<QMap<QString, QString>> before = takings(periods);
    QVERIFY(before.at(0).value(QStringLiteral("收银总计")).toDouble() > 0);
    QVERIFY(before.at(1).value(QStringLiteral("收银总计")).toDouble() > 0);

    // Moved with the owner's command into this test's schema.
    const QString told = wd.migrateToServer(fileShop);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(told.contains(QStringLiteral("各表行数与金额合计一致")), qPrintable(told));
    const QList<QMap<QString, QString>> after = takings(periods);
    for (int i = 0; i < periods.size(); ++i)
        QCOMPARE(after.at(i), before.at(i));
    QCOMPARE(bookProblems(), QStringList());

    // Every list of the main window opens on the server with its default condition.
    const DbsetMap map = readDbset();
    for (const ViewDeclaration &d : ViewDeclarations::all()) {
        QSqlQuery q;
        const QString sql = ViewDeclarations::statement(dbsetEntry<TableViewinfo>(map, d.name).SqlStr, d.name,
                                                        d.defaultFilter());
        QVERIFY2(q.exec(sql), qPrintable(d.name + QStringLiteral("：") + q.lastError().text()));
    }
}

void TestMigrate::olderServerTablesGetTheirColumns()
{
    if (qEnvironmentVariableIsEmpty("MOCHEN_TEST_PG"))
        QSKIP("needs a server (MOCHEN_TEST_PG, see scripts/test-pg.sh)");
    TestWorkdir wd(false);
    QVERIFY(openDatabase());
    // Members and operators as an older program left them: fewer columns and
    // no row numbers.
    QSqlQuery q;
    QVERIFY(q.exec("CREATE TABLE huiyuan (id text primary key, name text, shengyujine numeric(14,2), jifen numeric(14,2))"));
    QVERIFY(q.exec("INSERT INTO huiyuan VALUES ('1001','甲',12.5,3.25),('1002','乙',0,0)"));
    // Points and rates rounded to two and four places, as the server's
    // tables were made before, with the promotions' view standing on them.
    QVERIFY(q.exec("CREATE TABLE cuxiaoshezhi (xiangmuid text, xiangmuleixing text, starttime text, endtime text, "
                   "huiyuanleixing text, cuxiaofangshi text, cuxiaobili numeric(14,4), cuxiaojiner numeric(14,2), rowid bigserial)"));
    QVERIFY(q.exec("INSERT INTO cuxiaoshezhi VALUES ('F1','项目','2000-01-01','2099-12-31','所有会员','按比例促销',0.8765,0)"));
    QVERIFY(q.exec("CREATE VIEW cuxiao AS SELECT xiangmuid, cuxiaobili FROM cuxiaoshezhi"));
    QVERIFY(q.exec("CREATE TABLE \"user\" (id integer generated by default as identity primary key, name text, password text)"));
    QVERIFY(q.exec("INSERT INTO \"user\"(name,password) VALUES ('admin','x')"));

    QCOMPARE(upgradeServerSchema(readDbset()), QString());
    createTables();
    const auto columns = [](const char *table) {
        QStringList out;
        for (const QStringList &r : sqlRows(QString("select lower(column_name) || ' ' || data_type from information_schema.columns "
                                                    "where table_schema = current_schema() and table_name = '%1'").arg(table)))
            out << r.value(0);
        return out;
    };
    QVERIFY(columns("huiyuan").contains("jifen numeric"));
    QVERIFY(columns("huiyuan").contains("rowid bigint"));
    QVERIFY(columns("user").contains("zuidizekou numeric"));
    QVERIFY(columns("user").contains("rowid bigint"));
    const auto typeOf = [](const char *table, const char *column) {
        return sqlValue(QString("select format_type(a.atttypid, a.atttypmod) from pg_attribute a join pg_class c "
                                "on c.oid = a.attrelid where c.relname = '%1' and a.attname = '%2' "
                                "and pg_table_is_visible(c.oid)").arg(table, column));
    };
    // Points and rates now keep every decimal, money its cents; nothing was lost.
    QCOMPARE(typeOf("huiyuan", "jifen"), QString("numeric"));
    QCOMPARE(typeOf("cuxiaoshezhi", "cuxiaobili"), QString("numeric"));
    QCOMPARE(typeOf("huiyuan", "shengyujine"), QString("numeric(14,2)"));
    QCOMPARE(typeOf("cuxiaoshezhi", "cuxiaojiner"), QString("numeric(14,2)"));
    QCOMPARE(sqlValue("select jifen from huiyuan where ID='1001'"), QString("3.25"));
    QCOMPARE(sqlValue("select cuxiaobili from cuxiaoshezhi order by rowid"), QString("0.8765"));
    sqlExec("update huiyuan set jifen = jifen + 0.125 where ID = '1001'");
    QCOMPARE(sqlValue("select jifen from huiyuan where ID='1001'"), QString("3.375"));
    // The view came back with the start.
    QVERIFY(EngineDriver::current().hasView("cuxiao"));
    // What was there stays, and the program works on it.
    QCOMPARE(sqlRows("select ID, name, shengyujine from huiyuan order by rowid"), (QList<QStringList>{{"1001", "甲", "12.5"}, {"1002", "乙", "0"}}));
    sqlExec("update huiyuan set jifen = 5 where ID = '1001'");
    sqlExec("insert into huiyuan(ID, name) values('1003', '丙')");
    QCOMPARE(sqlValue("select group_concat(ID, ',') from (select ID from huiyuan order by rowid) t"), QString("1001,1002,1003"));
    // The members' number for their list's order is the server's to keep, the new member's too.
    QCOMPARE(sqlValue("select group_concat(cast(bianhao_shu as text), ',') from (select bianhao_shu from huiyuan order by rowid) t"),
             QString("1001,1002,1003"));
    QCOMPARE(sqlValue("select name from \"user\" where name='admin'"), QString("admin"));
    // A second start finds nothing to do.
    const QStringList before = columns("huiyuan");
    QCOMPARE(upgradeServerSchema(readDbset()), QString());
    QCOMPARE(columns("huiyuan"), before);
    QCOMPARE(typeOf("huiyuan", "jifen"), QString("numeric"));
}

// A shop whose triggers and views were made by an older program (on SQLite
// "IF NOT EXISTS" kept them for ever): at the next start each one whose
// statements changed is made again, in one step; one that did not change is
// left alone, and one that is missing is made.
void TestMigrate::changedTriggersAndViewsReachAnOlderShop()
{
    TestWorkdir wd;
    const DbsetMap map = readDbset();
    int objects = 0;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        if (it.value().userType() == qMetaTypeId<CreateTriggerinfo>()
            || it.value().value<CreateTableinfo>().SqlStr.trimmed().startsWith(QLatin1String("CREATE VIEW")))
            ++objects;
    QCOMPARE(sqlValue("select count(*) from mochen_objects").toInt(), objects);
    const EngineDriver &driver = EngineDriver::current();
    // The older program's takings trigger did nothing, its promotions view had another shape.
    const CreateTriggerinfo shipped = dbsetEntry<CreateTriggerinfo>(map, QStringLiteral("zzrihuizong_4jiaofei_insert"));
    CreateTriggerinfo older = shipped;
    older.body = QStringLiteral("UPDATE log SET log = log WHERE 1 = 0;");
    const auto makeOlder = [&] {
        sqlExec(driver.dropTrigger(older.trigger, older.table));
        for (const QString &sql : driver.createTrigger(older))
            sqlExec(sql);
        sqlExec("drop view cuxiao");
        sqlExec("create view cuxiao as select 1 as jiu");
    };
    const auto payIn = [](const QString &id) {
        sqlExec("insert into huiyuanjiaofei(ID, huiyuanid, jiaofeiriqi, shifujine, fukuanleixing) values ('" + id
                + "', 'm1', '2026-03-01 09:00:00', 10, '现金')");
    };
    makeOlder();
    sqlExec("delete from mochen_objects");
    createTables();
    payIn("J1");
    QCOMPARE(summaryDifferences(), QString());
    QVERIFY(driver.columns(QSqlDatabase::database(), "cuxiao").contains("xiangmuid"));
    QCOMPARE(sqlValue("select count(*) from mochen_objects").toInt(), objects);
    // What made them is what the record says: a second start touches nothing,
    // not even an object changed behind the record's back.
    makeOlder();
    createTables();
    QVERIFY(!driver.columns(QSqlDatabase::database(), "cuxiao").contains("xiangmuid"));
    // Gone, it is made again.
    sqlExec(driver.dropTrigger(older.trigger, older.table));
    sqlExec("drop view cuxiao");
    createTables();
    payIn("J2");
    QCOMPARE(summaryDifferences(), QString());
    QVERIFY(driver.columns(QSqlDatabase::database(), "cuxiao").contains("xiangmuid"));
}

QTEST_MAIN(TestMigrate)
#include "tst_migrate.moc"
