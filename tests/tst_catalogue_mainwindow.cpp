// The catalogue pages of the main window: a shop sets up what it sells and
// who sells it through the real buttons, and each thing shows up where the
// rest of the program lists it.
#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QtTest>

#include "catalogue_testkit.h"
#include "mainwindow.h"
#include "operatorsession.h"
#include "prompt.h"
#include "testsupport.h"

namespace {
int rowOf(QTableView *view, int column, const QString &text)
{
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, column).data().toString() == text)
            return r;
    return -1;
}

void selectRow(QTableView *view, int column, const QString &text)
{
    const int r = rowOf(view, column, text);
    QVERIFY2(r >= 0, qPrintable(text));
    view->setCurrentIndex(view->model()->index(r, 0));
}

QString cell(QTableView *view, int column0Row, int column)
{
    return view->model()->index(column0Row, column).data().toString();
}

void doubleClick(QTableView *view, int row)
{
    const QModelIndex index = view->model()->index(row, 0);
    view->setCurrentIndex(index);
    emit view->doubleClicked(index);
}

// Runs one modal dialog opened by clicking `button` of the main window.
void withDialog(MainWindow &w, const char *button, std::function<void(QWidget *)> fill)
{
    bool seen = false;
    onNextModal([&](QWidget *dlg) {
        seen = true;
        fill(dlg);
    });
    clickButton(&w, QString::fromLatin1(button));
    QVERIFY2(seen, button);
}

void serviceItem(MainWindow &w, const char *button, const QString &id, const QString &name, const QString &price)
{
    withDialog(w, button, [&](QWidget *dlg) {
        setText(dlg, "lineEdit", id);
        setText(dlg, "lineEdit_2", name);
        setCombo(dlg, "comboBox", QStringLiteral("美发"));
        setText(dlg, "lineEdit_4", price);
        clickButton(dlg, QStringLiteral("toolButton"));
    });
}

void stockDocument(MainWindow &w, const char *button, const QString &product, const QString &qty)
{
    withDialog(w, button, [&](QWidget *doc) {
        auto *products = child<QTableView>(doc, "tableView");
        onNextModal([&](QWidget *line) {
            setText(line, "lineEdit_2", qty);
            clickButton(line, QStringLiteral("toolButton"));
        });
        doubleClick(products, rowOf(products, 2, product));
        QCOMPARE(child<QTableView>(doc, "tableView_2")->model()->rowCount(), 1);
        clickButton(doc, QStringLiteral("toolButton"));
    });
}
}

