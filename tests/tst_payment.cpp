// The two payment dialogs: what they propose, refuse and answer.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include "dbrecords.h"
#include "fukuandlg.h"
#include "lianhefukuandlg.h"
#include "testsupport.h"

namespace {

redbctrlstruct lastAnswer(const QSignalSpy &spy)
{
    return spy.last().at(1).value<redbctrlstruct>();
}
}

class tst_Payment : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { registerRecordTypes(); }
    void init() { m_work = new TestWorkdir; }
    void cleanup() { delete m_work; m_work = nullptr; }

    void combinedCardCappedAtBalanceThenCash();
    void combinedCardCoversWholeDueWhenBalanceIsLarger();
    void combinedUntickGivesBackItsAmount();
    void combinedTypedCardAboveBalance();
    void combinedDebtQuestion();
    void combinedRefusals_data();
    void combinedRefusals();
    void combinedThreeMethods();

    void singlePayment_data();
    void singlePayment();
    void singleReplyCarriesDocument();
    void singleRefusesBadInput_data();
    void singleRefusesBadInput();

private:
    TestWorkdir *m_work = nullptr;
};

void tst_Payment::combinedCardCappedAtBalanceThenCash()
{
    PromptRecorder prompts;
    lianhefukuanDlg dlg;
    dlg.setData({"300", "300", "会员卡号：12", "100"});
    QSignalSpy spy(&dlg, &lianhefukuanDlg::DlgSend);

    QVERIFY(!widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->isEnabled());
    widgetNamed<QCheckBox>(&dlg, "checkBox_4")->click();
    QVERIFY(widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->isEnabled());
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->text(), QString("100"));
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("200"));

    widgetNamed<QCheckBox>(&dlg, "checkBox_3")->click();
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_3")->text(), QString("200"));
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("0"));

    clickButton(&dlg, "toolButton_4");
    QVERIFY(prompts.texts().isEmpty()); // nothing owed, nothing asked
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toString(), QString("联合付款"));
    const redbctrlstruct a = lastAnswer(spy);
    QCOMPARE(a.table, QString("0"));
    QCOMPARE(a.fields, QStringList({"现金", "储蓄卡"}));
    QCOMPARE(a.values, QStringList({"200", "100"}));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void tst_Payment::combinedCardCoversWholeDueWhenBalanceIsLarger()
{
    lianhefukuanDlg dlg;
    dlg.setData({"300", "300", "会员卡号：12", "500"});
    widgetNamed<QCheckBox>(&dlg, "checkBox_4")->click();
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->text(), QString("300"));
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("0"));

    // A second method after the due is covered is proposed 0, never a negative amount.
    widgetNamed<QCheckBox>(&dlg, "checkBox")->click();
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit")->text(), QString("0"));
}

void tst_Payment::combinedUntickGivesBackItsAmount()
{
    lianhefukuanDlg dlg;
    dlg.setData({"120.5", "120.5", "会员卡号：12", "0"});
    auto *cash = widgetNamed<QCheckBox>(&dlg, "checkBox_3");
    cash->click();
    widgetNamed<QLineEdit>(&dlg, "lineEdit_3")->setText("100");
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("20.5"));
    cash->click();
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_3")->text(), QString("0"));
    QVERIFY(!widgetNamed<QLineEdit>(&dlg, "lineEdit_3")->isEnabled());
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("120.5"));
}

void tst_Payment::combinedTypedCardAboveBalance()
{
    PromptRecorder prompts;
    lianhefukuanDlg dlg;
    dlg.setData({"800", "800", "会员卡号：12", "500"});
    widgetNamed<QCheckBox>(&dlg, "checkBox_2")->click();           // 微信 takes all 800
    widgetNamed<QLineEdit>(&dlg, "lineEdit_2")->setText("650");    // leaves 150 for the card
    widgetNamed<QCheckBox>(&dlg, "checkBox_4")->click();
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->text(), QString("150"));

    widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->setText("600");
    QCOMPARE(prompts.texts(), QStringList({"会员卡中余额余额少于输入余额"}));
    // Reset to what the card can and needs to cover: min(balance 500, unpaid 150).
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->text(), QString("150"));
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("0"));

    // With more left to pay than the balance, the card is reset to the balance.
    widgetNamed<QLineEdit>(&dlg, "lineEdit_2")->setText("0");
    widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->setText("900");
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_4")->text(), QString("500"));
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("300"));
}

