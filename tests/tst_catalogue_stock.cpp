#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTableView>
#include <QtTest>

#include "addchanpindlg.h"
#include "addkucundlg.h"
#include "catalogue_testkit.h"
#include "chanpinrukudlg.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "operatorsession.h"
#include "reportquery.h"
#include "stockwriter.h"
#include "testsupport.h"

namespace {
// Stock per product as the stock page lists it.
QMap<QString, QString> stockList()
{
    ctrlUiClass ctrl;
    QTableView view;
    ctrl.setupDeclaredView(readDbset(), &view, QStringLiteral("产品库存"));
    ctrl.showDefault(QStringLiteral("产品库存"));
    QMap<QString, QString> out;
    for (int r = 0; r < ctrl.viewRowCount(QStringLiteral("产品库存")); ++r) {
        const QStringList row = ctrl.rowValues(QStringLiteral("产品库存"), r);
        out.insert(row.value(0), row.value(6));
    }
    return out;
}

void createProduct(Dispatcher &d, const QString &id, const QString &name, const QString &price)
{
    addchanpinDlg dlg;
    d.attach(&dlg);
    dlg.setData(1, QStringList());
    setText(&dlg, "lineEdit", id);
    setText(&dlg, "lineEdit_2", name);
    setText(&dlg, "lineEdit_4", QStringLiteral("500ml"));
    setText(&dlg, "lineEdit_6", price);
    clickButton(&dlg, QStringLiteral("toolButton"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void doubleClickRow(QWidget *dlg, const char *viewName, int row)
{
    auto *view = child<QTableView>(dlg, viewName);
    const QModelIndex index = view->model()->index(row, 0);
    view->setCurrentIndex(index);
    emit view->doubleClicked(index);
}

int rowOf(QWidget *dlg, const char *viewName, int column, const QString &text)
{
    auto *view = child<QTableView>(dlg, viewName);
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, column).data().toString() == text)
            return r;
    return -1;
}

// Adds one line for a product through the stock line dialog.
void addLine(chanpinrukuDlg *doc, const QString &product, const QString &price, const QString &qty,
             const QString &remark = QString())
{
    const int row = rowOf(doc, "tableView", 2, product);
    QVERIFY(row >= 0);
    bool seen = false;
    onNextModal([&](QWidget *line) {
        seen = true;
        QCOMPARE(child<QLabel>(line, "label_2")->text(), product);
        setText(line, "lineEdit", price);
        setText(line, "lineEdit_2", qty);
        setText(line, "lineEdit_3", remark);
        clickButton(line, QStringLiteral("toolButton"));
    });
    doubleClickRow(doc, "tableView", row);
    QVERIFY(seen);
}
}

class TestStock : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new TestWorkdir);
        operatorSession().loginName = QStringLiteral("admin");
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('洗护','产品类型','')"));
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('瓶','产品单位','')"));
    }
    void cleanup() { m_dir.reset(); }

    void productCreationWritesOneZeroMovement()
    {
        PromptRecorder prompts;
        Dispatcher d;
        {
            addchanpinDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, QStringList());
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("产品编码不能为空"));
            setText(&dlg, "lineEdit", QStringLiteral("P'01"));
            setText(&dlg, "lineEdit_2", QStringLiteral("洗发水"));
            setText(&dlg, "lineEdit_3", QStringLiteral("6901234"));
            setText(&dlg, "lineEdit_4", QStringLiteral("500ml"));
            setText(&dlg, "lineEdit_5", QStringLiteral("20"));
            setText(&dlg, "lineEdit_6", QStringLiteral("38.8"));
            setChecked(&dlg, "checkBox", true);
            QCOMPARE(child<QComboBox>(&dlg, "comboBox")->currentText(), QStringLiteral("洗护"));
            QCOMPARE(child<QComboBox>(&dlg, "comboBox_2")->currentText(), QStringLiteral("瓶"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select * from chanpin")),
                 (QList<QStringList>{{"P'01", "洗发水", "6901234", "洗护", "瓶", "500ml", "20", "38.8", "0", "是", "", "0"}}));
        const QList<QStringList> moves = sqlRows(QStringLiteral("select * from chanpinrukumingxi"));
        QCOMPARE(moves.size(), 1);
        QCOMPARE(moves.at(0).at(0), QStringLiteral("000000"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(moves.at(0).at(1)).hasMatch());
        QCOMPARE(moves.at(0).mid(2), (QStringList{"入库明细", "P'01", "0", "0", "0", "0", "0", "0"}));
        QCOMPARE(stockList().value(QStringLiteral("P'01")), QStringLiteral("0"));

        // A copy of an existing product keeps its code and is refused; an edit is not.
        const QStringList row{"P'01", "洗发水", "6901234", "洗护", "瓶", "500ml", "是", "20", "38.8", "0", ""};
        {
            addchanpinDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, row);
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("该产品编码已经存在！请更换产品编码"));
        }
        {
            addchanpinDlg dlg;
            d.attach(&dlg);
            dlg.setData(2, row);
            QVERIFY(child<QCheckBox>(&dlg, "checkBox")->isChecked());
            setText(&dlg, "lineEdit_6", QStringLiteral("42"));
            setChecked(&dlg, "checkBox", false);
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select xiaoshoujiage,shijiashangpin from chanpin")), (QList<QStringList>{{"42", "否"}}));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from chanpinrukumingxi")), QStringLiteral("1"));
        QCOMPARE(sqlRows(QStringLiteral("select log from log order by rowid")),
                 (QList<QStringList>{{"增加产品  产品编号：P'01"}, {"修改产品  产品编号：P'01"}}));
    }

    // A deleted product keeps its movements: its code is not given to a new one.
    void deletedProductCodeIsNotReused()
    {
        PromptRecorder prompts;
        Dispatcher d;
        createProduct(d, QStringLiteral("P1"), QStringLiteral("洗发水"), QStringLiteral("12"));
        sqlExec(QStringLiteral("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,shuliang) values('rk1','2026-01-02','入库明细','P1',10)"));
        sqlExec(QStringLiteral("delete from chanpin where ID='P1'"));
        addchanpinDlg dlg;
        d.attach(&dlg);
        dlg.setData(1, QStringList());
        setText(&dlg, "lineEdit", QStringLiteral("P1"));
        setText(&dlg, "lineEdit_2", QStringLiteral("新洗发水"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("该产品编码曾用于已删除的产品，还有它的出入库记录！请更换产品编码"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from chanpin")), QStringLiteral("0"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from chanpinrukumingxi")), QStringLiteral("2"));
        setText(&dlg, "lineEdit", QStringLiteral("P2"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
    }

    void failedProductLeavesNoMovement()
    {
        PromptRecorder prompts;
        Dispatcher d;
        refuseRows("refuse", "BEFORE INSERT", "chanpin", "refused");
        addchanpinDlg dlg;
        d.attach(&dlg);
        dlg.setData(1, QStringList());
        setText(&dlg, "lineEdit", QStringLiteral("P9"));
        setText(&dlg, "lineEdit_2", QStringLiteral("护发素"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("保存失败，本次操作未保存"));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from chanpinrukumingxi")), QStringLiteral("0"));
    }

    void stockInAndOutDocuments()
    {
        PromptRecorder prompts;
        Dispatcher d;
        createProduct(d, QStringLiteral("P1"), QStringLiteral("洗发水"), QStringLiteral("12"));
        createProduct(d, QStringLiteral("P2"), QStringLiteral("发蜡"), QStringLiteral("30"));

        QString inDoc;
        {
            chanpinrukuDlg doc;
            d.attach(&doc);
            doc.setData(QStringLiteral("入库明细"));
            inDoc = doc.documentId();
            QVERIFY(QRegularExpression(QStringLiteral("^入库ID: rk\\d{17}$")).match(inDoc).hasMatch());
            QCOMPARE(child<QLabel>(&doc, "label_2")->text(), inDoc);
            QCOMPARE(doc.windowTitle(), QStringLiteral("产品入库"));
            auto *reasons = child<QComboBox>(&doc, "comboBox");
            QCOMPARE(reasons->findText(QStringLiteral("所有类型")), -1);
            setCombo(&doc, "comboBox", QStringLiteral("采购入库"));
            addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("10"), QStringLiteral("首批"));
            addLine(&doc, QStringLiteral("P2"), QStringLiteral("30"), QStringLiteral("2.5"));
            QCOMPARE(child<QTableView>(&doc, "tableView_2")->model()->rowCount(), 2);
            QCOMPARE(rowOf(&doc, "tableView", 2, QStringLiteral("P1")) >= 0, true);
        }
        QCOMPARE(sqlRows(QStringLiteral("select rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu "
                                        "from chanpinrukumingxi where rukuID!='000000' order by rowid")),
                 (QList<QStringList>{{inDoc, ctrlUiClass::todayText(), "入库明细", "P1", "12", "10", "120", "采购入库", "admin", "首批"},
                                     {inDoc, ctrlUiClass::todayText(), "入库明细", "P2", "30", "2.5", "75", "采购入库", "admin", ""}}));

        // Stock-out: refusals first, then two lines of one product.
        QString outDoc;
        {
            chanpinrukuDlg doc;
            d.attach(&doc);
            doc.setData(QStringLiteral("出库明细"));
            outDoc = doc.documentId();
            QVERIFY(outDoc.startsWith(QStringLiteral("出库ID: ck")));
            QCOMPARE(doc.windowTitle(), QStringLiteral("产品出库"));
            const int p1 = rowOf(&doc, "tableView", 2, QStringLiteral("P1"));
            QCOMPARE(child<QTableView>(&doc, "tableView")->model()->index(p1, 6).data().toString(), QStringLiteral("10"));
            QStringList refusals;
            for (const auto &input : QList<QPair<QString, QString>>{{"", "1"}, {"12", ""}, {"12", "0"}, {"12", "-2"}, {"-1", "2"}, {"abc", "2"}}) {
                onNextModal([&](QWidget *line) {
                    setText(line, "lineEdit", input.first);
                    setText(line, "lineEdit_2", input.second);
                    clickButton(line, QStringLiteral("toolButton"));
                    refusals << prompts.last();
                    clickButton(line, QStringLiteral("toolButton_2"));
                });
                doubleClickRow(&doc, "tableView", p1);
            }
            QCOMPARE(refusals, (QStringList{"产品单价不能为空", "产品数量不能为空", "产品数量必须大于0",
                                            "产品数量不能小于0", "产品单价不能小于0", "产品单价不是有效的数字"}));
            QCOMPARE(sqlValue(QStringLiteral("select count(*) from chanpinrukumingxi")), QStringLiteral("4"));

            addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("5"));
            addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("1"));
            QCOMPARE(stockList().value(QStringLiteral("P1")), QStringLiteral("4"));

            // Correct the first line: shown positive, stored negative, the
            // other line of the same product untouched.
            const int first = rowOf(&doc, "tableView_2", 7, QStringLiteral("-5"));
            QVERIFY(first >= 0);
            onNextModal([&](QWidget *line) {
                QCOMPARE(child<QLineEdit>(line, "lineEdit_2")->text(), QStringLiteral("5"));
                QCOMPARE(child<QLabel>(line, "label_12")->text(), QStringLiteral("-60"));
                setText(line, "lineEdit_2", QStringLiteral("2"));
                setText(line, "lineEdit_3", QStringLiteral("更正"));
                clickButton(line, QStringLiteral("toolButton"));
            });
            doubleClickRow(&doc, "tableView_2", first);
        }
        QCOMPARE(sqlRows(QStringLiteral("select type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,beizhu from chanpinrukumingxi "
                                        "where rukuID='%1' order by rowid").arg(QString(outDoc).replace("'", "''"))),
                 (QList<QStringList>{{"出库明细", "P1", "12", "-2", "-24", "领用出库", "更正"},
                                     {"出库明细", "P1", "12", "-1", "-12", "领用出库", ""}}));
        QCOMPARE(stockList().value(QStringLiteral("P1")), QStringLiteral("7"));
        QCOMPARE(stockList().value(QStringLiteral("P2")), QStringLiteral("2.5"));
        // Each line and each correction says so in the log, with the line itself.
        QCOMPARE(sqlRows(QStringLiteral("select \"user\",log from log where log like '%明细%' order by rowid")),
                 (QList<QStringList>{{"admin", "增加入库明细  单号：" + inDoc + "  产品编号：P1"},
                                     {"admin", "增加入库明细  单号：" + inDoc + "  产品编号：P2"},
                                     {"admin", "增加出库明细  单号：" + outDoc + "  产品编号：P1"},
                                     {"admin", "增加出库明细  单号：" + outDoc + "  产品编号：P1"},
                                     {"admin", "修改出库明细  单号：" + outDoc + "  产品编号：P1"}}));
        // The stock table the lists read follows every insert and correction of a movement.
        QCOMPARE(sqlRows(QStringLiteral("select chanpinID, ROUND(shuliang,3), ROUND(jine,3) from chanpinkucun order by chanpinID")),
                 sqlRows(QStringLiteral("select chanpinID, ROUND(sum(shuliang),3), ROUND(sum(jine),3) from chanpinrukumingxi "
                                        "group by chanpinID order by chanpinID")));

        // The document lists show only their own kind.
        ctrlUiClass ctrl;
        QTableView inView, changes;
        ctrl.setupDeclaredView(readDbset(), &inView, QStringLiteral("入库明细"));
        ctrl.showDefault(QStringLiteral("入库明细"));
        QCOMPARE(ctrl.viewRowCount(QStringLiteral("入库明细")), 2);
        ctrl.setupDeclaredView(readDbset(), &changes, QStringLiteral("库存变动"));
        ctrl.refreshView(QStringLiteral("库存变动"),
                         *ReportQuery::drillDown(QStringLiteral("产品库存"), {{QStringLiteral("chanpinID"), QStringLiteral("P1")}}));
        QCOMPARE(ctrl.viewRowCount(QStringLiteral("库存变动")), 1);
        QCOMPARE(ctrl.rowValues(QStringLiteral("库存变动"), 0).value(3), QStringLiteral("7"));

        // Written off at the purchase price (none set: 0), once; a second time there is nothing to clear.
        QVERIFY(StockWriter::clearStock(QStringLiteral("P2"), QStringLiteral("admin")).ok);
        QCOMPARE(sqlRows(QStringLiteral("select type,shuliang,jine,rukutype from chanpinrukumingxi where rukutype='库存清零'")),
                 (QList<QStringList>{{"出库明细", "-2.5", "0", "库存清零"}}));
        QCOMPARE(StockWriter::clearStock(QStringLiteral("P2"), QStringLiteral("admin")).error,
                 QStringLiteral("产品'发蜡'的库存已经是0，无需清零"));
        QCOMPARE(stockList().value(QStringLiteral("P2")), QStringLiteral("0"));
    }

    // Document numbers come from the clock when the window opens. When another
    // desk has saved a line under the same number meanwhile, this desk's lines
    // go under a fresh one and the window shows only its own.
    void documentNumberTakenAtAnotherDesk()
    {
        PromptRecorder prompts;
        Dispatcher d;
        createProduct(d, QStringLiteral("P1"), QStringLiteral("洗发水"), QStringLiteral("12"));
        chanpinrukuDlg doc;
        d.attach(&doc);
        doc.setData(QStringLiteral("入库明细"));
        const QString opened = doc.documentId();
        StockLine other;
        other.documentId = opened;
        other.date = QStringLiteral("2026-01-02");
        other.kind = QStringLiteral("入库明细");
        other.productId = QStringLiteral("P1");
        other.unitCents = 1200;
        other.quantity = 5;
        other.operatorName = QStringLiteral("小王");
        other.opensDocument = true;
        QVERIFY(StockWriter::addLine(other).ok);

        addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("10"));
        addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("1"));
        const QString mine = doc.documentId();
        QVERIFY(mine != opened);
        QVERIFY(QRegularExpression(QStringLiteral("^入库ID: rk\\d{17}$")).match(mine).hasMatch());
        QCOMPARE(child<QLabel>(&doc, "label_2")->text(), mine);
        QCOMPARE(child<QTableView>(&doc, "tableView_2")->model()->rowCount(), 2);
        QCOMPARE(sqlRows(QStringLiteral("select rukuID,shuliang from chanpinrukumingxi where rukuID!='000000' order by rowid")),
                 (QList<QStringList>{{opened, "5"}, {mine, "10"}, {mine, "1"}}));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from danjuhao where ID in ('%1','%2')").arg(opened, mine)),
                 QStringLiteral("2"));
    }

    // What happens meanwhile at another desk, or a disk that refuses the log:
    // the line is refused as a whole, the cashier is told, and the line dialog
    // stays open with what was typed.
    void refusedLineKeepsItsDialog_data()
    {
        QTest::addColumn<bool>("correction");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("remark");
        QTest::newRow("log refused") << false
            << "refuse the log"
            << "保存失败，本次操作未保存" << "补货";
        QTest::newRow("product deleted") << false << "delete from chanpin where ID='P1'"
                                         << "找不到该产品，本次操作未保存" << "补货";
        QTest::newRow("line deleted") << true << "delete from chanpinrukumingxi where rukuID!='000000'"
                                      << "该明细已不在单据中，请重新打开单据" << "补货";
        const QString tooLong = QString(201, QChar(0x8865));
        QTest::newRow("remark too long") << false << "select 1" << "备注不能超过200个字，本次操作未保存" << tooLong;
        QTest::newRow("remark too long, correction") << true << "select 1" << "备注不能超过200个字，本次操作未保存"
                                                     << tooLong;
    }
    void refusedLineKeepsItsDialog()
    {
        QFETCH(bool, correction);
        QFETCH(QString, meanwhile);
        QFETCH(QString, told);
        QFETCH(QString, remark);
        PromptRecorder prompts;
        Dispatcher d;
        createProduct(d, QStringLiteral("P1"), QStringLiteral("洗发水"), QStringLiteral("12"));
        chanpinrukuDlg doc;
        d.attach(&doc);
        doc.setData(QStringLiteral("入库明细"));
        if (correction)
            addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("10"));
        const QList<QStringList> before = sqlRows(QStringLiteral("select * from chanpinrukumingxi"));
        const QList<QStringList> logBefore = sqlRows(QStringLiteral("select * from log"));
        bool stayed = false;
        QString shown;
        QList<QStringList> afterMeanwhile, afterSave;
        onNextModal([&](QWidget *line) {
            if (meanwhile == QLatin1String("refuse the log"))
                refuseRows("nolog", "BEFORE INSERT", "log", "refused");
            else
                sqlExec(meanwhile);
            afterMeanwhile = sqlRows(QStringLiteral("select * from chanpinrukumingxi"));
            setText(line, "lineEdit", QStringLiteral("11.5"));
            setText(line, "lineEdit_2", QStringLiteral("4"));
            setText(line, "lineEdit_3", remark);
            clickButton(line, QStringLiteral("toolButton"));
            shown = prompts.last();
            stayed = line->isVisible() && child<QLineEdit>(line, "lineEdit_2")->text() == QStringLiteral("4")
                     && child<QLineEdit>(line, "lineEdit_3")->text() == remark;
            afterSave = sqlRows(QStringLiteral("select * from chanpinrukumingxi"));
            clickButton(line, QStringLiteral("toolButton_2"));
        });
        doubleClickRow(&doc, correction ? "tableView_2" : "tableView", 0);
        QCOMPARE(shown, told);
        QVERIFY(stayed);
        QCOMPARE(afterSave, afterMeanwhile);
        QVERIFY(!before.isEmpty());
        QCOMPARE(sqlRows(QStringLiteral("select * from log")), logBefore);
    }

    // A remark as long as the list and the slip keep is stored whole.
    void remarkWithinItsBoundIsStored()
    {
        PromptRecorder prompts;
        Dispatcher d;
        createProduct(d, QStringLiteral("P1"), QStringLiteral("洗发水"), QStringLiteral("12"));
        chanpinrukuDlg doc;
        d.attach(&doc);
        doc.setData(QStringLiteral("入库明细"));
        const QString remark = QString(200, QChar(0x8865));
        addLine(&doc, QStringLiteral("P1"), QStringLiteral("12"), QStringLiteral("3"), remark);
        QCOMPARE(sqlValue(QStringLiteral("select beizhu from chanpinrukumingxi where shuliang=3")), remark);
    }

private:
    std::unique_ptr<TestWorkdir> m_dir;
};

QTEST_MAIN(TestStock)
#include "tst_catalogue_stock.moc"
