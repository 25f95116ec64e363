#include <QtTest>
#include <QPrinterInfo>
#include <QProcess>

#include "checkoutfixture.h"
#include "memberwriter.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "receipts/receiptprinter.h"
#include "receipt.h"
#include "receiptsettings.h"
#include "receipts/receiptsettingsdlg.h"
#include "refundwriter.h"
#include "salewriter.h"

using namespace checkout_fixture;

// Every kind of document rendered to PDF on every paper, read back with
// pdftotext: what a customer holds in their hand.
class TestReceipts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyKindOnEveryPaper_data();
    void everyKindOnEveryPaper();
    void autoPrintWithoutAPrinterTells();
    void previewOpensOnTheChosenPaper();
    void settingsRefuseWhatNoReceiptHolds();

private:
    std::unique_ptr<TestWorkdir> m_wd;
    QMap<QString, QString> m_docs;
};

namespace {

const QString kAdmin = QStringLiteral("admin");

QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return QStringLiteral("<pdftotext did not finish>");
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

void TestReceipts::init()
{
    m_wd = std::make_unique<TestWorkdir>();
    seedShop();
    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
    ReceiptSettings s;
    s.shopName = QStringLiteral("墨辰美发");
    s.address = QStringLiteral("人民路18号");
    s.phone = QStringLiteral("0571-1234567");
    QString error;
    QVERIFY2(s.save(kAdmin, &error), qPrintable(error));

    // A sale with a discount, a package use, card and cash and a debt, one
    // repayment on it, then every other kind of document.
    Sale sale;
    sale.memberId = QStringLiteral("1001");
    SaleLine cut;
    cut.key = QStringLiteral("k1");
    cut.type = QStringLiteral("服务项目");
    cut.itemId = QStringLiteral("S01");
    cut.name = QStringLiteral("洗剪吹");
    cut.listCents = 10000;
    cut.unitCents = 8000;
    cut.quantity = 1;
    cut.amountCents = 8000;
    cut.points = 100;
    SaleLine use = cut;
    cut.commissions = {CommissionRow{QStringLiteral("E01"), QStringLiteral("点单提成"), QStringLiteral("按比例提成"), 10, 800}};
    use.key = QStringLiteral("k2");
    use.type = QStringLiteral("套餐消费");
    use.itemId = QStringLiteral("S02");
    use.name = QStringLiteral("烫发");
    use.listCents = use.unitCents = 20000;
    use.amountCents = 0;
    use.points = 0;
    sale.lines = {cut, use};
    sale.payments = {PaymentPart{QStringLiteral("储蓄卡"), 3000}, PaymentPart{QStringLiteral("现金"), 2000}};
    sale.debtCents = 3000;
    sale.lineMethod = QStringLiteral("储蓄卡");
    sale.operatorName = kAdmin;
    const LedgerResult sold = SaleWriter::commit(sale);
    QVERIFY2(sold.ok, qPrintable(sold.error));
    QVERIFY(MemberWriter::repay(Repayment{sold.documentId, 1000, QStringLiteral("微信"), kAdmin}).ok);
    m_docs[QStringLiteral("sale")] = sold.documentId;
    // What is still owed on it, until the void below takes the debt away.
    QVERIFY(Receipt::of(sold.documentId).after.contains(Receipt::Pair{QStringLiteral("本单欠款"), QStringLiteral("20.00")}));

    TopUp t;
    t.memberId = QStringLiteral("1002");
    t.paidInCents = 50000;
    t.bonusCents = 5000;
    t.receivedCents = 45000;
    t.method = QStringLiteral("现金");
    t.operatorName = kAdmin;
    m_docs[QStringLiteral("topup")] = MemberWriter::topUp(t).documentId;
    // The top-up's debt of 50 is repaid from the card first.
    m_docs[QStringLiteral("balance refund")] =
        RefundWriter::refundBalance({QStringLiteral("1002"), 15000, 10000, QStringLiteral("微信"),
                                     QStringLiteral("会员搬家"), kAdmin, kAdmin})
            .documentId;
    m_docs[QStringLiteral("package refund")] =
        RefundWriter::refundPackage({QStringLiteral("1001"), QStringLiteral("S02"), 2, 30000, QStringLiteral("现金"),
                                     QStringLiteral("不做了"), kAdmin, kAdmin, QString()})
            .documentId;
    m_docs[QStringLiteral("void")] =
        RefundWriter::voidSale({sold.documentId, QStringLiteral("点错项目"), kAdmin, kAdmin}).documentId;
    m_docs[QStringLiteral("package refund to card")] =
        RefundWriter::refundPackage({QStringLiteral("1001"), QStringLiteral("S02"), 1, 17550, QStringLiteral("储蓄卡"),
                                     QStringLiteral("改做护理"), kAdmin, kAdmin, QString()})
            .documentId;
    for (const QString &id : m_docs)
        QVERIFY(!id.isEmpty());
    verifyBooks();
}

void TestReceipts::cleanup()
{
    m_wd.reset();
}

void TestReceipts::everyKindOnEveryPaper_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("absent");
    const QStringList papers = {"58mm", "80mm", "A4"};
    for (const QString &paper : papers) {
        const auto row = [&](const char *kind, const QStringList &expected, const QStringList &absent) {
            QTest::newRow(qPrintable(QString::fromUtf8(kind) + " " + paper)) << QString::fromUtf8(kind) << paper
                                                                              << expected << absent;
        };
        // Figures as they stood right after the sale: balance 470, 烫发 4 uses
        // left, 140 points; its debt is gone with the void.
        // Money with its cents, and the stylist under the line she served.
        row("sale", {"消费小票", "洗剪吹", "服务：张三", "烫发", "套餐", "80.00", "原价合计", "100.00", "折扣优惠",
                     "应收金额", "储蓄卡", "30.00", "现金", "还款", "微信", "卡内余额", "470.00", "剩余次数",
                     "本单积分", "累计积分", "140", "本单已作废"},
            {"谢谢惠顾"});
        // Its debt was repaid from the card by the refund below.
        row("topup", {"充值小票", "会员充值", "500", "赠送金额", "50", "赵六", "还款", "储蓄卡", "卡内余额", "630", "谢谢惠顾"},
            {"作废"});
        // What the rows hold, as money going back: no minus signs, no bonus
        // for a member who had none, the uses as many as were returned.
        row("balance refund", {"退储值小票", "扣除卡内金额", "150", "冲还欠款", "50", "退款金额", "100", "微信",
                               "会员搬家", "卡内余额", "480", "退款已办理"},
            {"谢谢惠顾", "-100", "-150", "赠送", "扣除不退"});
        row("package refund", {"退套餐小票", "烫发", "2", "150", "300", "退款金额", "现金", "烫发 剩余次数", "不做了",
                               "退款已办理"},
            {"谢谢惠顾", "-300", "-150", "赠送", "卡内金额变动"});
        row("package refund to card", {"退套餐小票", "烫发", "175.5", "退回储蓄卡", "卡内余额", "675.5", "改做护理"},
            {"-175.5", "卡内金额变动"});
        // A void undoes a sale: it says so and thanks nobody for buying.
        row("void", {"作废单", "洗剪吹", "-80", "原消费单", "点错项目", "卡内余额", "500", "退回", "本单已作废"},
            {"谢谢惠顾", "付款"});
    }
}