void tst_Payment::combinedDebtQuestion()
{
    PromptRecorder prompts;
    lianhefukuanDlg dlg;
    dlg.setData({"150", "150", "会员卡号：12", "0"});
    QSignalSpy spy(&dlg, &lianhefukuanDlg::DlgSend);
    widgetNamed<QCheckBox>(&dlg, "checkBox")->click();
    widgetNamed<QLineEdit>(&dlg, "lineEdit")->setText("100");

    prompts.answer("否");
    clickButton(&dlg, "toolButton_4");
    QCOMPARE(prompts.last(), QString("欠款金额未50是否同意欠款？"));
    QCOMPARE(spy.count(), 0);
    QVERIFY(dlg.result() != QDialog::Accepted);

    prompts.answer("是");
    clickButton(&dlg, "toolButton_4");
    QCOMPARE(spy.count(), 1);
    const redbctrlstruct a = lastAnswer(spy);
    QCOMPARE(a.table, QString("50"));
    QCOMPARE(a.fields, QStringList({"支付宝"}));
    QCOMPARE(a.values, QStringList({"100"}));
}

void tst_Payment::combinedRefusals_data()
{
    QTest::addColumn<QString>("customer");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing ticked") << "会员卡号：12" << "" << "" << "请至少选择一种付款方式";
    QTest::newRow("not a number") << "会员卡号：12" << "checkBox_3" << "abc" << "现金的付款金额不是有效的数字";
    QTest::newRow("negative") << "会员卡号：12" << "checkBox_5" << "-20" << "代金券的付款金额不能为负数";
    QTest::newRow("overpaid") << "会员卡号：12" << "checkBox_3" << "250" << "付款金额合计大于应收金额，请确认";
    QTest::newRow("1e308") << "会员卡号：12" << "checkBox_3" << "1e308" << "现金的付款金额不能超过1000000000";
    QTest::newRow("inf") << "会员卡号：12" << "checkBox_3" << "inf" << "现金的付款金额不是有效的数字";
    QTest::newRow("walk-in debt") << "会员卡号：0000" << "checkBox_3" << "50" << "散客不能欠费";
    // Three times 33.334 would pass for 100 paid and book 99.99.
    QTest::newRow("a third of a cent") << "会员卡号：12" << "checkBox_3" << "33.334" << "现金的付款金额最多只能有两位小数";
}

void tst_Payment::combinedRefusals()
{
    QFETCH(QString, customer);
    QFETCH(QString, box);
    QFETCH(QString, amount);
    QFETCH(QString, message);
    PromptRecorder prompts;
    lianhefukuanDlg dlg;
    dlg.setData({"200", "200", customer, "0"});
    QSignalSpy spy(&dlg, &lianhefukuanDlg::DlgSend);
    if (!box.isEmpty()) {
        auto *b = dlg.findChild<QCheckBox *>(box);
        b->click();
        const int row = QStringList({"checkBox", "checkBox_2", "checkBox_3", "checkBox_4", "checkBox_5"}).indexOf(box);
        const QString edit = row == 0 ? QString("lineEdit") : QString("lineEdit_%1").arg(row + 1);
        dlg.findChild<QLineEdit *>(edit)->setText(amount);
    }
    clickButton(&dlg, "toolButton_4");
    QCOMPARE(prompts.texts(), QStringList({message}));
    QCOMPARE(spy.count(), 0);
    QVERIFY(dlg.result() != QDialog::Accepted);
}

void tst_Payment::combinedThreeMethods()
{
    lianhefukuanDlg dlg;
    dlg.setData({"99.9", "99.9", "会员卡号：7", "30"});
    QSignalSpy spy(&dlg, &lianhefukuanDlg::DlgSend);
    widgetNamed<QCheckBox>(&dlg, "checkBox_4")->click();  // card: 30
    widgetNamed<QCheckBox>(&dlg, "checkBox")->click();    // 支付宝: 69.9
    widgetNamed<QLineEdit>(&dlg, "lineEdit")->setText("40.2");
    widgetNamed<QCheckBox>(&dlg, "checkBox_3")->click();  // 现金: the rest
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit_3")->text(), QString("29.7"));
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_6")->text(), QString("0"));
    clickButton(&dlg, "toolButton_4");
    QCOMPARE(spy.count(), 1);
    const redbctrlstruct a = lastAnswer(spy);
    QCOMPARE(a.table, QString("0"));
    QCOMPARE(a.fields, QStringList({"支付宝", "现金", "储蓄卡"}));
    QCOMPARE(a.values, QStringList({"40.2", "29.7", "30"}));
}

