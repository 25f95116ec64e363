#include <QtTest>
#include <QComboBox>
#include <QTableView>
#include <QHeaderView>
#include <QSqlQuery>

#include "csvexport.h"
#include "ctrluiclass.h"
#include "sqlstatements.h"
#include "prompt.h"
#include "qttranslations.h"
#include "dbsetconfig.h"
#include "ledgersql.h"
#include "preparedqueries.h"
#include "sqltext.h"
#include "tableregistry.h"
#include "transactionscope.h"
#include "enginedriver.h"
#include "testsupport.h"

// Statement builders, queries, the log, combos, views and export against a real file.
class TestDataLayer : public QObject
{
    Q_OBJECT
private slots:
    void builders();
    void queryRowCounts();
    void writeLogKeepsQuotes();
    void statementsPreparedOnce();
    void viewsAndCaptions();
    void exportCsv();
    void exportDialogInChinese();
    void combos();
    void transactionRollsBackEverything();
    void moneyAndNumbers_data();
    void moneyAndNumbers();
};

static const QByteArray kSmallDbset =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cfg><G>"
    "<CreateTable name=\"create_t\" SqlStr=\"CREATE TABLE IF NOT EXISTS t (a TEXT, b TEXT, id TEXT)\"/>"
    "<Table name=\"t\" row_name=\"a、b、id\"/>"
    "<CreateTable name=\"create_user\" SqlStr=\"CREATE TABLE IF NOT EXISTS user (name TEXT, password TEXT, xitongshezhi TEXT, jinyong TEXT)\"/>"
    "<CreateTable name=\"user_admin\" SqlStr=\"INSERT INTO &quot;user&quot;(name,xitongshezhi,jinyong) SELECT 'admin','是','否' WHERE NOT EXISTS (SELECT 1 FROM &quot;user&quot;)\"/>"
    "<TableView name=\"v\" SqlStr=\"select a,b from t\" row_name=\"甲、乙\"/>"
    "<TableView name=\"raw\" SqlStr=\"select a,b from t\" row_name=\"\"/>"
    "<ComBox name=\"pay\" type=\"row_name\" row_name=\"现金、刷卡\"/>"
    "<ComBox name=\"q\" type=\"SqlStr\" SqlStr=\"select a from t order by a\"/>"
    "</G></cfg>";

void TestDataLayer::builders()
{
    TestWorkdir wd(false);
    wd.writeDbset(kSmallDbset);
    openDatabase();
    createTables();
    TableRegistry reg;
    const TableEntry *t = reg.find("t");
    QVERIFY(t);
    QCOMPARE(t->columns, QStringList({"a", "b", "id"}));
    QVERIFY(!reg.find("nosuch"));
    ctrlUiClass c;

    // A shop table is written inside an operation's transaction, never alone.
    QVERIFY(!c.insertRecord(t, {"O'Brien", "", "7"}));
    QCOMPARE(sqlValue("select count(*) from t"), QString("0"));
    TransactionScope tx; // rolled back at the end: the checks read inside it

    // Values are bound: a quote is stored as it stands, "" becomes NULL.
    QVERIFY(c.insertRecord(t, {"O'Brien", "", "7"}));
    QCOMPARE(sqlValue("select a from t where id='7'"), QString("O'Brien"));
    QCOMPARE(sqlValue("select count(*) from t where b is null"), QString("1"));

    // One value short: nothing inserted.
    QVERIFY(!c.insertRecord(t, {"x", "y"}));
    QCOMPARE(sqlValue("select count(*) from t"), QString("1"));

    QVERIFY(SqlStatements::insertSelect(t, "select 'p','q','8'"));
    QCOMPARE(sqlValue("select b from t where id='8'"), QString("q"));

    QVERIFY(c.updateRecord(t, {"a", "id"}, {"1", "7"}, 1));
    QCOMPARE(sqlValue("select a from t where id='7'"), QString("1"));
    QVERIFY(c.updateRecord(t, {"a", "b", "id"}, {"z", "w'", "8"}, 1));
    QCOMPARE(sqlRows("select a,b from t where id='8'").value(0), QStringList({"z", "w'"}));
    QVERIFY(!c.updateRecord(t, {"a", "id"}, {"1"}, 1));

    QVERIFY(c.deleteRecord(t, {"id", "a"}, {"8", "z"}));
    QCOMPARE(sqlValue("select count(*) from t"), QString("1"));
    QVERIFY(!c.deleteRecord(t, {"id"}, {}));
    QCOMPARE(sqlValue("select count(*) from t"), QString("1"));
}

