#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTextEdit>
#include <QtTest>

#include "addhuiyuankadlg.h"
#include "cataloguebook.h"
#include "memberstestkit.h"

class TestCardType : public QObject
{
    Q_OBJECT
private slots:
    void addDuplicateAndBadInput();
    void editKeepsNameAndUpdates();
    void failedSaveStaysOpen();
    void deletionRefusedWhileNamed();
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

// A card type goes only when no member holds it and no rule offers to it; a
// card upgrade's history may still name it.
void TestCardType::deletionRefusedWhileNamed()
{
    TestWorkdir wd;
    seedShop();
    sqlExec(QStringLiteral("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) values "
                           "('学生卡',0,0,1,1,1,''),('员工卡',0,0,1,1,1,''),('旧卡',0,0,1,1,1,''),('空卡',0,0,1,1,1,'')"));
    sqlExec(QStringLiteral("insert into huiyuan(ID,name,type,shengyujine,jifen,login_time) "
                           "values('88','持卡人','金卡',0,0,'2026-01-01 00:00:00')"));
    sqlExec(QStringLiteral("insert into chongzhiguize(kaming,chongzhijine,zengsongjine,zengsongjifen) values('学生卡',100,10,0)"));
    sqlExec(QStringLiteral("insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,huiyuanleixing,cuxiaofangshi,cuxiaobili) "
                           "values('X1','服务项目','员工卡','打折',0.5)"));
    sqlExec(QStringLiteral("insert into huiyuankabiandong(ID,huiyuanid,jiuka,xinka) values('SJ1','88','旧卡','金卡')"));
    using Entry = CatalogueBook::Entry;
    const QList<QPair<QString, QString>> refused{{QStringLiteral("金卡"), QStringLiteral("会员")},
                                                 {QStringLiteral("学生卡"), QStringLiteral("充值优惠规则")},
                                                 {QStringLiteral("员工卡"), QStringLiteral("促销方案")}};
    for (const auto &r : refused) {
        const LedgerResult done = CatalogueBook::remove(Entry::CardType, r.first, QStringLiteral("admin"));
        QVERIFY(!done.ok);
        QVERIFY2(done.error.contains(QStringLiteral("该会员卡类型还有%1在使用，不能删除").arg(r.second)), qPrintable(done.error));
    }
    QVERIFY(CatalogueBook::remove(Entry::CardType, QStringLiteral("旧卡"), QStringLiteral("admin")).ok);
    QVERIFY(CatalogueBook::remove(Entry::CardType, QStringLiteral("空卡"), QStringLiteral("admin")).ok);
    QCOMPARE(sqlValue(QStringLiteral("select group_concat(name,',') from (select name from huiyuanka order by ID)")),
             QStringLiteral("金卡,银卡,学生卡,员工卡"));
}

QTEST_MAIN(TestCardType)
#include "tst_members_cardtype.moc"
