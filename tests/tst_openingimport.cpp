#include <QtTest>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QProcess>
#include <QTableView>
#include <QTableWidget>
#include <QTextCodec>

#include "accountbooks.h"
#include "addhuiyuankadlg.h"
#include "amounts.h"
#include "checkoutfixture.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "daorudlg.h"
#include "prompt.h"
#include "ledgersql.h"
#include "memberwriter.h"
#include "openingimport.h"
#include "importsamples.h"
#include "sheetreader.h"
#include "takingsread.h"
#include "xlsxfile.h"

using namespace checkout_fixture;

// A shop moving in from its spreadsheets: the reader takes the files shops
// have, the dry run names every row it cannot take, and the import writes
// opening values that are no takings, all or nothing, and can be taken back.
class TestOpeningImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readsTheFilesShopsHave_data();
    void readsTheFilesShopsHave();
    void badFilesAreToldNeverCrash();
    void workbookRoundTrip();
    void exportedWorkbookOpensInLibreOffice();
    void headerGuess();
    void dryRunListsEveryRefusedRow();
    void importWritesOpeningValuesNotTakings();
    void existingMembers_data();
    void existingMembers();
    void refusedWholeCancelledOrWithoutRight();
    void openingDebtIsRepaidAsTakingsOfItsDay();
    void takeBackWholeUntilTheMemberMoves();
    void catalogueImport();
    void cardTypeImport();
    void generatorSamplesCarryExactlyTheirFaults();
    void dialogChecksImportsAndRemembers();
    void dialogCancelLeavesNothing();

private:
    std::unique_ptr<TestWorkdir> m_wd;
    QTemporaryDir m_settings;
};

namespace {

const QString kHeader = QStringLiteral("会员卡号,姓名,性别,手机,生日,会员卡类型,卡内余额,赠送余额,积分,欠款,套餐次数");

QByteArray gb18030(const QString &text)
{
    return QTextCodec::codecForName("GB18030")->fromUnicode(text);
}

OpeningImport importOf(const QString &csv, ExistingRows existing = ExistingRows::Skip,
                       ImportKind kind = ImportKind::Members)
{
    const Sheet sheet = SheetReader::readCsv(csv.toUtf8());
    OpeningImport im = OpeningImportWriter::fromSheet(kind, sheet, OpeningImportFields::guess(kind, sheet.header));
    im.fileName = QStringLiteral("会员.csv");
    im.existing = existing;
    im.operatorName = QStringLiteral("admin");
    return im;
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

// The import dialog as the cashier sees it.
struct ImportScreen
{
    DaoruDlg *dlg;
    QTableWidget *table(const char *name) const { return dlg->findChild<QTableWidget *>(QLatin1String(name)); }
    int previewRows() const { return table("tableWidget_preview")->rowCount(); }
    QStringList problems() const
    {
        QStringList out;
        QTableWidget *t = table("tableWidget_problems");
        for (int r = 0; r < t->rowCount(); ++r)
            out << t->item(r, 0)->text() + QLatin1Char('|') + t->item(r, 1)->text();
        return out;
    }
    QString summary() const { return dlg->findChild<QLabel *>(QStringLiteral("label_summary"))->text(); }
    void click(const char *name) const { clickButton(dlg, QLatin1String(name)); }
    void choose(const QString &path) const
    {
        Prompt::setOpenFileHandler([path](QWidget *, const QString &, const QString &, const QString &) { return path; });
        click("pushButton_choose");
        Prompt::setOpenFileHandler({});
    }
};

void TestOpeningImport::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // The remembered column mappings in a folder of this run's own: another
    // run of this test beside it (the server pass, another checkout) would
    // otherwise remember into the same file while this one checks the guess.
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QSettings().remove(QString());
}

void TestOpeningImport::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
}

void TestOpeningImport::cleanup()
{
    m_wd.reset();
}

void TestOpeningImport::readsTheFilesShopsHave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("separator");
    const QString text = QStringLiteral("卡号,姓名,备注\r\n0012,张三,\"第一行\r\n第二行, 有逗号\"\r\n0013,\"李\"\"四\",\r\n\r\n");
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << "UTF-8" << ",";
    QTest::newRow("utf-8") << text.toUtf8() << "UTF-8" << ",";
    QTest::newRow("gb18030 as Excel saves it") << gb18030(text) << "GB18030" << ",";
    QString semi = text;
    semi.replace(QStringLiteral(","), QStringLiteral(";"));
    semi.replace(QStringLiteral("; 有逗号"), QStringLiteral(", 有逗号"));
    QTest::newRow("semicolons") << semi.toUtf8() << "UTF-8" << ";";
    QString tabs = text;
    tabs.replace(QStringLiteral(","), QStringLiteral("\t"));
    tabs.replace(QStringLiteral("\t 有逗号"), QStringLiteral(", 有逗号"));
    QByteArray utf16("\xFF\xFE");
    utf16 += QByteArray(reinterpret_cast<const char *>(tabs.utf16()), tabs.size() * 2);
    QTest::newRow("utf-16 unicode text") << utf16 << "UTF-16" << "\t";
}

void TestOpeningImport::readsTheFilesShopsHave()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, separator);
    const Sheet s = SheetReader::readBytes(bytes);
    QVERIFY2(s.ok(), qPrintable(s.error));
    QCOMPARE(s.encoding, encoding);
    QCOMPARE(QString(s.separator), separator);
    QCOMPARE(s.header, (QStringList{"卡号", "姓名", "备注"}));
    QCOMPARE(s.rows.size(), 2);
    QCOMPARE(s.rows.at(0), (QStringList{"0012", "张三", "第一行\n第二行, 有逗号"}));
    QCOMPARE(s.rows.at(1), (QStringList{"0013", "李\"四", ""}));
    QCOMPARE(s.rowNumbers, (QList<int>{2, 3}));

    // Our own export writes codes as ="0012": the cell means the code.
    const Sheet own = SheetReader::readCsv(QByteArray("ID,name\r\n=\"0012\",a\r\n"));
    QCOMPARE(own.rows.value(0).value(0), QStringLiteral("0012"));
}