void TestReceipts::everyKindOnEveryPaper()
{
    QFETCH(QString, kind);
    QFETCH(QString, paper);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, absent);
    const QString id = m_docs.value(kind);
    const QString path = m_wd->path() + QStringLiteral("/receipt.pdf");
    QString error;
    QVERIFY2(ReceiptPrinter::savePdf(id, paper, path, &error), qPrintable(error));
    const QString text = pdfText(path);
    for (const QString &common : {QStringLiteral("墨辰美发"), QStringLiteral("人民路18号"), id,
                                  QStringLiteral("admin")})
        QVERIFY2(text.contains(common), qPrintable(common + QStringLiteral(" missing in:\n") + text));
    for (const QString &e : expected)
        QVERIFY2(text.contains(e), qPrintable(e + QStringLiteral(" missing in:\n") + text));
    for (const QString &a : absent)
        QVERIFY2(!text.contains(a), qPrintable(a + QStringLiteral(" should not be in:\n") + text));
    QVERIFY(!ReceiptPrinter::savePdf(QStringLiteral("xf_none"), paper, path + QStringLiteral("x"), &error));
}

// The sale is saved whatever the printer does; the cashier is told it did not print.
void TestReceipts::autoPrintWithoutAPrinterTells()
{
    PromptRecorder prompts;
    ReceiptPrinter::afterDocument(nullptr, m_docs.value(QStringLiteral("sale")));
    QVERIFY(prompts.texts().isEmpty());
    ReceiptSettings s = ReceiptSettings::load();
    s.autoPrint = true;
    QString error;
    QVERIFY(s.save(kAdmin, &error));
    QVERIFY(ReceiptSettings::load().autoPrint);
    ReceiptPrinter::afterDocument(nullptr, m_docs.value(QStringLiteral("sale")));
    if (QPrinterInfo::defaultPrinter().isNull())
        QVERIFY(prompts.last().contains(QStringLiteral("小票未打印")));
    QCOMPARE(sqlValue("select count(*) from log where log='修改小票设置'"), QString("2"));
}