class TestCatalogueWindow : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        operatorSession() = OperatorSession();
        operatorSession().loginName = QStringLiteral("admin");
        operatorSession().xitongshezhi = QStringLiteral("是");
    }

    void shopSetUpThroughTheMainWindow()
    {
        TestWorkdir dir;
        PromptRecorder prompts;
        for (const char *sql : {"insert into leibie(mingchen,leibiestr,beizhu) values('美发','项目类型','')",
                                "insert into leibie(mingchen,leibiestr,beizhu) values('洗护','产品类型','')",
                                "insert into leibie(mingchen,leibiestr,beizhu) values('发型师','员工类别','')",
                                "insert into leibie(mingchen,leibiestr,beizhu) values('助理','员工类别','')"})
            sqlExec(QString::fromUtf8(sql));
        MainWindow w;
        w.loadDeferredViews(); // the settings lists load when first shown
        auto *items = child<QTableView>(&w, "tableView_24");
        auto *products = child<QTableView>(&w, "tableView_25");
        auto *packages = child<QTableView>(&w, "tableView_26");
        auto *staff = child<QTableView>(&w, "tableView_30");
        auto *stock = child<QTableView>(&w, "tableView_37");

        // "修改" without a selected row opens nothing.
        items->setCurrentIndex(QModelIndex());
        clickButton(&w, QStringLiteral("toolButton_38"));
        QCOMPARE(prompts.last(), QStringLiteral("请先选择一个服务项目"));

        serviceItem(w, "toolButton_37", QStringLiteral("F01"), QStringLiteral("洗剪吹"), QStringLiteral("30"));
        serviceItem(w, "toolButton_37", QStringLiteral("F02"), QStringLiteral("烫发"), QStringLiteral("200"));
        QCOMPARE(items->model()->rowCount(), 2);

        // A double-click edits the item.
        bool edited = false;
        onNextModal([&](QWidget *dlg) {
            edited = true;
            QCOMPARE(child<QLineEdit>(dlg, "lineEdit")->text(), QStringLiteral("F02"));
            setText(dlg, "lineEdit_4", QStringLiteral("220"));
            clickButton(dlg, QStringLiteral("toolButton"));
        });
        doubleClick(items, rowOf(items, 0, QStringLiteral("F02")));
        QVERIFY(edited);
        QCOMPARE(cell(items, rowOf(items, 0, QStringLiteral("F02")), 4), QStringLiteral("220"));

        withDialog(w, "toolButton_44", [](QWidget *dlg) {
            setText(dlg, "lineEdit", QStringLiteral("P01"));
            setText(dlg, "lineEdit_2", QStringLiteral("洗发水"));
            setText(dlg, "lineEdit_5", QStringLiteral("20"));
            setText(dlg, "lineEdit_6", QStringLiteral("38"));
            clickButton(dlg, QStringLiteral("toolButton"));
        });
        QCOMPARE(rowOf(products, 0, QStringLiteral("P01")), 0);
        QCOMPARE(cell(stock, rowOf(stock, 0, QStringLiteral("P01")), 6), QStringLiteral("0"));

        stockDocument(w, "toolButton_153", QStringLiteral("P01"), QStringLiteral("10"));
        stockDocument(w, "toolButton_148", QStringLiteral("P01"), QStringLiteral("3"));
        QCOMPARE(cell(stock, rowOf(stock, 0, QStringLiteral("P01")), 6), QStringLiteral("7"));
        QCOMPARE(sqlRows(QStringLiteral("select type,shuliang,jine from chanpinrukumingxi where rukuID!='000000' order by rowid")),
                 (QList<QStringList>{{"入库明细", "10", "200"}, {"出库明细", "-3", "-114"}})); // in at cost, out at the selling price

        // A package of the two items, each picked in the service item picker.
        withDialog(w, "toolButton_104", [](QWidget *pkg) {
            setText(pkg, "lineEdit", QStringLiteral("T01"));
            setText(pkg, "lineEdit_2", QStringLiteral("美发套餐"));
            setText(pkg, "lineEdit_4", QStringLiteral("400"));
            for (const QString &code : {QStringLiteral("F01"), QStringLiteral("F02")}) {
                onNextModal([code](QWidget *line) {
                    onNextModal([code](QWidget *picker) {
                        auto *list = child<QTableView>(picker, "tableView");
                        selectRow(list, 0, code);
                        clickButton(picker, QStringLiteral("toolButton"));
                    });
                    clickButton(line, QStringLiteral("toolButton_3"));
                    QCOMPARE(child<QLineEdit>(line, "lineEdit")->text(), code);
                    setText(line, "lineEdit_2", QStringLiteral("5"));
                    clickButton(line, QStringLiteral("toolButton"));
                });
                clickButton(pkg, QStringLiteral("toolButton_4"));
            }
            QCOMPARE(child<QLabel>(pkg, "label_6")->text(), QStringLiteral("原价：1250"));
            clickButton(pkg, QStringLiteral("toolButton"));
        });
        QCOMPARE(packages->model()->rowCount(), 1);
        QCOMPARE(cell(packages, 0, 0), QStringLiteral("T01"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from taocanmingxi where taocanID='T01'")), QStringLiteral("2"));

        // Double-click on the package opens it for editing, lines included.
        bool opened = false;
        onNextModal([&](QWidget *pkg) {
            opened = true;
            QCOMPARE(child<QTableView>(pkg, "tableView")->model()->rowCount(), 2);
            clickButton(pkg, QStringLiteral("toolButton_2"));
        });
        doubleClick(packages, 0);
        QVERIFY(opened);

        withDialog(w, "toolButton_141", [](QWidget *dlg) {
            setText(dlg, "lineEdit", QStringLiteral("E01"));
            setText(dlg, "lineEdit_2", QStringLiteral("王师傅"));
            setCombo(dlg, "comboBox", QStringLiteral("发型师"));
            clickButton(dlg, QStringLiteral("toolButton"));
        });
        selectRow(staff, 0, QStringLiteral("E01"));
        withDialog(w, "toolButton_141", [](QWidget *dlg) {
            setText(dlg, "lineEdit", QStringLiteral("E02"));
            setText(dlg, "lineEdit_2", QStringLiteral("小李"));
            setCombo(dlg, "comboBox", QStringLiteral("助理"));
            clickButton(dlg, QStringLiteral("toolButton"));
        });
        QCOMPARE(staff->model()->rowCount(), 2);
        QCOMPARE(cell(staff, rowOf(staff, 0, QStringLiteral("E02")), 2), QStringLiteral("助理"));
        QCOMPARE(cell(staff, rowOf(staff, 0, QStringLiteral("E01")), 2), QStringLiteral("发型师"));
    }

    void deletionAsksTheRowsAgainAfterTheQuestion_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("said");
        QTest::newRow("a package takes the item")
            << "insert into taocanmingxi(taocanID,name,xiangmuID) values('T1','护理套餐','F01')"
            << "还有套餐包含该项目，不能删除";
        QTest::newRow("the right is taken away") << "update \"user\" set xitongshezhi='否' where name='admin'"
                                                 << "你的权限不够，请使用管理员权限登录";
    }

    void deletionAsksTheRowsAgainAfterTheQuestion()
    {
        // While "你确定要删除…" is open, another desk changes what the deletion
        // depends on: the answer "是" deletes nothing, and says why.
        QFETCH(QString, meanwhile);
        QFETCH(QString, said);
        TestWorkdir dir;
        sqlExec(QStringLiteral("insert into fuwuxiangmu(ID,name) values('F01','洗剪吹')"));
        MainWindow w;
        w.loadDeferredViews();
        auto *items = child<QTableView>(&w, "tableView_24");
        selectRow(items, 0, QStringLiteral("F01"));
        QStringList texts;
        Prompt::setHandler([&](const PromptRequest &r) {
            texts << r.text;
            if (r.text.startsWith(QStringLiteral("你确定要删除")))
                sqlExec(meanwhile);
            return 0;
        });
        clickButton(&w, QStringLiteral("toolButton_39"));
        Prompt::setHandler(PromptHandler());
        QCOMPARE(texts, (QStringList{"你确定要删除'洗剪吹'吗?", said}));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from fuwuxiangmu")), QStringLiteral("1"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from log")), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestCatalogueWindow)
#include "tst_catalogue_mainwindow.moc"