void TestOpeningImport::badFilesAreToldNeverCrash()
{
    const QList<QPair<QByteArray, QString>> bad{
        {QByteArray(), QStringLiteral("空")},
        {QByteArray("\xEF\xBB\xBF\r\n\r\n"), QStringLiteral("空")},
        {QByteArray("a,b\r\n\"unclosed,1\r\n"), QStringLiteral("引号没有结束")},
        {QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11), QStringLiteral("编码")},
        {QByteArray("PK\x03\x04garbage", 11), QStringLiteral("Excel")},
    };
    for (const auto &b : bad) {
        const Sheet s = SheetReader::readBytes(b.first);
        QVERIFY2(s.error.contains(b.second), qPrintable(s.error));
    }

    // Random bytes and every truncation of a real CSV and a real workbook:
    // either read or refused with a sentence, never a crash or a hang.
    const QByteArray csv = gb18030(kHeader + QStringLiteral("\r\n1001,\"王\r\n五\",男,13800000000,1990-01-01,金卡,10,0,1,0,\"洗剪吹:2\"\r\n"));
    XlsxFile::Writer w({{QStringLiteral("姓名"), XlsxFile::CellKind::Text}, {QStringLiteral("余额"), XlsxFile::CellKind::Money}});
    w.addRow({QStringLiteral("王五"), QStringLiteral("12.5")});
    QString error;
    const QByteArray xlsx = w.package(&error);
    QVERIFY(!xlsx.isEmpty());
    QVERIFY(SheetReader::readBytes(xlsx).ok());
    QRandomGenerator rng(27);
    int refused = 0;
    for (const QByteArray &whole : {csv, xlsx}) {
        for (int n = 0; n < whole.size(); n += qMax(1, whole.size() / 300)) {
            const Sheet s = SheetReader::readBytes(whole.left(n));
            refused += s.ok() ? 0 : 1;
            QVERIFY(s.ok() || !s.error.isEmpty());
            QByteArray flipped = whole;
            flipped[int(rng.bounded(flipped.size()))] = char(rng.bounded(256));
            const Sheet f = SheetReader::readBytes(flipped);
            QVERIFY(f.ok() || !f.error.isEmpty());
        }
    }
    QVERIFY(refused > 0);
    for (int i = 0; i < 200; ++i) {
        QByteArray noise(int(rng.bounded(2000)), Qt::Uninitialized);
        for (char &c : noise)
            c = char(rng.bounded(256));
        if (i % 2)
            noise.prepend("PK\x03\x04");
        const Sheet s = SheetReader::readBytes(noise);
        QVERIFY(s.ok() || !s.error.isEmpty());
    }
}

void TestOpeningImport::workbookRoundTrip()
{
    using XlsxFile::CellKind;
    XlsxFile::Writer w({{QStringLiteral("会员编号"), CellKind::Text},
                        {QStringLiteral("电话"), CellKind::Text},
                        {QStringLiteral("剩余金额"), CellKind::Money},
                        {QStringLiteral("登记时间"), CellKind::Date},
                        {QStringLiteral("积分"), CellKind::Number}});
    w.addRow({"0012", "13800138000", "1234.5", "2024-05-01 09:30:00", "12.5"});
    w.addRow({"0013", "", "0.1", "2024-05-02", "3"});
    w.addTotalsRow();
    const QString path = QDir(m_wd->path()).filePath(QStringLiteral("out.xlsx"));
    QString error;
    QVERIFY2(w.save(path, &error), qPrintable(error));
    const Sheet s = SheetReader::readFile(path);
    QVERIFY2(s.ok(), qPrintable(s.error));
    QCOMPARE(s.encoding, QStringLiteral("xlsx"));
    QCOMPARE(s.header, (QStringList{"会员编号", "电话", "剩余金额", "登记时间", "积分"}));
    QCOMPARE(s.rows.size(), 3);
    QCOMPARE(s.rows.at(0), (QStringList{"0012", "13800138000", "1234.5", "2024-05-01 09:30:00", "12.5"}));
    QCOMPARE(s.rows.at(1), (QStringList{"0013", "", "0.1", "2024-05-02", "3"}));
    QCOMPARE(s.rows.at(2).value(0), QStringLiteral("合计"));
    QCOMPARE(s.rows.at(2).value(2), QStringLiteral("1234.6"));
}