void TestDataLayer::queryRowCounts()
{
    TestWorkdir wd;
    sqlExec("insert into leibie(mingchen,leibiestr,beizhu) values('洗发','项目类型','')");
    QCOMPARE(SqlStatements::queryRow("select mingchen,leibiestr from leibie where mingchen='无' order by rowid"), QStringList());
    QCOMPARE(SqlStatements::queryRow("select mingchen,leibiestr from leibie order by rowid"), QStringList({"洗发", "项目类型"}));
    sqlExec("insert into leibie(mingchen,leibiestr,beizhu) values('剪发','项目类型','')");
    QCOMPARE(SqlStatements::queryRow("select mingchen from leibie order by rowid"), QStringList()); // two rows count as none
    QCOMPARE(SqlStatements::queryRows("select mingchen from leibie order by ID").size(), 2);
    QCOMPARE(SqlStatements::countRows("select * from leibie order by rowid"), 2);
    QCOMPARE(SqlStatements::countRows("select * from nosuchtable"), 0);
    QVERIFY(!SqlStatements::execSql("insert into nosuchtable values(1)"));
}

void TestDataLayer::writeLogKeepsQuotes()
{
    TestWorkdir wd;
    ctrlUiClass c;
    c.writeLog("张'三", "删除'会员'");
    const auto rows = sqlRows("select \"user\",log,time from log order by rowid");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0][0], QString("张'三"));
    QCOMPARE(rows[0][1], QString("删除'会员'"));
    QVERIFY(QDateTime::fromString(rows[0][2], "yyyy-MM-dd hh:mm:ss").isValid());
    QCOMPARE(ctrlUiClass::serialNow().size(), 17);
}

// A statement is prepared once per connection and kept by its text; one still
// being read is not handed out twice, and a shop opened anew prepares afresh.
void TestDataLayer::statementsPreparedOnce()
{
    const QString insert = QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values(?,?,'')");
    const QString byKind = QStringLiteral("select mingchen from leibie where leibiestr=? order by ID");
    {
        TestWorkdir wd;
        const qint64 before = PreparedQueries::reused();
        QCOMPARE(LedgerSql::execSingle(insert, {"洗发", "项目类型"}), 1);
        QCOMPARE(LedgerSql::execSingle(insert, {"剪发", "项目类型"}), 1);
        QCOMPARE(LedgerSql::execSingle(insert, {"洗发水", "产品类型"}), 1);
        QCOMPARE(PreparedQueries::reused() - before, 2);

        // Reading one kind while the same statement is wanted for the other.
        // (Qt's server driver streams a forward-only result, one at a time per
        // connection: the next statement ends its read, so the store reads
        // every result whole there.)
        if (!EngineDriver::current().isServer()) {
            QSqlQuery outer;
            QVERIFY(PreparedQueries::prepare(outer, byKind));
            outer.bindValue(0, "项目类型");
            QVERIFY(outer.exec());
            QVERIFY(outer.next());
            QCOMPARE(outer.value(0).toString(), QString("洗发"));
            QCOMPARE(LedgerSql::rows(byKind, {"产品类型"}), QList<QVariantList>({{"洗发水"}}));
            QVERIFY(outer.next());
            QCOMPARE(outer.value(0).toString(), QString("剪发"));
            QVERIFY(!outer.next());
            outer.finish();
        }

        // A statement that fails is not kept.
        const int kept = PreparedQueries::size();
        QCOMPARE(LedgerSql::exec("insert into nosuchtable values(?)", {1}), -1);
        QCOMPARE(LedgerSql::exec("insert into leibie(ID,mingchen) values(?,?)", {1, "重复"}), -1);
        QCOMPARE(PreparedQueries::size(), kept);
    }
    {
        TestWorkdir wd; // another shop file on the same connection name
        QCOMPARE(LedgerSql::rows(byKind, {"项目类型"}), QList<QVariantList>());
        QCOMPARE(LedgerSql::execSingle(insert, {"烫发", "项目类型"}), 1);
        QCOMPARE(LedgerSql::value(byKind, {"项目类型"}).toString(), QString("烫发"));
    }
}

