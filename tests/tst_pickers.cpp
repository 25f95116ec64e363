// The generic row picker and the package picker against the shipped views.
#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "huiyuandlg.h"
#include "taocanselectdlg.h"
#include "testsupport.h"

class tst_Pickers : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { delete m_work; m_work = nullptr; }

    void memberPickerAnswersWithTheChosenRow();
    void memberPickerDoubleClick();
    void memberPickerWithoutRowStaysOpen();
    void packagePickerCopiesTheItems();
    void packagePickerWithoutChoiceWritesNothing();

private:
    TestWorkdir *m_work = nullptr;
};

void tst_Pickers::init()
{
    m_work = new TestWorkdir;
    sqlExec("insert into huiyuan(ID,name,type,birthday,jiaofeijinE,shengyujine,phone,jifen,guwenrenyuan) "
            "values('1','张三','金卡','1990-05-06 00:00:00',500,320.5,'13800000001',12,'E01')");
    sqlExec("insert into huiyuan(ID,name,type,birthday,jiaofeijinE,shengyujine,phone,jifen,guwenrenyuan) "
            "values('2','李四','银卡','1985-01-02 00:00:00',300,0,'13900000002',0,'')");
    sqlExec("insert into huiyuan(ID,name,type,birthday,jiaofeijinE,shengyujine,phone,jifen,guwenrenyuan) "
            "values('3','张''小','银卡','1985-01-02 00:00:00',300,10,'13700000003',0,'')");
}

void tst_Pickers::memberPickerAnswersWithTheChosenRow()
{
    huiyuanDlg dlg;
    dlg.setData("会员选择", " where name like '%张%' or phone like '%张%'");
    QCOMPARE(dlg.windowTitle(), QString("会员选择"));
    auto *view = dlg.findChild<QTableView *>("tableView");
    QCOMPARE(view->model()->rowCount(), 2);
    QSignalSpy spy(&dlg, &huiyuanDlg::DlgSend);
    view->selectRow(1);
    clickButton(&dlg, "toolButton");
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(0).toString(), QString("会员选择"));
    const QStringList row = spy.last().at(1).toStringList();
    // The nine columns of the current-member record, in its order.
    QCOMPARE(row, QStringList({"3", "张'小", "银卡", "1985-01-02 00:00:00", "300", "10", "13700000003", "0", ""}));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void tst_Pickers::memberPickerDoubleClick()
{
    huiyuanDlg dlg;
    dlg.setData("会员选择", " where name like '%%' or phone like '%%'");
    auto *view = dlg.findChild<QTableView *>("tableView");
    QCOMPARE(view->model()->rowCount(), 3);
    QSignalSpy spy(&dlg, &huiyuanDlg::DlgSend);
    emit view->doubleClicked(view->model()->index(1, 4));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.last().at(1).toStringList().value(0), QString("2"));
    QCOMPARE(spy.last().at(1).toStringList().value(1), QString("李四"));
}

void tst_Pickers::memberPickerWithoutRowStaysOpen()
{
    huiyuanDlg dlg;
    dlg.setData("会员选择", " where name like '%王%' or phone like '%王%'");
    QSignalSpy spy(&dlg, &huiyuanDlg::DlgSend);
    clickButton(&dlg, "toolButton");
    QCOMPARE(spy.count(), 0);
    QVERIFY(dlg.result() != QDialog::Accepted);
    clickButton(&dlg, "toolButton_2");
    QCOMPARE(spy.count(), 0);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void tst_Pickers::packagePickerCopiesTheItems()
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

void tst_Pickers::packagePickerWithoutChoiceWritesNothing()
{
    taocanselectDlg dlg;
    dlg.setData("7");
    clickButton(&dlg, "toolButton_3");
    QVERIFY(dlg.result() != QDialog::Accepted);
    clickButton(&dlg, "toolButton_4");
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(sqlValue("select count(*) from temphuiyuantaocan"), QString("0"));
}

QTEST_MAIN(tst_Pickers)
#include "tst_pickers.moc"