// 导出 to .xlsx from a real list: LibreOffice opens it and reads the same rows,
// money with two decimals, codes with their zeros, dates as dates, the 合计 line.
void TestOpeningImport::exportedWorkbookOpensInLibreOffice()
{
    sqlExec("insert into huiyuan(ID,name,phone,type,shengyujine,jifen,login_time) "
            "values('0007','钱七','13800138000','金卡',1234.5,12.5,'2026-03-04 05:06:07')");
    ctrlUiClass c;
    QTableView view;
    c.setupView(readDbset(), &view, QStringLiteral("会员管理"));
    PromptRecorder prompts;
    const QString file = QDir(m_wd->path()).filePath(QStringLiteral("会员.xlsx"));
    prompts.saveFileName(file);
    c.exportView(QStringLiteral("会员管理"), QStringLiteral("admin"));
    QVERIFY2(prompts.last().startsWith(QStringLiteral("导出数据成功")), qPrintable(prompts.last()));

    // Read back by our own reader: the header and every row, the totals under them.
    const Sheet own = SheetReader::readFile(file);
    QVERIFY2(own.ok(), qPrintable(own.error));
    const int balance = own.header.indexOf(QStringLiteral("剩余金额"));
    const int phone = own.header.indexOf(QStringLiteral("电话"));
    QVERIFY(balance > 0 && phone > 0);
    QCOMPARE(own.rows.size(), 4);
    QCOMPARE(own.rows.at(2).value(0), QStringLiteral("0007"));
    QCOMPARE(own.rows.at(3).value(0), QStringLiteral("合计"));
    QCOMPARE(own.rows.at(3).value(balance), QStringLiteral("1814.5"));

    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice (soffice) is not installed: scripts/deps.sh installs it");
    const QString out = QDir(m_wd->path()).filePath(QStringLiteral("lo"));
    QProcess lo;
    lo.setProgram(soffice);
    lo.setArguments({QStringLiteral("-env:UserInstallation=file://") + QDir(m_wd->path()).filePath(QStringLiteral("lo-profile")),
                     QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                     QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"), out, file});
    lo.start();
    QVERIFY2(lo.waitForFinished(120000), "LibreOffice did not finish");
    QFile csv(QDir(out).filePath(QStringLiteral("会员.csv")));
    QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(QString::fromUtf8(lo.readAllStandardError())));
    const Sheet seen = SheetReader::readCsv(csv.readAll());
    QVERIFY2(seen.ok(), qPrintable(seen.error));
    QCOMPARE(seen.header, own.header);
    QCOMPARE(seen.rows.size(), 4);
    QCOMPARE(seen.rows.at(2).value(0), QStringLiteral("0007"));
    QCOMPARE(seen.rows.at(2).value(phone), QStringLiteral("13800138000"));
    QCOMPARE(seen.rows.at(2).value(balance), QStringLiteral("1234.50"));
    QCOMPARE(seen.rows.at(2).value(own.header.indexOf(QStringLiteral("登记时间"))), QStringLiteral("2026-03-04 05:06:07"));
    QCOMPARE(seen.rows.at(0).value(balance), QStringLiteral("500.00"));
    QCOMPARE(seen.rows.at(3).value(0), QStringLiteral("合计"));
    QCOMPARE(seen.rows.at(3).value(balance), QStringLiteral("1814.50"));
}

void TestOpeningImport::headerGuess()
{
    const QMap<int, QString> m = OpeningImportFields::guess(
        ImportKind::Members,
        {"会员编号", "会员姓名", "手机号码", "shengyujine", "剩余积分", "次数:洗剪吹", "烫发次数", "不认识的列", "联系电话"});
    QCOMPARE(m.value(0), QStringLiteral("memberId"));
    QCOMPARE(m.value(1), QStringLiteral("name"));
    QCOMPARE(m.value(2), QStringLiteral("phone"));
    QCOMPARE(m.value(3), QStringLiteral("balance"));
    QCOMPARE(m.value(4), QStringLiteral("points"));
    QCOMPARE(m.value(5), QStringLiteral("uses:洗剪吹"));
    QCOMPARE(m.value(6), QStringLiteral("uses:烫发"));
    QVERIFY(!m.contains(7));
    QVERIFY(!m.contains(8)); // the phone is taken once
}

void TestOpeningImport::dryRunListsEveryRefusedRow()
{
    const QString csv = kHeader + QStringLiteral(
        "\r\n2001,甲,女,13900000001,1990-02-03,金卡,100.50,10,20,0,洗剪吹:3"
        "\r\n2002,,女,13900000002,,金卡,0,0,0,0,"            // 3: no name
        "\r\n2003,丙,女,13800000000,,金卡,0,0,0,0,"          // 4: ok (1001 has no phone)
        "\r\n2004,丁,女,13900000001,,金卡,0,0,0,0,"          // 5: phone of row 2
        "\r\n2005,戊,女,,,钻石卡,0,0,0,0,"                   // 6: unknown card type
        "\r\n2006,己,女,,,金卡,abc,0,0,0,"                   // 7: balance not a number
        "\r\n2007,庚,女,,,金卡,1.234,0,0,0,"                 // 8: three decimals
        "\r\n2008,辛,女,,1990-02-30,金卡,0,0,0,0,"           // 9: no such date
        "\r\n2009,壬,女,,,金卡,0,0,0,0,美甲:2"               // 10: unknown item
        "\r\n2001,癸,女,,,金卡,0,0,0,0,"                     // 11: card number of row 2
        "\r\n2010,子,未知,,,金卡,0,0,0,-5,"                 // 12: sex and a negative debt
        "\r\n2011,丑,女,,,金卡,0,0,0,0,洗剪吹:2.5");         // 13: half a use
    OpeningImport im = importOf(csv);
    const ImportCheck check = OpeningImportWriter::dryRun(im);
    QStringList seen;
    for (const RowProblem &p : check.problems)
        seen << QStringLiteral("%1|%2").arg(p.row).arg(p.column);
    QCOMPARE(seen, (QStringList{"3|姓名", "5|电话", "6|会员卡类型", "7|卡内余额", "8|卡内余额", "9|生日", "10|套餐次数",
                                "11|会员卡号", "12|性别", "12|欠款", "13|套餐次数"}));
    QCOMPARE(check.problems.at(3).reason, QStringLiteral("卡内余额不是有效的数字：“abc”"));
    QVERIFY(check.problems.at(4).reason.contains(QStringLiteral("两位小数")));
    QCOMPARE(check.problems.at(10).reason,
             QStringLiteral("洗剪吹：次数必须是整数（套餐次数按整次导入，半次请先折成整次，或把它的钱记入卡内余额）"));
    QCOMPARE(check.added, 2);
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2")); // the dry run wrote nothing

    // The writer takes the two good rows and leaves the rest out.
    ImportCheck written;
    const LedgerResult r = OpeningImportWriter::write(im, ImportProgress(), &written);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(written.problems.size(), 11);
    QCOMPARE(sqlValue("select group_concat(ID) from (select ID from huiyuan order by ID)"),
             QStringLiteral("1001,1002,2001,2003"));
    QCOMPARE(sqlValue("select xinzeng||'|'||jujue from qichudaoru"), QStringLiteral("2|10"));

    // A sheet whose every row is refused, or whose name column is missing, writes nothing.
    const LedgerResult none = OpeningImportWriter::write(importOf(kHeader + QStringLiteral("\r\n2020,,女,,,金卡,0,0,0,0,")));
    QVERIFY(!none.ok);
    QVERIFY2(none.error.contains(QStringLiteral("第 2 行")), qPrintable(none.error));
    const LedgerResult noName = OpeningImportWriter::write(importOf(QStringLiteral("卡号,余额\r\n2021,5\r\n")));
    QVERIFY(!noName.ok);
    QCOMPARE(sqlValue("select count(*) from qichudaoru"), QStringLiteral("1"));
    verifyBooks();
}

void TestOpeningImport::importWritesOpeningValuesNotTakings()
{
    const Takings before = TakingsRead::period(today(), today() + QStringLiteral(" 23:59:59"));
    const QString csv = kHeader + QStringLiteral(",次数:烫发"
        "\r\n2001,甲,女,13900000001,1990-02-03,金卡,100.50,10,20.5,30,洗剪吹:3;染发:1,2"
        "\r\n,乙,男,13900000002,,,0,0,0,0,,"
        "\r\n0099,丙,,,1985/7/8,普通卡,0.10,0.20,0,0,,");
    OpeningImport im = importOf(csv);
    im.defaultCardType = QStringLiteral("普通卡");
    ImportCheck check;
    const LedgerResult r = OpeningImportWriter::write(im, ImportProgress(), &check);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(r.documentId.startsWith(QStringLiteral("QC")));
    QCOMPARE(check.added, 3);
    QCOMPARE(sqlValue("select leixing from danjuhao where ID='" + r.documentId + "'"), QStringLiteral("期初导入"));

    QCOMPARE(BalanceBook::balance("2001"), qint64(11050));
    QCOMPARE(BalanceBook::storedValue("2001").bonusCents, qint64(1000));
    QCOMPARE(PointsBook::points("2001"), 20.5);
    QCOMPARE(UsesBook::left("2001", "S01"), 3.0);
    QCOMPARE(UsesBook::left("2001", "S03"), 1.0);
    QCOMPARE(UsesBook::left("2001", "S02"), 2.0);
    QCOMPARE(DebtBook::memberDebt("2001"), qint64(3000));
    QCOMPARE(sqlValue("select substr(birthday,1,10)||'|'||type from huiyuan where ID='2001'"),
             QStringLiteral("1990-02-03|金卡"));
    // Numbered as a card issue numbers: after the largest member number.
    QCOMPARE(sqlValue("select ID||'|'||type from huiyuan where name='乙'"), QStringLiteral("1003|普通卡"));
    QCOMPARE(BalanceBook::balance("0099"), qint64(30));
    QCOMPARE(sqlValue("select substr(birthday,1,10) from huiyuan where ID='0099'"), QStringLiteral("1985-07-08"));

    // No takings: not in the payments, the sales, the daily summaries.
    const Takings after = TakingsRead::period(today(), today() + QStringLiteral(" 23:59:59"));
    QCOMPARE(after.totalCents(), before.totalCents());
    QCOMPARE(after.byMethod().size(), before.byMethod().size());
    QCOMPARE(TakingsRead::period(today(), today() + QStringLiteral(" 23:59:59"), LedgerSql::desk()).totalCents(),
             qint64(0));
    QCOMPARE(sqlValue("select count(*) from huiyuanjiaofei"), QStringLiteral("0"));
    QCOMPARE(sqlValue("select count(*) from rihuizong_shouyin where riqi='" + today() + "'"), QStringLiteral("0"));
    QCOMPARE(sqlValue("select count(*) from huiyuanyuebiandong where biandongleixing='期初导入'"), QStringLiteral("5"));
    QCOMPARE(sqlValue("select count(*) from log where log like '期初导入会员  单号：" + r.documentId + "%新增3%'"),
             QStringLiteral("1"));
    QCOMPARE(sqlValue("select wenjian||'|'||xinzeng||'|'||zhuangtai from qichudaoru"), QStringLiteral("会员.csv|3|有效"));
    verifyBooks();
}

void TestOpeningImport::existingMembers_data()
{
    QTest::addColumn<int>("policy");
    QTest::addColumn<int>("refused");
    QTest::addColumn<QString>("nameAfter");
    QTest::newRow("skip") << int(ExistingRows::Skip) << 0 << "王五";
    QTest::newRow("update fields") << int(ExistingRows::UpdateFields) << 0 << "王五五";
    QTest::newRow("refuse") << int(ExistingRows::Refuse) << 2 << "王五";
}

void TestOpeningImport::existingMembers()
{
    QFETCH(int, policy);
    QFETCH(int, refused);
    QFETCH(QString, nameAfter);
    sqlExec("update huiyuan set phone='13700000000' where ID='1002'");
    // 1001 by its number (a balance in the sheet), 1002 by its phone alone.
    const QString csv = QStringLiteral("会员卡号,姓名,手机,卡内余额,积分\r\n1001,王五五,,999,5\r\n,赵六,13700000000,1,1\r\n3001,新人,,5,0\r\n");
    OpeningImport im = importOf(csv, ExistingRows(policy));
    im.defaultCardType = QStringLiteral("普通卡");
    ImportCheck check;
    const LedgerResult r = OpeningImportWriter::write(im, ImportProgress(), &check);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(check.problems.size(), refused);
    if (refused)
        QVERIFY2(check.problems.first().reason.contains(QStringLiteral("已经存在")), qPrintable(check.problems.first().reason));
    QCOMPARE(sqlValue("select name from huiyuan where ID='1001'"), nameAfter);
    // Never the balances of a member on file.
    QCOMPARE(BalanceBook::balance("1001"), qint64(50000));
    QCOMPARE(PointsBook::points("1001"), 40.0);
    QCOMPARE(BalanceBook::balance("1002"), qint64(8000));
    QCOMPARE(BalanceBook::balance("3001"), qint64(500));
    if (policy == int(ExistingRows::UpdateFields)) {
        // Taking it back gives the old name back.
        QVERIFY(OpeningImportWriter::takeBack(r.documentId, "admin").ok);
        QCOMPARE(sqlValue("select name from huiyuan where ID='1001'"), QStringLiteral("王五"));
        QCOMPARE(sqlValue("select count(*) from huiyuan where ID='3001'"), QStringLiteral("0"));
    }
    verifyBooks();
}

void TestOpeningImport::refusedWholeCancelledOrWithoutRight()
{
    QString csv = kHeader;
    for (int i = 0; i < 600; ++i)
        csv += QStringLiteral("\r\n%1,会员%1,女,139%2,,金卡,10,0,1,0,洗剪吹:1").arg(5000 + i).arg(i, 8, 10, QLatin1Char('0'));
    OpeningImport im = importOf(csv);
    QVERIFY(im.problems.isEmpty());
    // Cancelled half way: nothing at all.
    int calls = 0;
    const LedgerResult cancelled = OpeningImportWriter::write(im, [&](int done, int total) {
        ++calls;
        return done < total / 2;
    });
    QVERIFY(!cancelled.ok);
    QVERIFY(calls >= 2);
    QVERIFY2(cancelled.error.contains(QStringLiteral("取消")), qPrintable(cancelled.error));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));
    QCOMPARE(sqlValue("select count(*) from huiyuanyuebiandong"), QStringLiteral("3"));
    QCOMPARE(sqlValue("select count(*) from danjuhao"), QStringLiteral("0"));

    // A statement that fails half way (here a trigger refusing one member's
    // ledger row) leaves nothing and names the row.
    {
        refuseRows("refuse_5300", "BEFORE INSERT", "huiyuanjifen", "disk I/O error", "NEW.huiyuanid='5300'");
        const LedgerResult broken = OpeningImportWriter::write(im);
        dropTrigger("refuse_5300", "huiyuanjifen");
        QVERIFY(!broken.ok);
        QVERIFY2(broken.error.contains(QStringLiteral("第 302 行")), qPrintable(broken.error));
        QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));
        QCOMPARE(sqlValue("select count(*) from danjuhao"), QStringLiteral("0"));
    }

    // An operator without the settings right is refused in the writer itself.
    sqlExec("insert into \"user\"(name,password,xitongshezhi,jinyong) values('小王','x','否','否')");
    im.operatorName = QStringLiteral("小王");
    const LedgerResult noRight = OpeningImportWriter::write(im);
    QVERIFY(!noRight.ok);
    QVERIFY2(noRight.error.contains(QStringLiteral("权限")), qPrintable(noRight.error));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));
    verifyBooks();
}