void TestDataLayer::viewsAndCaptions()
{
    TestWorkdir wd(false);
    wd.writeDbset(kSmallDbset);
    openDatabase();
    createTables();
    sqlExec("insert into t values('1','x','a'),('2','y','b')");
    ctrlUiClass c;
    QTableView view, raw;
    const DbsetMap map = readDbset();
    c.setupView(map, &view, "v");
    c.setupView(map, &raw, "raw");
    c.setupView(map, &raw, "missing"); // absent entry: nothing happens
    QCOMPARE(c.viewRowCount("v"), 2);
    QCOMPARE(view.model()->headerData(0, Qt::Horizontal).toString(), QString("甲"));
    QCOMPARE(raw.model()->headerData(1, Qt::Horizontal).toString(), QString("b"));
    QCOMPARE(view.verticalHeader()->defaultSectionSize(), 28);

    c.refreshView("v", " where a='2'");
    QCOMPARE(c.viewRowCount("v"), 1);
    QCOMPARE(c.rowValues("v", 0), QStringList({"2", "y"}));
    QCOMPARE(view.model()->headerData(1, Qt::Horizontal).toString(), QString("乙")); // captions kept
    c.refreshView("v", "select a,b from t order by a desc", true);
    QCOMPARE(c.rowValues("v", 0).value(0), QString("2"));
    QCOMPARE(c.currentRowValues("v"), QStringList());
    view.setCurrentIndex(view.model()->index(1, 0));
    QCOMPARE(c.currentRowValues("v"), QStringList({"1", "x"}));
    QCOMPARE(c.rowValues("nosuch", 0), QStringList());
    QCOMPARE(c.viewRowCount("nosuch"), 0);

    // Columns are sized once: an empty list from its header, then from its first
    // rows; every later run keeps the widths (a long text does not widen them, a
    // failed statement does not lose them), the operator's own drag included.
    sqlExec("insert into t values('3','" + QString(120, QLatin1Char('y')) + "','c')");
    QTableView sized;
    c.setupViewWith(map, &sized, "v", " where a='none'");
    QHeaderView *header = sized.horizontalHeader();
    const int fromHeader = header->sectionSize(1);
    c.refreshView("v", " where a='3'");
    QVERIFY(header->sectionSize(1) > fromHeader);
    header->resizeSection(1, 77);
    c.refreshView("v", " where a='1'");
    QCOMPARE(header->sectionSize(1), 77);
    c.refreshView("v", "select nosuch from t", true);
    c.refreshView("v", " where a='3'");
    QCOMPARE(header->sectionSize(1), 77);
    sqlExec("delete from t where a='3'");

    c.setupViewWith(map, &view, "v", " where a='1'");
    QCOMPARE(c.viewRowCount("v"), 1);
    QCOMPARE(c.baseSql("v"), QString("select a,b from t"));
    c.clearViews();
    QCOMPARE(c.viewRowCount("v"), 0);

    // A window's form may be torn down before its data-layer object.
    auto *gone = new QTableView;
    {
        ctrlUiClass owner;
        owner.setupView(map, gone, "v");
        delete gone;
        QCOMPARE(owner.currentRowValues("v"), QStringList());
    }
}

