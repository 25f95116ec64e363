#include <QtTest>

#include "ctrluiclass.h"
#include "sqlstatements.h"
#include "dbsetconfig.h"
#include "testsupport.h"

// The reader of dbset.xml, table creation order, and the named periods.
class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void readerRules();
    void brokenOrMissingFile();
    void createOrderAndRefills();
    void periods();
};

void TestConfig::readerRules()
{
    TestWorkdir wd(false);
    wd.writeDbset("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<anything>text<!-- c -->"
                  "<G1><Table name=\"a\" row_name=\"\"/>junk<!-- note --><table name=\"lower\"/>"
                  "<TableView name=\"dup\" SqlStr=\"select 1\" row_name=\"x、、y\"/></G1>"
                  "<G2><Software name=\"dup\" info=\"later\"/>"
                  "<ComBox name=\"c1\" type=\"SqlStr\"/>"
                  "<ComBox name=\"c2\" type=\"row_name\" row_name=\"现金、刷卡\" SqlStr=\"ignored\"/>"
                  "<ComBox name=\"c3\" type=\"other\" row_name=\"x\"/>"
                  "<tempCreateTable name=\"tt\" SqlStr=\"select &quot;a&amp;b&quot; &lt; 2\"/></G2></anything>");
    const DbsetMap map = readDbset("dbset.xml");
    QCOMPARE(map.size(), 6);
    QCOMPARE(dbsetEntry<Tableinfo>(map, "a").row_name, QStringList({""}));
    QVERIFY(!map.contains("lower")); // tags are case-sensitive
    // The later entry wins, whatever its kind.
    QCOMPARE(map.value("dup").userType(), qMetaTypeId<Softwareinfo>());
    QCOMPARE(dbsetEntry<Softwareinfo>(map, "dup").info, QString("later"));
    QCOMPARE(dbsetEntry<TableViewinfo>(map, "dup").SqlStr, QString()); // other kind reads as empty
    const ComBoxinfo c1 = dbsetEntry<ComBoxinfo>(map, "c1");
    QCOMPARE(c1.SqlStr, QString());
    QVERIFY(c1.row_name.isEmpty());
    const ComBoxinfo c2 = dbsetEntry<ComBoxinfo>(map, "c2");
    QCOMPARE(c2.row_name, QStringList({"现金", "刷卡"}));
    QCOMPARE(c2.SqlStr, QString());
    QVERIFY(dbsetEntry<ComBoxinfo>(map, "c3").row_name.isEmpty());
    QCOMPARE(dbsetEntry<tempCreateTableinfo>(map, "tt").SqlStr, QString("select \"a&b\" < 2"));

    // Empty parts between separators are kept.
    wd.writeDbset("<r><g><TableView name=\"v\" row_name=\"x、、y\"/></g></r>");
    QCOMPARE(dbsetEntry<TableViewinfo>(readDbset(), "v").row_name, QStringList({"x", "", "y"}));
}

void TestConfig::brokenOrMissingFile()
{
    TestWorkdir wd(false);
    QVERIFY(!readDbset("nosuchfile.xml").size());
    wd.writeDbset("<r><g><Table name=\"a\" row_name=\"x\"/></g>"); // not well-formed
    QVERIFY(readDbset().isEmpty());

    // Read as the file is now, however quickly it changes and whatever its size:
    // never an earlier file's entries.
    wd.writeDbset("<r><g><Table name=\"a\" row_name=\"x\"/></g></r>");
    QCOMPARE(readDbset().keys(), QStringList({"a"}));
    wd.writeDbset("<r><g><Table name=\"b\" row_name=\"x\"/></g></r>");
    QCOMPARE(readDbset().keys(), QStringList({"b"}));
    QVERIFY(QFile::remove("dbset.xml"));
    QVERIFY(readDbset().isEmpty());
}