void TestOpeningImport::openingDebtIsRepaidAsTakingsOfItsDay()
{
    const LedgerResult r = OpeningImportWriter::write(
        importOf(QStringLiteral("会员卡号,姓名,会员卡类型,欠款\r\n4001,欠款人,金卡,88.80\r\n")));
    QVERIFY2(r.ok, qPrintable(r.error));
    const QList<DebtBook::Open> open = DebtBook::openOf("4001");
    QCOMPARE(open.size(), 1);
    QCOMPARE(open.first().cents, qint64(8880));
    Repayment pay{open.first().documentId, 5000, QStringLiteral("现金"), QStringLiteral("admin")};
    const LedgerResult paid = MemberWriter::repay(pay);
    QVERIFY2(paid.ok, qPrintable(paid.error));
    QCOMPARE(DebtBook::memberDebt("4001"), qint64(3880));
    const Takings day = TakingsRead::period(today(), today() + QStringLiteral(" 23:59:59"), LedgerSql::desk());
    QCOMPARE(day.totalCents(), qint64(5000));
    pay.cents = 3881;
    QVERIFY(!MemberWriter::repay(pay).ok); // more than is owed
    // The reminders list it with what is still owed and what was repaid.
    const DbsetMap lists = readDbset();
    const QList<QStringList> owed = sqlRows(lists.value(QStringLiteral("欠款提醒")).value<TableViewinfo>().SqlStr);
    QCOMPARE(owed.size(), 1);
    QCOMPARE(owed.first().mid(3, 6), (QStringList{"期初", open.first().documentId, owed.first().value(5), "38.8", "88.8", "50"}));
    const QList<QStringList> repaid = sqlRows(lists.value(QStringLiteral("还款记录")).value<TableViewinfo>().SqlStr);
    QCOMPARE(repaid.size(), 1);
    QCOMPARE(repaid.first().value(9), QStringLiteral("38.8"));
    // Repaid once: the import can no longer be taken back.
    const LedgerResult back = OpeningImportWriter::takeBack(r.documentId, "admin");
    QVERIFY(!back.ok);
    QVERIFY2(back.error.contains(QStringLiteral("4001")), qPrintable(back.error));
    verifyBooks();
}