void tst_Payment::singlePayment_data()
{
    QTest::addColumn<QString>("due");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("question");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("debt");
    QTest::newRow("paid in full") << "100" << "100" << "" << "" << true << "0";
    QTest::newRow("cents add up") << "0.3" << "0.30" << "" << "" << true << "0";
    QTest::newRow("short, debt allowed") << "100" << "80" << "是"
                                         << "欠款金额为：20 是否允许欠款?" << true << "20";
    QTest::newRow("short, debt refused") << "100" << "80" << "否"
                                         << "欠款金额为：20 是否允许欠款?" << false << "";
    QTest::newRow("empty means nothing paid") << "35.5" << "" << "是"
                                              << "欠款金额为：35.5 是否允许欠款?" << true << "35.5";
}

void tst_Payment::singlePayment()
{
    QFETCH(QString, due);
    QFETCH(QString, received);
    QFETCH(QString, answer);
    QFETCH(QString, question);
    QFETCH(bool, sent);
    QFETCH(QString, debt);
    PromptRecorder prompts;
    if (!answer.isEmpty())
        prompts.answer(answer);
    fukuanDlg dlg;
    dlg.setData({due});
    QCOMPARE(widgetNamed<QLabel>(&dlg, "label_4")->text(), due);
    QSignalSpy spy(&dlg, &fukuanDlg::DlgSend);
    widgetNamed<QLineEdit>(&dlg, "lineEdit")->setText(received);
    auto *method = widgetNamed<QComboBox>(&dlg, "comboBox");
    QVERIFY(method->count() > 0);
    method->setCurrentIndex(method->count() - 1);
    clickButton(&dlg, "toolButton_3");

    QCOMPARE(prompts.texts(), question.isEmpty() ? QStringList() : QStringList({question}));
    QCOMPARE(spy.count(), sent ? 1 : 0);
    QCOMPARE(dlg.result(), sent ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (sent) {
        QCOMPARE(spy.last().at(0).toString(), QString("收款"));
        const QStringList reply = spy.last().at(1).toStringList();
        QCOMPARE(reply.size(), 3);
        QCOMPARE(reply.at(1), debt);
        QCOMPARE(reply.at(2), method->currentText());
    }
}

void tst_Payment::singleReplyCarriesDocument()
{
    fukuanDlg dlg;
    dlg.setData({"50", "xf_20260101101010123", "2026-01-01 10:10:10"});
    QSignalSpy spy(&dlg, &fukuanDlg::DlgSend);
    QCOMPARE(widgetNamed<QLineEdit>(&dlg, "lineEdit")->text(), QString("50")); // the due is proposed
    widgetNamed<QLineEdit>(&dlg, "lineEdit")->setText(" 50.00 ");
    clickButton(&dlg, "toolButton_3");
    QCOMPARE(spy.count(), 1);
    const QStringList reply = spy.last().at(1).toStringList();
    QCOMPARE(reply.size(), 5);
    QCOMPARE(reply.at(0), QString("50"));
    QCOMPARE(reply.at(1), QString("0"));
    QCOMPARE(reply.at(3), QString("xf_20260101101010123"));
    QCOMPARE(reply.at(4), QString("2026-01-01 10:10:10"));
}

void tst_Payment::singleRefusesBadInput_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("message");
    QTest::newRow("overpaid") << "120" << "实际付款金额大于需付金额，请确认";
    QTest::newRow("negative") << "-50" << "实收金额不能为负数";
    QTest::newRow("text") << "5O" << "请输入正确的实收金额";
    QTest::newRow("comment trick") << "1--" << "请输入正确的实收金额";
}

void tst_Payment::singleRefusesBadInput()
{
    QFETCH(QString, received);
    QFETCH(QString, message);
    PromptRecorder prompts;
    fukuanDlg dlg;
    dlg.setData({"100"});
    QSignalSpy spy(&dlg, &fukuanDlg::DlgSend);
    widgetNamed<QLineEdit>(&dlg, "lineEdit")->setText(received);
    clickButton(&dlg, "toolButton_3");
    QCOMPARE(prompts.texts(), QStringList({message}));
    QCOMPARE(spy.count(), 0);
    QVERIFY(dlg.result() != QDialog::Accepted);
}

QTEST_MAIN(tst_Payment)
#include "tst_payment.moc"