void TestConfig::createOrderAndRefills()
{
    TestWorkdir wd(false);
    // "a" runs before "b" (name order, not document order): b reads what a made.
    wd.writeDbset("<r><g>"
                  "<CreateTable name=\"b\" SqlStr=\"CREATE TABLE IF NOT EXISTS b AS SELECT * FROM a\"/>"
                  "<tempCreateTable name=\"a\" SqlStr=\"CREATE TABLE IF NOT EXISTS a AS SELECT 1 AS x\"/>"
                  "<CreateTable name=\"c\" SqlStr=\"CREATE TABLE c (x)\"/>"
                  "<tempCreateTable name=\"temptichengliebiao_db\" SqlStr=\"CREATE TABLE IF NOT EXISTS tl (x)\"/>"
                  "</g></r>");
    openDatabase();
    int refills = 0;
    setTempTableRefill("temptichengliebiao_db", [&refills] { ++refills; });
    createTables();
    QCOMPARE(sqlValue("select count(*) from b"), QString("1"));
    QCOMPARE(refills, 1);
    // A second start: "c" has no IF NOT EXISTS and fails, the rest still runs.
    createTables();
    QCOMPARE(refills, 2);
    setTempTableRefill("temptichengliebiao_db", {});
    createTables();
    QCOMPARE(refills, 2);
}

// %W of strftime: weeks start on Monday, days before the first Monday are week 0.
static int weekOfYear(const QDate &d)
{
    const int yday = d.dayOfYear() - 1;
    const int wdayMon0 = d.dayOfWeek() - 1;
    return (yday + 7 - wdayMon0) / 7;
}

void TestConfig::periods()
{
    TestWorkdir wd;
    const QDateTime now = QDateTime::currentDateTime();
    const QDate today = now.date();
    QList<QDate> dates = {today, today.addDays(-1), today.addDays(-6), today.addDays(-7), today.addDays(-8),
                          today.addMonths(-1), today.addMonths(-2), today.addMonths(-3), today.addMonths(-4),
                          today.addYears(-1), today.addYears(-1).addMonths(-1), today.addYears(-2),
                          QDate(today.year(), today.month(), 1), QDate(today.year(), today.month(), 1).addDays(-1),
                          QDate(today.year(), 1, 1), QDate(today.year() - 1, 12, 31), QDate(today.year() - 1, 1, 1),
                          today.addDays(1)};
    for (int i = 0; i < dates.size(); ++i)
        sqlExec(QString("insert into log(time,\"user\",log) values('%1 %2','%3','')")
                    .arg(dates[i].toString("yyyy-MM-dd"), i % 2 ? "23:59:59" : "00:00:00")
                    .arg(i));

    auto quarter = [](const QDate &d) { return (d.month() + 2) / 3; };
    const QDate lastMonth = QDate(today.year(), today.month(), 1).addMonths(-1);
    const QDate lastQuarter = QDate(today.year(), (quarter(today) - 1) * 3 + 1, 1).addMonths(-3);
    const QDate weekAgo = today.addDays(-7);
    const QMap<QString, std::function<bool(const QDate &)>> expected = {
        {"今天", [&](const QDate &d) { return d == today; }},
        {"昨天", [&](const QDate &d) { return d == today.addDays(-1); }},
        {"本周", [&](const QDate &d) { return d.year() == today.year() && weekOfYear(d) == weekOfYear(today); }},
        {"上周", [&](const QDate &d) { return d.year() == weekAgo.year() && weekOfYear(d) == weekOfYear(weekAgo); }},
        {"本月", [&](const QDate &d) { return d.year() == today.year() && d.month() == today.month(); }},
        {"上月", [&](const QDate &d) { return d.year() == lastMonth.year() && d.month() == lastMonth.month(); }},
        {"本季", [&](const QDate &d) { return d.year() == today.year() && quarter(d) == quarter(today); }},
        {"上季", [&](const QDate &d) { return d.year() == lastQuarter.year() && quarter(d) == quarter(lastQuarter); }},
        {"本年", [&](const QDate &d) { return d.year() == today.year(); }},
        {"上年", [&](const QDate &d) { return d.year() == today.year() - 1; }},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QStringList want;
        for (int i = 0; i < dates.size(); ++i)
            if (it.value()(dates[i]))
                want << QString::number(i);
        QStringList got;
        QVariantList bounds;
        const QString where = SqlStatements::periodWhere(it.key(), "time", &bounds);
        for (const QStringList &r : sqlRows("select \"user\" from log" + where + " order by mochen_int(\"user\")", bounds))
            got << r[0];
        QCOMPARE(got.join(','), want.join(','));
    }
    QVariantList none;
    QCOMPARE(SqlStatements::periodWhere("其他", "time", &none), QString(" where "));
    QCOMPARE(SqlStatements::periodWhere("明天", "time", &none), QString());
    QVERIFY(none.isEmpty());
    QVERIFY(SqlStatements::periodWhere("今天", "a.time", &none).startsWith(" where "));
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