void TestOpeningImport::takeBackWholeUntilTheMemberMoves()
{
    const QString csv = kHeader + QStringLiteral("\r\n2001,甲,女,,,金卡,100,0,20,5,洗剪吹:3\r\n2002,乙,女,,,金卡,50,0,0,0,");
    const LedgerResult first = OpeningImportWriter::write(importOf(csv));
    QVERIFY(first.ok);
    QVERIFY(OpeningImportWriter::takeBack(first.documentId, "admin").ok);
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));
    QCOMPARE(sqlValue("select count(*) from huiyuanyuebiandong where biandongleixing='期初导入'"), QStringLiteral("0"));
    QCOMPARE(sqlValue("select zhuangtai from qichudaoru where ID='" + first.documentId + "'"), QStringLiteral("已撤销"));
    QCOMPARE(DebtBook::memberDebt("2001"), qint64(0));
    QVERIFY(!OpeningImportWriter::takeBack(first.documentId, "admin").ok); // once
    verifyBooks();

    // Imported again, and a top-up of one member keeps the whole import.
    const LedgerResult second = OpeningImportWriter::write(importOf(csv));
    QVERIFY2(second.ok, qPrintable(second.error));
    TopUp t;
    t.memberId = QStringLiteral("2002");
    t.paidInCents = t.receivedCents = 1000;
    t.method = QStringLiteral("现金");
    t.operatorName = QStringLiteral("admin");
    QVERIFY(MemberWriter::topUp(t).ok);
    const LedgerResult refused = OpeningImportWriter::takeBack(second.documentId, "admin");
    QVERIFY(!refused.ok);
    QVERIFY2(refused.error.contains(QStringLiteral("2002")), qPrintable(refused.error));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("4"));
    QCOMPARE(BalanceBook::balance("2001"), qint64(10000));
    QCOMPARE(sqlValue("select count(*) from log where log like '撤销期初导入%'"), QStringLiteral("1"));
    verifyBooks();
}

