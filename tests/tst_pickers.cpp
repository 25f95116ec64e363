// The generic row picker against the shipped member view.
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "huiyuandlg.h"
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
    void typedTextIsBoundAndKeepsWildcards_data();
    void typedTextIsBoundAndKeepsWildcards();

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

// The search field's text is bound: a quote is a character of the name, never
// the end of a string.
void tst_Pickers::typedTextIsBoundAndKeepsWildcards_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("a quote") << "张'" << QStringList{"3"};
    // "%" and "_" are wildcards here as in the report searches: the same typed
    // text finds the same names wherever it is typed.
    QTest::newRow("a percent sign") << "100%" << QStringList{"4", "5"};
    QTest::newRow("a lone percent sign") << "%" << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    QTest::newRow("an underscore") << "a_b" << QStringList{"6", "7"};
    // A backslash is only a backslash, on the server too (where LIKE takes it
    // as its escape character unless told otherwise).
    QTest::newRow("a backslash") << "C:\\" << QStringList{"8"};
    QTest::newRow("a backslash before a letter") << "\\药" << QStringList{"8"};
    QTest::newRow("a phone prefix") << "13900" << QStringList{"2"};
}

void tst_Pickers::typedTextIsBoundAndKeepsWildcards()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    sqlExec("insert into huiyuan(ID,name) values('4','100%纯'),('5','100分'),('6','a_b'),('7','axb'),"
            "('8','C:\\药'),('9','C:药')");
    huiyuanDlg dlg;
    dlg.setData("会员选择", " where 1=0");
    auto *field = dlg.findChild<QLineEdit *>("lineEdit");
    field->setText(typed);
    QMetaObject::invokeMethod(&dlg, "search");
    auto *view = dlg.findChild<QTableView *>("tableView");
    QStringList codes;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        codes << view->model()->index(r, 0).data().toString();
    codes.sort();
    QCOMPARE(codes, found);
}

QTEST_MAIN(tst_Pickers)
#include "tst_pickers.moc"
