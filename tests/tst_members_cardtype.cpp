#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>
#include <QtTest>

#include "addhuiyuankadlg.h"
#include "memberstestkit.h"

class TestCardType : public QObject
{
    Q_OBJECT
private slots:
    void addDuplicateAndBadInput();
    void editKeepsNameAndUpdates();
    void failedSaveStaysOpen();
};

static void fill(QWidget *d, const QString &name, const QString &value, const QString &price)
{
    d->findChild<QLineEdit *>(QStringLiteral("lineEdit"))->setText(name);
    d->findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(value);
    d->findChild<QLineEdit *>(QStringLiteral("lineEdit_3"))->setText(price);
}

void TestCardType::addDuplicateAndBadInput()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;

    {
        addhuiyuankaDlg dlg;
        main.attach(&dlg);
        dlg.setup(1, {});
        auto *service = dlg.findChild<QComboBox *>(QStringLiteral("comboBox"));
        QCOMPARE(service->count(), 14);
        QCOMPARE(service->itemText(12), QStringLiteral("0.4"));
        QCOMPARE(service->itemText(13), QStringLiteral("0.3"));

        // Empty name: plain box, nothing sent.
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("会员名称不能为空"));
        QVERIFY(main.keys.isEmpty());

        // Negative value and text that is not an amount are refused.
        fill(&dlg, QStringLiteral("金'卡"), QStringLiteral("-5"), QStringLiteral("800"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QVERIFY(main.keys.isEmpty());
        fill(&dlg, QStringLiteral("金'卡"), QStringLiteral("1000"), QStringLiteral("8o0"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QVERIFY(main.keys.isEmpty());
        QVERIFY(dlg.isVisible() || dlg.result() != QDialog::Accepted);

        fill(&dlg, QStringLiteral("金'卡"), QStringLiteral("1000"), QStringLiteral(" 800 "));
        dlg.findChild<QComboBox *>(QStringLiteral("comboBox"))->setCurrentText(QStringLiteral("0.85"));
        dlg.findChild<QComboBox *>(QStringLiteral("comboBox_2"))->setCurrentText(QStringLiteral("0.9"));
        dlg.findChild<QTextEdit *>(QStringLiteral("textEdit"))->setPlainText(QStringLiteral("新店"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }
    QCOMPARE(sqlRows(QStringLiteral("select name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu from huiyuanka")),
             (QList<QStringList>{{QStringLiteral("金'卡"), QStringLiteral("1000"), QStringLiteral("800"),
                                  QStringLiteral("0.85"), QStringLiteral("0.9"), QStringLiteral("1"),
                                  QStringLiteral("新店")}}));

    // The same name again is refused with the system's message.
    addhuiyuankaDlg again;
    main.attach(&again);
    again.setup(1, {});
    main.keys.clear();
    fill(&again, QStringLiteral("金'卡"), QStringLiteral("1"), QStringLiteral("1"));
    clickButton(&again, QStringLiteral("toolButton"));
    QCOMPARE(prompts.last(), QStringLiteral("会员名已经存在！请更换会员名"));
    QVERIFY(main.keys.isEmpty());
    QCOMPARE(sqlValue(QStringLiteral("select count(*) from huiyuanka")), QStringLiteral("1"));
}

void TestCardType::editKeepsNameAndUpdates()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();

    const QStringList row{QStringLiteral("金卡"), QStringLiteral("500"), QStringLiteral("400"),
                          QStringLiteral("0.8"), QStringLiteral("0.9"), QStringLiteral("1"),
                          QStringLiteral("1"), QStringLiteral("老卡")};
    addhuiyuankaDlg dlg;
    main.attach(&dlg);
    dlg.setup(2, row);
    auto *name = dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit"));
    QCOMPARE(name->text(), QStringLiteral("金卡"));
    QVERIFY(name->isReadOnly());
    QCOMPARE(dlg.findChild<QComboBox *>(QStringLiteral("comboBox_2"))->currentText(), QStringLiteral("0.9"));
    QCOMPARE(dlg.findChild<QTextEdit *>(QStringLiteral("textEdit"))->toPlainText(), QStringLiteral("老卡"));

    dlg.findChild<QLineEdit *>(QStringLiteral("lineEdit_2"))->setText(QStringLiteral("600"));
    dlg.findChild<QComboBox *>(QStringLiteral("comboBox_3"))->setCurrentText(QStringLiteral("0.7"));
    clickButton(&dlg, QStringLiteral("toolButton"));
    QCOMPARE(main.keys, QStringList{QStringLiteral("修改数据")});
    QCOMPARE(sqlRows(QStringLiteral("select kaneijine,jiage,taocanzekou,beizhu from huiyuanka where name='金卡'")),
             (QList<QStringList>{{QStringLiteral("600"), QStringLiteral("400"), QStringLiteral("0.7"), QStringLiteral("老卡")}}));
    // The other card type is untouched.
    QCOMPARE(sqlValue(QStringLiteral("select kaneijine from huiyuanka where name='银卡'")), QStringLiteral("1000"));
}

void TestCardType::failedSaveStaysOpen()
{
    TestWorkdir wd;
    PromptRecorder prompts;
    DispatchStub main;
    seedShop();
    // SQLite's own words for a full disk, on every write of the table.
    refuseRows("full_insert", "BEFORE INSERT", "huiyuanka", "database or disk is full");
    refuseRows("full_update", "BEFORE UPDATE", "huiyuanka", "database or disk is full");
    const auto before = sqlRows(QStringLiteral("select * from huiyuanka order by name"));
    const QStringList row{QStringLiteral("金卡"), QStringLiteral("500"), QStringLiteral("400"),
                          QStringLiteral("0.8"), QStringLiteral("0.9"), QStringLiteral("1"),
                          QStringLiteral("1"), QStringLiteral("老卡")};
    for (int mode : {1, 2}) {
        addhuiyuankaDlg dlg;
        main.attach(&dlg);
        dlg.setup(mode, mode == 2 ? row : QStringList());
        fill(&dlg, mode == 2 ? QStringLiteral("金卡") : QStringLiteral("铂金卡"), QStringLiteral("600"), QStringLiteral("500"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("保存失败，本次操作未保存\n原因：磁盘空间已满，请清理磁盘后再试。"));
        QVERIFY(dlg.result() != QDialog::Accepted);
    }
    QCOMPARE(sqlRows(QStringLiteral("select * from huiyuanka order by name")), before);
}

QTEST_MAIN(TestCardType)
#include "tst_members_cardtype.moc"