void TestOpeningImport::catalogueImport()
{
    const QString items = QStringLiteral("项目编号,项目名称,类别,单价\r\nS01,洗剪吹新,美发,120\r\nS09,头疗,养护,88.8\r\nS10,,养护,1\r\n");
    OpeningImport im = importOf(items, ExistingRows::UpdateFields, ImportKind::ServiceItems);
    ImportCheck check = OpeningImportWriter::dryRun(im);
    QCOMPARE(check.problems.size(), 1);
    QCOMPARE(check.problems.first().row, 4);
    im.items.removeLast();
    im.problems.clear();
    const LedgerResult r = OpeningImportWriter::write(im, ImportProgress(), &check);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(check.added, 1);
    QCOMPARE(check.updated, 1);
    QCOMPARE(sqlValue("select name||'|'||CAST(xiaoshoujiage*100 AS INTEGER) from fuwuxiangmu where ID='S01'"), QStringLiteral("洗剪吹新|12000"));
    QCOMPARE(sqlValue("select name||'|'||CAST(round(xiaoshoujiage*100) AS INTEGER)||'|'||jinyong from fuwuxiangmu where ID='S09'"),
             QStringLiteral("头疗|8880|否"));

    OpeningImport products = importOf(QStringLiteral("产品编号,产品名称,条码,售价\r\nP09,发蜡,=\"0690009\",35\r\n"),
                                      ExistingRows::Skip, ImportKind::Products);
    QVERIFY(OpeningImportWriter::write(products).ok);
    QCOMPARE(sqlValue("select tiaoma from chanpin where ID='P09'"), QStringLiteral("0690009"));
    QCOMPARE(sqlValue("select count(*) from chanpinrukumingxi where chanpinID='P09' and rukuID='000000'"),
             QStringLiteral("1"));
    verifyBooks();
}

// Card types by name: discounts as shops write them, each refused one named in
// the check; taken back while nothing names them, the updated one restored.
void TestOpeningImport::cardTypeImport()
{
    const QString sheet = QStringLiteral(
        "会员卡名称,卡内金额,售价,服务折扣,产品折扣,套餐折扣,备注\r\n"
        "钻石卡,3000,2500,0.8,9折,,年卡\r\n"  // 2: new, 套餐 without discount
        "金卡,600,,8.8折,,,\r\n"              // 3: on file, updated where given
        "银卡,100,100,1.2,,,\r\n"             // 4: more than the price
        "铜卡,100,100,0,,,\r\n"               // 5: free
        "钻石卡,1,1,1,1,1,\r\n"               // 6: name of row 2
        "学生卡,100,100,9,,,\r\n"             // 7: nine times the price, or 9折?
        "员工卡,0,0,95折,90%,0.855,\r\n"      // 8: new
        "贵宾卡,0,0,0.8888,,,\r\n"            // 9: finer than a thousandth
        ",100,100,1,1,1,\r\n");               // 10: no name
    OpeningImport im = importOf(sheet, ExistingRows::UpdateFields, ImportKind::CardTypes);
    const ImportCheck check = OpeningImportWriter::dryRun(im);
    QStringList seen;
    for (const RowProblem &p : check.problems)
        seen << QStringLiteral("%1|%2").arg(p.row).arg(p.column);
    QCOMPARE(seen, (QStringList{"4|服务折扣", "5|服务折扣", "6|会员卡名称", "7|服务折扣", "9|服务折扣", "10|会员卡名称"}));
    QCOMPARE(check.problems.at(0).reason, QStringLiteral("服务折扣“1.2”应在 0 到 1 之间（0.9 为九折，1 为不打折）"));
    QVERIFY2(check.problems.at(2).reason.contains(QStringLiteral("第 2 行重复")), qPrintable(check.problems.at(2).reason));
    QVERIFY2(check.problems.at(4).reason.contains(QStringLiteral("千分之一")), qPrintable(check.problems.at(4).reason));
    QCOMPARE(check.added, 2);
    QCOMPARE(check.updated, 1);
    QCOMPARE(sqlValue("select count(*) from huiyuanka"), QStringLiteral("2"));

    const LedgerResult r = OpeningImportWriter::write(im);
    QVERIFY2(r.ok, qPrintable(r.error));
    const auto cards = [] {
        QStringList out;
        for (const QStringList &r : sqlRows("select name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,"
                                            "coalesce(beizhu,'') from huiyuanka order by ID"))
            out << r.join(QLatin1Char('|'));
        return out;
    };
    QCOMPARE(cards(), (QStringList{"金卡|600|500|0.88|0.9|1|", "普通卡|0|0|1|1|1|", "钻石卡|3000|2500|0.8|0.9|1|年卡",
                                   "员工卡|0|0|0.95|0.9|0.855|"}));
    QCOMPARE(sqlValue("select leixing||'|'||xinzeng||'|'||gengxin||'|'||jujue from qichudaoru"),
             QStringLiteral("会员卡类型|2|1|6"));

    // Exported in the import's own columns, the card types read back as they are.
    const QString exported = QDir(m_wd->path()).filePath(QStringLiteral("卡.xlsx"));
    QString error;
    QCOMPARE(OpeningImportWriter::exportSheet(ImportKind::CardTypes, exported, &error), 4);
    const Sheet again = SheetReader::readFile(exported);
    const OpeningImport back0 = OpeningImportWriter::fromSheet(ImportKind::CardTypes, again,
                                                               OpeningImportFields::guess(ImportKind::CardTypes, again.header));
    QVERIFY(back0.problems.isEmpty());
    QCOMPARE(back0.items.value(3).fields.value(QStringLiteral("taocanzekou")), QStringLiteral("0.855"));
    QCOMPARE(OpeningImportWriter::dryRun(back0).skipped, 4);

    // 金卡 edited afterwards for its price keeps the 8.8折 its list does not offer.
    const QString listSql = readDbset().value(QStringLiteral("会员卡信息")).value<TableViewinfo>().SqlStr;
    QStringList gold;
    for (const QStringList &row : sqlRows(listSql))
        if (row.value(0) == QStringLiteral("金卡"))
            gold = row;
    {
        TestDispatch dispatch;
        addhuiyuankaDlg edit;
        dispatch.attach(&edit);
        edit.setup(2, gold);
        edit.findChild<QLineEdit *>(QStringLiteral("lineEdit_3"))->setText(QStringLiteral("550"));
        clickButton(&edit, QStringLiteral("toolButton"));
    }
    QCOMPARE(cards().value(0), QStringLiteral("金卡|600|550|0.88|0.9|1|"));

    // Taken back only while nothing names the new card types.
    const QStringList uses{
        "insert into huiyuan(ID,name,type,shengyujine,jifen,login_time) values('7777','用卡人','员工卡',0,0,'2026-01-01 00:00:00')",
        "insert into chongzhiguize(kaming,chongzhijine,zengsongjine,zengsongjifen) values('员工卡',100,10,0)",
        "insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili) values('S01','服务项目','员工卡','打折',0.5)",
        "insert into huiyuankabiandong(ID,huiyuanid,jiuka,xinka) values('SJ1','1001','员工卡','金卡')"};
    const QStringList undo{"delete from huiyuan where ID='7777'", "delete from chongzhiguize",
                           "delete from cuxiaoshezhi where huiyuanleixing='员工卡'", "delete from huiyuankabiandong"};
    const QStringList said{"会员", "充值优惠规则", "促销方案", "会员卡升级记录"};
    for (int i = 0; i < uses.size(); ++i) {
        sqlExec(uses.at(i));
        const LedgerResult refused = OpeningImportWriter::takeBack(r.documentId, "admin");
        QVERIFY(!refused.ok);
        QVERIFY2(refused.error.contains(QStringLiteral("会员卡类型“员工卡”在导入后已被%1使用").arg(said.at(i))),
                 qPrintable(refused.error));
        QCOMPARE(sqlValue("select count(*) from huiyuanka"), QStringLiteral("4"));
        sqlExec(undo.at(i));
    }
    const LedgerResult back = OpeningImportWriter::takeBack(r.documentId, "admin");
    QVERIFY2(back.ok, qPrintable(back.error));
    QCOMPARE(cards(), (QStringList{"金卡|500|550|0.8|0.9|1|", "普通卡|0|0|1|1|1|"}));
    QCOMPARE(sqlValue("select zhuangtai from qichudaoru"), QStringLiteral("已撤销"));
}