void TestDataLayer::exportCsv()
{
    TestWorkdir wd(false);
    wd.writeDbset(kSmallDbset);
    openDatabase();
    createTables();
    sqlExec("insert into t values('1','plain','a'),('a,b','say \"hi\"','b'),('line\nbreak','x','c'),"
            "('0012','6912345678901','d'),('12.5','-60','e'),('13812345678','0','f')");
    ctrlUiClass c;
    QTableView view;
    c.setupView(readDbset(), &view, "v");
    PromptRecorder prompts;

    // Cancelled: nothing written, nothing said.
    c.exportView("v", "admin");
    QVERIFY(prompts.texts().isEmpty());

    // ".csv" is added; UTF-8 with a byte-order mark, CRLF, no trailing comma;
    // codes of digits that a spreadsheet would spoil stay text, amounts stay numbers.
    prompts.saveFileName(wd.path() + "/月报");
    c.exportView("v", "admin");
    const QString file = wd.path() + "/月报.csv";
    QCOMPARE(prompts.last(), QString("导出数据成功,信息已保存在%1！").arg(file));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QCOMPARE(QString::fromUtf8(bytes.mid(3)),
             QString("甲,乙\r\n1,plain\r\n\"a,b\",\"say \"\"hi\"\"\"\r\n\"line\nbreak\",x\r\n"
                     "=\"0012\",=\"6912345678901\"\r\n12.5,-60\r\n13812345678,0\r\n"));

    // What the list shows now goes out: its filter, not the base statement.
    c.refreshView("v", " where b='plain'");
    prompts.saveFileName(file);
    c.exportView("v", "admin");
    f.close();
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("\xEF\xBB\xBF甲,乙\r\n1,plain\r\n"));
    f.close();

    // A file that cannot be written is said so, not reported as saved.
    prompts.saveFileName(wd.path() + "/no/such/folder/x.csv");
    c.exportView("v", "admin");
    QVERIFY(prompts.last().startsWith("导出失败，文件没有保存"));
    QVERIFY(!QFile::exists(wd.path() + "/no/such/folder/x.csv"));

    // A long list goes out whole (with a progress dialog on the way).
    sqlExec("with recursive n(i) as (select 1 union all select i+1 from n where i<5000) "
            "insert into t select i, 'r'||i, 'k' from n");
    c.refreshView("v", "");
    // The list holds what it shows; reading a row further on fetches up to it.
    QVERIFY(c.viewRowCount("v") < 5003);
    QCOMPARE(c.rowValues("v", 4000).value(1), QString("r3995")); // five rows stand before the long run
    prompts.saveFileName(file);
    c.exportView("v", "admin");
    QFile big(file);
    QVERIFY(big.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = big.readAll().split('\n');
    QCOMPARE(lines.size(), 5006 + 1 + 1 + 1); // header, one embedded break, the final line end
    QCOMPARE(lines.at(lines.size() - 2), QByteArray("5000,r5000\r"));
}

// The save dialog opens in the documents folder with a Chinese caption, and Qt's
// own dialog texts are translated.
void TestDataLayer::exportDialogInChinese()
{
    QVERIFY(installQtTranslations(*QCoreApplication::instance()));
    QVERIFY(QCoreApplication::translate("QFileDialog", "Save As") != QLatin1String("Save As"));

    TestWorkdir wd(false);
    wd.writeDbset(kSmallDbset);
    openDatabase();
    createTables();
    ctrlUiClass c;
    QTableView view;
    c.setupView(readDbset(), &view, "v");
    QString caption, dir, filter;
    Prompt::setSaveFileHandler([&](QWidget *, const QString &cap, const QString &d, const QString &f) {
        caption = cap;
        dir = d;
        filter = f;
        return QString();
    });
    c.exportView("v", "admin");
    Prompt::setSaveFileHandler({});
    QCOMPARE(caption, QString("导出到 Excel（CSV 文件）"));
    QVERIFY2(dir.startsWith(CsvExport::defaultFolder() + "/v_"), qPrintable(dir));
    QVERIFY(!dir.startsWith(QCoreApplication::applicationDirPath()));
    QCOMPARE(filter, QString("CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx)"));
}

