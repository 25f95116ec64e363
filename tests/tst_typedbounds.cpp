#include <QtTest>

#include "addchanpindlg.h"
#include "addfuwuxiangmudlg.h"
#include "addhuiyuankadlg.h"
#include "addkucundlg.h"
#include "addtaocandlg.h"
#include "addtaocanxiangmudlg.h"
#include "adduserdlg.h"
#include "catalogue_testkit.h"
#include "rulevalues.h"
#include "testsupport.h"

// Amounts and quantities typed into the catalogue and operator dialogs stay
// within what a shop can mean: nothing like 1e308, inf or NaN reaches the database.
class TestTypedBounds : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir.reset(new TestWorkdir); }
    void cleanup() { m_dir.reset(); }
    void refused_data();
    void refused();
    void commissionValue();

private:
    std::unique_ptr<TestWorkdir> m_dir;
};

namespace {
// The dialogs under test, each opened for a new row with valid text in every
// required field; then `field` gets the typed text.
QDialog *openDialog(Dispatcher &d, const QString &which)
{
    if (which == "product") {
        auto *dlg = new addchanpinDlg;
        d.attach(dlg);
        dlg->setData(1, {});
        setText(dlg, "lineEdit", "P1");
        setText(dlg, "lineEdit_2", "洗发水");
        return dlg;
    }
    if (which == "service") {
        auto *dlg = new addfuwuxiangmuDlg;
        d.attach(dlg);
        dlg->setData(1, {});
        setText(dlg, "lineEdit", "A1");
        setText(dlg, "lineEdit_2", "烫发");
        return dlg;
    }
    if (which == "card") {
        auto *dlg = new addhuiyuankaDlg;
        d.attach(dlg);
        dlg->setup(1, {});
        setText(dlg, "lineEdit", "金卡");
        return dlg;
    }
    if (which == "package") {
        auto *dlg = new addtaocanDlg;
        d.attach(dlg);
        dlg->setData(1, {});
        setText(dlg, "lineEdit", "TC1");
        setText(dlg, "lineEdit_2", "护理套餐");
        return dlg;
    }
    if (which == "stock") {
        auto *dlg = new addkucunDlg;
        d.attach(dlg);
        dlg->setData(1, {"入库ID: rk1", "2026-12-08", "P1", "500ml", "洗发水", "瓶", "采购", "admin", "", "12"},
                     "入库明细");
        setText(dlg, "lineEdit", "12");
        setText(dlg, "lineEdit_2", "1");
        return dlg;
    }
    if (which == "operator") {
        auto *dlg = new addUserDlg;
        d.attach(dlg);
        dlg->setData(1, {});
        setText(dlg, "lineEdit", "小李");
        setText(dlg, "lineEdit_2", "xiaoli1");
        return dlg;
    }
    auto *dlg = new addtaocanxiangmuDlg; // package line
    d.attach(dlg);
    dlg->setData(1, {});
    setText(dlg, "lineEdit", "F1");
    QMetaObject::invokeMethod(child<QLineEdit>(dlg, "lineEdit"), "editingFinished");
    setText(dlg, "lineEdit_2", "1");
    setText(dlg, "lineEdit_4", "30");
    return dlg;
}
} // namespace

void TestTypedBounds::refused_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString tooMuch = "不能超过1000000000";
    QTest::newRow("product price 1e308") << "product" << "lineEdit_6" << "1e308" << "销售价格" + tooMuch;
    QTest::newRow("product price inf") << "product" << "lineEdit_5" << "inf" << "进货价格不是有效的数字";
    QTest::newRow("product floor nan") << "product" << "lineEdit_7" << "nan" << "底价不是有效的数字";
    QTest::newRow("product low stock 1e308") << "product" << "lineEdit_lowStock" << "1e308" << "库存下限不能超过1000000";
    QTest::newRow("product price 3 decimals") << "product" << "lineEdit_6" << "12.345" << "销售价格最多只能有两位小数";
    QTest::newRow("service price 1e9+1") << "service" << "lineEdit_4" << "1000000001" << "单价" + tooMuch;
    QTest::newRow("service time 1e308") << "service" << "lineEdit_3" << "1e308" << "服务时间不能超过1000000";
    QTest::newRow("card value 1e308") << "card" << "lineEdit_2" << "1e308" << "卡内金额" + tooMuch;
    QTest::newRow("card price -inf") << "card" << "lineEdit_3" << "-inf" << "售价不是有效的数字";
    QTest::newRow("package price 1e308") << "package" << "lineEdit_4" << "1e308" << "售价" + tooMuch;
    QTest::newRow("stock price 1e308") << "stock" << "lineEdit" << "1e308" << "产品单价" + tooMuch;
    QTest::newRow("stock quantity 1e308") << "stock" << "lineEdit_2" << "1e308" << "产品数量不能超过1000000";
    QTest::newRow("stock quantity nan") << "stock" << "lineEdit_2" << "nan" << "产品数量不是有效的数字";
    QTest::newRow("stock amount over 1e9") << "stock" << "lineEdit_2" << "1000000" << "";
    QTest::newRow("package line uses 1e308") << "line" << "lineEdit_2" << "1e308" << "服务次数不能超过1000000";
    QTest::newRow("operator sign-bill 1e308") << "operator" << "lineEdit_4" << "1e308" << "签单金额" + tooMuch;
    QTest::newRow("operator lowest discount 1e308") << "operator" << "lineEdit_3" << "1e308" << "最低折扣不能超过1000000";
    QTest::newRow("package line price inf") << "line" << "lineEdit_4" << "inf" << "优惠价格不是有效的数字";
    // The care cycle is stored as a number of days: a word there was stored as typed.
    QTest::newRow("package line cycle text") << "line" << "lineEdit_3" << "每周" << "护理周期不是有效的数字";
}

void TestTypedBounds::refused()
{
    QFETCH(QString, dialog);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage) values('F1','洗剪吹','美发',30)");
    PromptRecorder prompts;
    Dispatcher d;
    std::unique_ptr<QDialog> dlg(openDialog(d, dialog));
    if (dialog == "stock")
        setText(dlg.get(), "lineEdit", "1001"); // 1000000 pieces at 1001 is more than 1e9
    setText(dlg.get(), field.toLatin1().constData(), typed);
    clickButton(dlg.get(), "toolButton");
    const QString said = prompts.last();
    if (message.isEmpty())
        QVERIFY2(said.contains("不能超过1000000000"), qPrintable(said));
    else
        QCOMPARE(said, message);
    QVERIFY2(d.keys.isEmpty(), qPrintable(d.keys.join(",")));
    QVERIFY(dlg->result() != QDialog::Accepted);
}

void TestTypedBounds::commissionValue()
{
    double v = 0;
    QCOMPARE(checkCommissionValue("1e308", &v), QString("提成数值不能超过1000000000"));
    QCOMPARE(checkCommissionValue("inf", &v), QString("提成数值请输入数字"));
    QCOMPARE(checkCommissionValue("15", &v), QString());
    QCOMPARE(v, 15.0);
}

QTEST_MAIN(TestTypedBounds)
#include "tst_typedbounds.moc"