// The generator's sample sheets, as a new shop takes them in: the items first,
// then the members from the GB18030 CSV or the same rows as .xlsx. The check
// lists exactly the rows the generator spoiled; the rest go in, and nothing of
// it is takings.
void TestOpeningImport::generatorSamplesCarryExactlyTheirFaults()
{
    const QString folder = QDir(m_wd->path()).filePath(QStringLiteral("samples"));
    QStringList files;
    ImportSamples::Faults faults;
    QString error;
    QVERIFY2(ImportSamples::write(folder, 500, 20, 7, &files, &faults, &error), qPrintable(error));
    QCOMPARE(faults.rows.size(), 20);
    const auto import = [](ImportKind kind, const QString &path) {
        const Sheet sheet = SheetReader::readFile(path);
        OpeningImport im = OpeningImportWriter::fromSheet(kind, sheet, OpeningImportFields::guess(kind, sheet.header));
        im.fileName = QFileInfo(path).fileName();
        im.operatorName = QStringLiteral("admin");
        return im;
    };
    // 金卡 is on file already: skipped, the other two added.
    ImportCheck cards;
    QVERIFY(OpeningImportWriter::write(import(ImportKind::CardTypes, files.at(4)), ImportProgress(), &cards).ok);
    QCOMPARE(cards.added, 2);
    QCOMPARE(cards.skipped, 1);
    QCOMPARE(sqlValue("select fuwuzekou from huiyuanka where name='银卡'"), QStringLiteral("0.95"));
    QVERIFY(OpeningImportWriter::write(import(ImportKind::ServiceItems, files.at(0))).ok);
    QVERIFY(OpeningImportWriter::write(import(ImportKind::Products, files.at(1))).ok);
    ImportCheck fromCsv;
    for (const QString &path : {files.at(2), files.at(3)}) {
        const OpeningImport im = import(ImportKind::Members, path);
        const ImportCheck check = OpeningImportWriter::dryRun(im);
        QList<int> rows;
        QStringList said;
        for (const RowProblem &p : check.problems) {
            if (!rows.contains(p.row))
                rows << p.row;
            said << QStringLiteral("%1 %2 %3").arg(p.row).arg(p.column, p.reason);
        }
        QVERIFY2(rows == faults.rows, qPrintable(said.join(QLatin1Char('\n'))));
        QCOMPARE(check.added, 480);
        if (path == files.at(2))
            fromCsv = check;
        else
            QCOMPARE(check.problems.size(), fromCsv.problems.size());
    }
    QElapsedTimer t;
    t.start();
    const LedgerResult r = OpeningImportWriter::write(import(ImportKind::Members, files.at(3)));
    QVERIFY2(r.ok, qPrintable(r.error));
    qInfo("500 rows of .xlsx imported in %lld ms", static_cast<long long>(t.elapsed()));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("482"));
    QCOMPARE(TakingsRead::period(today(), today() + QStringLiteral(" 23:59:59")).totalCents(), qint64(0));
    QCOMPARE(sqlValue("select count(*) from rihuizong_shouyin"), QStringLiteral("0"));
    verifyBooks();
}