// The preview shows the paper of the settings, also right after they were
// changed from inside it.
void TestReceipts::previewOpensOnTheChosenPaper()
{
    PromptRecorder prompts;
    ReceiptSettings s = ReceiptSettings::load();
    s.paper = QStringLiteral("58mm");
    QString error;
    QVERIFY(s.save(kAdmin, &error));
    operatorSession().xitongshezhi = QStringLiteral("是");
    QString opened, afterSettings;
    onNextModal([&](QWidget *preview) {
        opened = preview->findChild<QComboBox *>("comboBox_paper")->currentText();
        onNextModal([](QWidget *settings) {
            auto *paper = settings->findChild<QComboBox *>("comboBox_paper");
            paper->setCurrentIndex(paper->findText("A4"));
            clickButton(settings, "toolButton_ok");
        });
        clickButton(preview, "toolButton_settings");
        afterSettings = preview->findChild<QComboBox *>("comboBox_paper")->currentText();
        clickButton(preview, "toolButton_close");
    });
    ReceiptPrinter::preview(nullptr, m_docs.value(QStringLiteral("sale")));
    QCOMPARE(opened, QString("58mm"));
    QCOMPARE(afterSettings, QString("A4"));
    QCOMPARE(ReceiptSettings::load().paper, QString("A4"));
}

// The receipt's head holds a name of 30 characters and an address of 200; one
// more is refused with a word, the dialog keeps the typing, nothing is written.
void TestReceipts::settingsRefuseWhatNoReceiptHolds()
{
    PromptRecorder prompts;
    operatorSession().loginName = kAdmin;
    operatorSession().xitongshezhi = QStringLiteral("是");
    const auto settingsRows = [] { return sqlRows("select mingcheng,zhi from dianpushezhi order by mingcheng"); };
    const QList<QStringList> before = settingsRows();
    const QString logBefore = sqlValue("select count(*) from log");
    const QList<QPair<const char *, QString>> refused = {{"lineEdit_shopName", QString(31, QChar(0x5E97))},
                                                         {"lineEdit_address", QString(201, QChar(0x8DEF))},
                                                         {"lineEdit_phone", QString(31, QLatin1Char('1'))}};
    for (const auto &typed : refused) {
        receiptsettingsdlg dlg;
        dlg.show();
        setText(&dlg, typed.first, typed.second);
        prompts.clear();
        clickButton(&dlg, "toolButton_ok");
        QVERIFY2(prompts.last().contains(QStringLiteral("不能超过")) && prompts.last().endsWith(QStringLiteral("设置未保存")),
                 qPrintable(prompts.last()));
        QVERIFY(dlg.isVisible());
        QCOMPARE(text(&dlg, typed.first), typed.second);
        QCOMPARE(settingsRows(), before);
        QCOMPARE(sqlValue("select count(*) from log"), logBefore);
    }
    receiptsettingsdlg dlg;
    dlg.show();
    setText(&dlg, "lineEdit_shopName", QString(30, QChar(0x5E97)));
    setText(&dlg, "lineEdit_address", QString(200, QChar(0x8DEF)));
    clickButton(&dlg, "toolButton_ok");
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const ReceiptSettings stored = ReceiptSettings::load();
    QCOMPARE(stored.shopName, QString(30, QChar(0x5E97)));
    QCOMPARE(stored.address, QString(200, QChar(0x8DEF)));
}

QTEST_MAIN(TestReceipts)
#include "tst_receipts.moc"
