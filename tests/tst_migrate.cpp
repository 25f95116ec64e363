#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QtTest>

#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "schemaupgrade.h"
#include "shopgenerator.h"
#include "sqldialect.h"
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
    const QString fileShop = wd.path() + QStringLiteral("/file-shop");
    QVERIFY(QDir().mkpath(fileShop));
    QVERIFY(QFile::copy(QStringLiteral(MOCHEN_SOURCE_DIR "/dbset.xml"), fileShop + QStringLiteral("/dbset.xml")));
    QDir::setCurrent(fileShop);
    QVERIFY(openDatabase());
    QVERIFY(!SqlDialect::isPostgres());
    createTables();
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
    QProcess migrate;
    migrate.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../tools/mochen-migrate"),
                  {fileShop, server + QStringLiteral(";schema=t%1").arg(QCoreApplication::applicationPid())});
    QVERIFY(migrate.waitForFinished(120000));
    const QString told = QString::fromUtf8(migrate.readAllStandardOutput() + migrate.readAllStandardError());
    QVERIFY2(migrate.exitCode() == 0, qPrintable(told));
    QVERIFY2(told.contains(QStringLiteral("各表行数与金额合计一致")), qPrintable(told));

    QDir::setCurrent(wd.path());
    QVERIFY(openDatabase());
    QVERIFY(SqlDialect::isPostgres());
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
        QVERIFY2(q.exec(SqlDialect::translate(sql)), qPrintable(d.name + QStringLiteral("：") + q.lastError().text()));
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
    QVERIFY(q.exec("CREATE TABLE huiyuan (id text primary key, name text, shengyujine numeric(14,2))"));
    QVERIFY(q.exec("INSERT INTO huiyuan VALUES ('1001','甲',12.5),('1002','乙',0)"));
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
    // What was there stays, and the program works on it.
    QCOMPARE(sqlRows("select ID, name, shengyujine from huiyuan"), (QList<QStringList>{{"1001", "甲", "12.5"}, {"1002", "乙", "0"}}));
    sqlExec("update huiyuan set jifen = 5 where ID = '1001'");
    sqlExec("insert into huiyuan(ID, name) values('1003', '丙')");
    QCOMPARE(sqlValue("select group_concat(ID, ',') from (select ID from huiyuan order by rowid) t"), QString("1001,1002,1003"));
    QCOMPARE(sqlValue("select name from \"user\" where name='admin'"), QString("admin"));
    // A second start finds nothing to do.
    const QStringList before = columns("huiyuan");
    QCOMPARE(upgradeServerSchema(readDbset()), QString());
    QCOMPARE(columns("huiyuan"), before);
}

QTEST_MAIN(TestMigrate)
#include "tst_migrate.moc"
