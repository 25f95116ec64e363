// The front desk's "添加消费": refused without a customer, and a sale made
// through it shows at once in the member's lists.

#include <QtTest>

#include "checkoutfixture.h"
#include "mainwindow.h"

using namespace checkout_fixture;

class TestCheckoutMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void needsACustomer()
    {
        TestWorkdir dir;
        PromptRecorder prompts;
        MainWindow w;
        w.selectMember(QStringList());
        clickButton(&w, "toolButton_12");
        QCOMPARE(prompts.last(), QString("请选择一个会员或散户！"));
    }

    void saleShowsInTheMemberLists_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("receivable");
        QTest::addColumn<QString>("balance");
        QTest::newRow("member") << "1001" << "80.00" << "420";
        QTest::newRow("walk-in") << "0000" << "100.00" << "";
    }
    void saleShowsInTheMemberLists()
    {
        QFETCH(QString, member);
        QFETCH(QString, receivable);
        QFETCH(QString, balance);
        TestWorkdir dir;
        PromptRecorder prompts;
        seedShop();
        MainWindow w;
        w.selectMember(QStringList{member});

        QStringList customer;
        QString seenReceivable;
        onNextModal([&](QWidget *dialog) {
            auto *checkout = qobject_cast<AddXiaofeiDlg *>(dialog);
            QVERIFY(checkout);
            for (const char *label : {"label_12", "label_10", "label_8", "label_7"})
                customer << text(checkout, label);
            addLine(*checkout, "toolButton_3", "S01", "1");
            seenReceivable = text(checkout, "label_26");
            if (member != QLatin1String("0000"))
                setMethod(*checkout, "储蓄卡");
            setText(checkout, "lineEdit_4", seenReceivable);
            clickButton(checkout, "toolButton_10");
        });
        clickButton(&w, "toolButton_12");

        if (member == QLatin1String("0000"))
            QCOMPARE(customer, (QStringList{"0000", "散客", "00", ""})); // a walk-in has no balance to show
        else
            QCOMPARE(customer, (QStringList{"1001", "王五", "金卡", "500.00"}));
        QCOMPARE(seenReceivable, receivable);
        QCOMPARE(sqlValue("select count(*) from huiyuanxiaofei where huiyuanid='" + member + "'"), QString("1"));
        if (!balance.isEmpty()) {
            QCOMPARE(sqlValue("select shengyujine from huiyuan where ID='1001'"), balance);
            verifyLedger("1001");
        }
        // The member's sales list was re-run for the member.
        auto *sales = w.findChild<QTableView *>("tableView");
        QVERIFY(sales && sales->model());
        QCOMPARE(sales->model()->rowCount(), 1);
    }
};

QTEST_MAIN(TestCheckoutMainWindow)
#include "tst_checkout_mainwindow.moc"
