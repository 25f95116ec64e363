// The package picker of the renewal against the shipped package list.
#include <QApplication>
#include <QTableView>
#include <QtTest>

#include "taocanselectdlg.h"
#include "testsupport.h"

class tst_PackagePicker : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_work = new TestWorkdir; }
    void cleanup() { delete m_work; m_work = nullptr; }
    void packagePickerCopiesTheItems();
    void packagePickerWithoutChoiceWritesNothing();

private:
    TestWorkdir *m_work = nullptr;
};

void tst_PackagePicker::packagePickerCopiesTheItems()
{
    // Package codes are typed by people: one with letters, one with a quote.
    const char *insert = "insert into taocanmingxi(taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,youhuijiage,heji,zhouqi,beizhu) values";
    sqlExec(QString(insert) + "('A01','洗剪吹十次','365',880,'F1',50,10,40,400,0,'')");
    sqlExec(QString(insert) + "('A01','洗剪吹十次','365',880,'F2',80,5,60,300,0,'')");
    sqlExec(QString(insert) + "('A01','洗剪吹十次','365',880,'F3',100,2,90,180,0,'')");
    sqlExec(QString(insert) + "('B''2','护理','90',200,'F1',50,4,50,200,0,'')");

    taocanselectDlg dlg;
    dlg.setData("7");
    auto *view = dlg.findChild<QTableView *>("tableView");
    QVERIFY(view->model());
    int row = -1;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 0).data().toString() == "A01")
            row = r;
    QVERIFY2(row >= 0, "package A01 is listed with its code in column 0");
    view->selectRow(row);
    clickButton(&dlg, "toolButton_3");
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    const auto rows = sqlRows("select huiyuanID,xiangmuID,xiangmuname,yuanjia,shengyucishu,youhui,heji,bencishu,shishou,zongcishu,xiaofeicishu "
                              "from temphuiyuantaocan order by xiangmuID");
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.at(0), QStringList({"7", "F1", "洗剪吹十次", "50", "10", "40", "400", "10", "880", "10", "0"}));
    QCOMPARE(rows.at(2).at(1), QString("F3"));
    QCOMPARE(rows.at(2).at(4), QString("2"));

    // The package whose code holds a quote is found too.
    taocanselectDlg second;
    second.setData("7");
    auto *view2 = second.findChild<QTableView *>("tableView");
    for (int r = 0; r < view2->model()->rowCount(); ++r)
        if (view2->model()->index(r, 0).data().toString() == "B'2")
            view2->selectRow(r);
    clickButton(&second, "toolButton_3");
    QCOMPARE(sqlValue("select count(*) from temphuiyuantaocan where xiangmuname='护理'"), QString("1"));
}

void tst_PackagePicker::packagePickerWithoutChoiceWritesNothing()
{
    taocanselectDlg dlg;
    dlg.setData("7");
    clickButton(&dlg, "toolButton_3");
    QVERIFY(dlg.result() != QDialog::Accepted);
    clickButton(&dlg, "toolButton_4");
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(sqlValue("select count(*) from temphuiyuantaocan"), QString("0"));
}

QTEST_MAIN(tst_PackagePicker)
#include "tst_packagepicker.moc"