void TestOpeningImport::dialogChecksImportsAndRemembers()
{
    PromptRecorder prompts;
    // A sheet as a shop keeps it: GB18030, its own headers, two faulty rows.
    QString csv = QStringLiteral("卡号,客户姓名,联系电话,余额,积分,其他\r\n");
    for (int i = 0; i < 30; ++i)
        csv += QStringLiteral("%1,客户%1,138%2,%3,5,x\r\n").arg(7000 + i).arg(i, 8, 10, QLatin1Char('0')).arg(i == 4 ? "12.345" : "20");
    csv += QStringLiteral(",,13900000000,1,1,x\r\n");
    const QString path = QDir(m_wd->path()).filePath(QStringLiteral("客户.csv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(gb18030(csv));
    f.close();

    TestDispatch dispatch;
    auto dlg = std::make_unique<DaoruDlg>(ImportKind::Members);
    dispatch.attach(dlg.get());
    ImportScreen screen{dlg.get()};
    screen.choose(path);
    QCOMPARE(screen.previewRows(), 20);
    QCOMPARE(dlg->mapping(), (QStringList{"memberId", "name", "phone", "balance", "points", ""}));
    dlg->findChild<QComboBox *>(QStringLiteral("comboBox_cardType"))->setCurrentText(QStringLiteral("金卡"));
    screen.click("pushButton_check");
    QCOMPARE(screen.problems(), (QStringList{"6|余额", "32|客户姓名"}));
    QVERIFY2(screen.summary().contains(QStringLiteral("2 行不能导入")), qPrintable(screen.summary()));
    prompts.answer(QStringLiteral("否"));
    screen.click("pushButton_import");
    QVERIFY2(prompts.last().contains(QStringLiteral("有 2 行不能导入")), qPrintable(prompts.last()));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));

    // The remark column taken as 备注 this time: remembered for the next file.
    dlg->setMapping(5, QStringLiteral("remark"));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    csv.replace(QStringLiteral("12.345"), QStringLiteral("12.34"));
    csv.remove(QStringLiteral(",,13900000000,1,1,x\r\n"));
    f.write(gb18030(csv));
    f.close();
    screen.click("pushButton_check");
    dlg.reset();
    dlg = std::make_unique<DaoruDlg>(ImportKind::Members);
    dispatch.attach(dlg.get());
    screen.dlg = dlg.get();
    screen.choose(path);
    QCOMPARE(dlg->mapping().value(5), QStringLiteral("remark"));
    dlg->findChild<QComboBox *>(QStringLiteral("comboBox_cardType"))->setCurrentText(QStringLiteral("金卡"));
    screen.click("pushButton_import");
    QVERIFY2(prompts.last().contains(QStringLiteral("新增 30 条")), qPrintable(prompts.last()));
    QCOMPARE(sqlValue("select count(*) from huiyuan where beizhu='x' and type='金卡'"), QStringLiteral("30"));
    QCOMPARE(BalanceBook::balance("7004"), qint64(1234));
    QVERIFY(dispatch.keys.contains(QStringLiteral("刷新数据列表")));
    auto *imports = dlg->findChild<QTableView *>(QStringLiteral("tableView_imports"));
    QCOMPARE(imports->model()->rowCount(), 1);
    QCOMPARE(imports->model()->index(0, 4).data().toString(), QStringLiteral("客户.csv"));
    QCOMPARE(dlg->findChild<QProgressBar *>()->value(), 30);

    // Taken back from the list of imports, after the 警告 question.
    imports->selectRow(0);
    prompts.answer(QStringLiteral("是"));
    screen.click("pushButton_takeBack");
    QVERIFY2(prompts.last().contains(QStringLiteral("已撤销")), qPrintable(prompts.last()));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));

    // The template, saved and read back.
    const QString templ = QDir(m_wd->path()).filePath(QStringLiteral("模板.xlsx"));
    prompts.saveFileName(templ);
    screen.click("pushButton_template");
    const Sheet t = SheetReader::readFile(templ);
    QVERIFY2(t.ok(), qPrintable(t.error));
    QCOMPARE(t.header, OpeningImportFields::templateHeader(ImportKind::Members));
    QCOMPARE(t.rows.value(0).value(6), QStringLiteral("500"));
    verifyBooks();
}

void TestOpeningImport::dialogCancelLeavesNothing()
{
    PromptRecorder prompts;
    QString csv = kHeader;
    for (int i = 0; i < 2000; ++i)
        csv += QStringLiteral("\r\n%1,会员%1,女,,,金卡,10,0,1,0,洗剪吹:1").arg(8000 + i);
    const QString path = QDir(m_wd->path()).filePath(QStringLiteral("many.csv"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(csv.toUtf8());
    f.close();
    DaoruDlg dlg(ImportKind::Members);
    ImportScreen screen{&dlg};
    screen.choose(path);
    // The cancel button is pressed while the rows go in (the window takes its
    // events between batches).
    QStringList enabledWhileBusy;
    QTimer::singleShot(0, &dlg, [&] {
        for (QPushButton *b : dlg.findChildren<QPushButton *>())
            if (b->isEnabled())
                enabledWhileBusy << b->objectName();
        screen.click("pushButton_cancel");
    });
    screen.click("pushButton_import");
    // Nothing but the cancel may run inside the import's transaction.
    QCOMPARE(enabledWhileBusy, QStringList{"pushButton_cancel"});
    QVERIFY2(prompts.last().contains(QStringLiteral("导入已取消")), qPrintable(prompts.last()));
    QCOMPARE(sqlValue("select count(*) from huiyuan"), QStringLiteral("2"));
    QCOMPARE(sqlValue("select count(*) from qichudaoru"), QStringLiteral("0"));
    QVERIFY(dlg.findChild<QPushButton *>(QStringLiteral("pushButton_import"))->isEnabled());
    verifyBooks();
}

QTEST_MAIN(TestOpeningImport)
#include "tst_openingimport.moc"