void TestDataLayer::combos()
{
    TestWorkdir wd(false);
    wd.writeDbset(kSmallDbset);
    openDatabase();
    createTables();
    sqlExec("insert into t values('b','x','1'),('a','y','2')");
    ctrlUiClass c;
    QComboBox box;
    box.addItem("所有");
    c.fillCombo(&box, "pay", "xml");
    QCOMPARE(box.count(), 3);
    QCOMPARE(box.itemText(2), QString("刷卡"));

    QComboBox q;
    c.fillCombo(&q, "q", "xml");
    QCOMPARE(q.count(), 2);
    QCOMPARE(q.itemText(0), QString("a"));

    QComboBox db;
    c.fillCombo(&db, "select b from t order by b", "Db");
    QCOMPARE(db.itemText(1), QString("y"));
    QComboBox none;
    c.fillCombo(&none, "pay", "other");
    QCOMPARE(none.count(), 0);

    QComboBox ids;
    ctrlUiClass::fillComboFromRows(&ids, {{7, "甲"}, {9, "乙"}});
    QCOMPARE(ids.count(), 2);
    QCOMPARE(ctrlUiClass::comboCurrentId(&ids), QString("7"));
    ids.setCurrentIndex(1);
    QCOMPARE(ctrlUiClass::comboCurrentId(&ids), QString("9"));
    QCOMPARE(ctrlUiClass::comboCurrentId(&box), QString("0"));
}

void TestDataLayer::transactionRollsBackEverything()
{
    TestWorkdir wd;
    ctrlUiClass c;
    TableRegistry reg;
    {
        TransactionScope tx;
        QVERIFY(SqlStatements::execSql("insert into leibie(mingchen,leibiestr,beizhu) values('a','b','')"));
        QVERIFY(c.insertRecord(reg.find("yuangong"), {"E1", "甲", "发型师", "", "否", ""}));
        {
            TransactionScope inner; // joins the outer one
            QVERIFY(!SqlStatements::execSql("insert into nosuchtable values(1)"));
            QVERIFY(!inner.commit());
        }
        // SQLite runs what follows; the server refuses every statement after
        // a failed one in its transaction. The commit is refused on both.
        QCOMPARE(SqlStatements::execSql("insert into leibie(mingchen,leibiestr,beizhu) values('c','d','')"),
                 !EngineDriver::current().isServer());
        QVERIFY(!tx.commit());
        QVERIFY(tx.firstError().contains("nosuchtable"));
    }
    QCOMPARE(sqlValue("select count(*) from leibie"), QString("0"));
    QCOMPARE(sqlValue("select count(*) from yuangong"), QString("0"));
    {
        TransactionScope tx;
        SqlStatements::execSql("insert into leibie(mingchen,leibiestr,beizhu) values('a','b','')");
        QVERIFY(tx.commit());
    }
    QCOMPARE(sqlValue("select count(*) from leibie"), QString("1"));
    {
        TransactionScope tx; // left without commit: rolled back
        SqlStatements::execSql("insert into leibie(mingchen,leibiestr,beizhu) values('x','y','')");
    }
    QCOMPARE(sqlValue("select count(*) from leibie"), QString("1"));
    QVERIFY(!TransactionScope::active());
}

void TestDataLayer::moneyAndNumbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 80.0 << "80";
    QTest::newRow("cents") << 12345.67 << "12345.67";
    QTest::newRow("million") << 1000000.0 << "1000000";
    QTest::newRow("float noise") << (0.1 + 0.2) << "0.3";
    QTest::newRow("half cent") << 2.675000001 << "2.68";
    QTest::newRow("negative") << -3.5 << "-3.5";
    QTest::newRow("negative zero") << -0.001 << "0";
    QTest::newRow("big") << 123456789.1 << "123456789.1";
}

void TestDataLayer::moneyAndNumbers()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(moneyText(value), text);
    bool ok = true;
    QCOMPARE(parseNumber(" 12.5 ", &ok), 12.5);
    QVERIFY(ok);
    QCOMPARE(parseNumber("500--50", &ok), 0.0);
    QVERIFY(!ok);
    QCOMPARE(sqlEsc("a'b''"), QString("a''b''''"));
    QCOMPARE(sqlLiteral("%张'"), QString("'%张'''"));
    QCOMPARE(numberText(0.85), QString("0.85"));
}

QTEST_MAIN(TestDataLayer)
#include "tst_datalayer.moc"
