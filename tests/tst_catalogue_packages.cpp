#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QtTest>

#include "addtaocandlg.h"
#include "addtaocanxiangmudlg.h"
#include "catalogue_testkit.h"
#include "operatorsession.h"
#include "testsupport.h"

namespace {
void pick(QWidget *lineDlg, const QStringList &item)
{
    QMetaObject::invokeMethod(lineDlg, "DlgRecv", Q_ARG(QString, QStringLiteral("服务项目选择")),
                              Q_ARG(QVariant, QVariant(item)));
}

// Adds one line through the real line dialog ("添加" of the package dialog).
void addLine(addtaocanDlg *pkg, const QStringList &item, const QString &uses, const QString &price)
{
    bool seen = false;
    onNextModal([&](QWidget *dlg) {
        seen = true;
        pick(dlg, item);
        setText(dlg, "lineEdit_2", uses);
        setText(dlg, "lineEdit_4", price);
        clickButton(dlg, QStringLiteral("toolButton"));
    });
    clickButton(pkg, QStringLiteral("toolButton_4"));
    QVERIFY(seen);
}

QStringList tableRow(QWidget *dlg, int row)
{
    auto *view = child<QTableView>(dlg, "tableView");
    QStringList out;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        out << view->model()->index(row, c).data().toString();
    return out;
}
}

class TestPackages : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new TestWorkdir);
        operatorSession().loginName = QStringLiteral("admin"); // the settings are an owner's work
        sqlExec(QStringLiteral("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,beizhu) values('F1','洗剪吹','美发',30,'')"));
        sqlExec(QStringLiteral("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,beizhu) values('F''2','烫发','美发',200,'')"));
    }
    void cleanup() { m_dir.reset(); }

    void lineDialogSendsLine()
    {
        PromptRecorder prompts;
        Dispatcher d;
        addtaocanxiangmuDlg dlg;
        d.attach(&dlg);
        dlg.setData(1, QStringList());
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("请输入项目编号，或点“...”选择服务项目"));

        pick(&dlg, {QStringLiteral("F1"), QStringLiteral("洗剪吹"), QStringLiteral("美发"), QStringLiteral("30")});
        QCOMPARE(child<QLineEdit>(&dlg, "lineEdit_2")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(&dlg, "lineEdit_5")->text(), QStringLiteral("30"));
        QVERIFY(child<QLineEdit>(&dlg, "lineEdit")->isReadOnly());
        setText(&dlg, "lineEdit_2", QStringLiteral("5"));
        setText(&dlg, "lineEdit_4", QStringLiteral("24.5"));
        QCOMPARE(child<QLineEdit>(&dlg, "lineEdit_5")->text(), QStringLiteral("122.5"));

        setText(&dlg, "lineEdit_2", QStringLiteral("0"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("服务次数必须大于0"));
        setText(&dlg, "lineEdit_2", QString());
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("请输入服务次数"));
        setText(&dlg, "lineEdit_2", QStringLiteral("5"));
        setText(&dlg, "lineEdit_4", QStringLiteral("-1"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("优惠价格不能小于0"));
        QVERIFY(d.keys.isEmpty());

        setText(&dlg, "lineEdit_4", QStringLiteral("24.5"));
        setText(&dlg, "lineEdit_3", QStringLiteral("7"));
        setText(&dlg, "lineEdit_6", QStringLiteral("周末不可用"));
        QList<QVariant> sent;
        connect(&dlg, &addtaocanxiangmuDlg::DlgSend, [&](QString k, QVariant v) {
            sent << QVariant(k) << v;
        });
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(sent.size(), 2);
        QCOMPARE(sent.at(0).toString(), QStringLiteral("添加数据"));
        const dbctrlstruct line = sent.at(1).value<dbctrlstruct>();
        QCOMPARE(line.table, QStringLiteral("temptaocanxiangmuliebiao"));
        QCOMPARE(line.values, (QStringList{"F1", "洗剪吹", "30", "5", "24.5", "122.5", "7", "周末不可用"}));
    }

    void lineDialogChangeDeletesThenInserts()
    {
        addtaocanxiangmuDlg dlg;
        QStringList keys;
        QStringList deleted;
        connect(&dlg, &addtaocanxiangmuDlg::DlgSend, [&](QString k, QVariant v) {
            keys << k;
            if (k == QStringLiteral("删除数据"))
                deleted = v.value<redbctrlstruct>().values;
        });
        dlg.setData(2, {"F1", "洗剪吹", "30", "5", "24", "120", "7", ""});
        QVERIFY(child<QLineEdit>(&dlg, "lineEdit")->isReadOnly());
        QCOMPARE(child<QLabel>(&dlg, "label_6")->text(), QStringLiteral("美发"));
        setText(&dlg, "lineEdit_2", QStringLiteral("6"));
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(keys, (QStringList{"删除数据", "添加数据"}));
        QCOMPARE(deleted, QStringList{"F1"});
    }

    void createEditRenamePackage()
    {
        PromptRecorder prompts;
        Dispatcher d;
        {
            addtaocanDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, QStringList());
            setText(&dlg, "lineEdit", QStringLiteral("T'1"));
            setText(&dlg, "lineEdit_2", QStringLiteral("美发套餐"));
            setText(&dlg, "lineEdit_3", QStringLiteral("一年"));
            setText(&dlg, "lineEdit_4", QStringLiteral("500"));
            setText(&dlg, "lineEdit_5", QStringLiteral("开业特惠"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("套餐还没有服务项目，请先添加套餐包含的服务项目"));
            QCOMPARE(dlg.result(), int(QDialog::Rejected));

            addLine(&dlg, {"F1", "洗剪吹", "美发", "30"}, "10", "25");
            addLine(&dlg, {"F'2", "烫发", "美发", "200"}, "2", "180");
            QCOMPARE(child<QLabel>(&dlg, "label_6")->text(), QStringLiteral("原价：610"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select taocanID,name,youxiaoqi,zongjia,xiangmuID,yuanjia,fuwucishu,youhuijiage,heji,beizhu "
                                        "from taocanmingxi order by rowid")),
                 (QList<QStringList>{{"T'1", "美发套餐", "一年", "500", "F1", "30", "10", "25", "250", "开业特惠"},
                                     {"T'1", "美发套餐", "一年", "500", "F'2", "200", "2", "180", "360", "开业特惠"}}));
        // The working lines go with the dialog.
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from temptaocanxiangmuliebiao")), QStringLiteral("0"));

        // A second package under the same code is refused.
        {
            addtaocanDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, QStringList());
            setText(&dlg, "lineEdit", QStringLiteral("T'1"));
            setText(&dlg, "lineEdit_2", QStringLiteral("别的套餐"));
            setText(&dlg, "lineEdit_4", QStringLiteral("1"));
            addLine(&dlg, {"F1", "洗剪吹", "美发", "30"}, "1", "1");
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("该套餐编号已经存在！请更换套餐编号"));
        }
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from taocanmingxi")), QStringLiteral("2"));

        // Edit: the row of "套餐列表" loads header and lines; rename and change a line.
        const QStringList listRow = sqlRows(QStringLiteral("select taocanID,name,youxiaoqi,zongjia,beizhu from taocanmingxi limit 1")).value(0);
        {
            addtaocanDlg dlg;
            d.attach(&dlg);
            dlg.setData(2, listRow);
            QCOMPARE(child<QLineEdit>(&dlg, "lineEdit_5")->text(), QStringLiteral("开业特惠"));
            QCOMPARE(tableRow(&dlg, 0).mid(0, 6), (QStringList{"F1", "洗剪吹", "30", "10", "25", "250"}));
            setText(&dlg, "lineEdit_2", QStringLiteral("美发年卡"));
            auto *view = child<QTableView>(&dlg, "tableView");
            view->setCurrentIndex(view->model()->index(0, 0));
            onNextModal([](QWidget *line) {
                setText(line, "lineEdit_2", QStringLiteral("12"));
                clickButton(line, QStringLiteral("toolButton"));
            });
            clickButton(&dlg, QStringLiteral("toolButton_3"));
            // The changed line moves to the end.
            QCOMPARE(tableRow(&dlg, 1).mid(0, 6), (QStringList{"F1", "洗剪吹", "30", "12", "25", "300"}));
            QCOMPARE(child<QLabel>(&dlg, "label_6")->text(), QStringLiteral("原价：660"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select taocanID,name,xiangmuID,fuwucishu,heji,beizhu from taocanmingxi order by rowid")),
                 (QList<QStringList>{{"T'1", "美发年卡", "F'2", "2", "360", "开业特惠"},
                                     {"T'1", "美发年卡", "F1", "12", "300", "开业特惠"}}));
        QCOMPARE(d.keys, (QStringList{"刷新数据列表", "刷新数据列表"}));
    }

    void sameItemTwiceAndDelete()
    {
        Dispatcher d;
        addtaocanDlg dlg;
        d.attach(&dlg);
        dlg.setData(1, QStringList());
        addLine(&dlg, {"F1", "洗剪吹", "美发", "30"}, "1", "30");
        addLine(&dlg, {"F1", "洗剪吹", "美发", "30"}, "2", "30");
        addLine(&dlg, {"F'2", "烫发", "美发", "200"}, "1", "200");
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from temptaocanxiangmuliebiao")), QStringLiteral("3"));
        auto *view = child<QTableView>(&dlg, "tableView");
        view->setCurrentIndex(view->model()->index(0, 0));
        clickButton(&dlg, QStringLiteral("toolButton_5"));
        // Both lines of the item share its code and go together.
        QCOMPARE(sqlRows(QStringLiteral("select xiangmuID from temptaocanxiangmuliebiao")), (QList<QStringList>{{"F'2"}}));
        QCOMPARE(child<QLabel>(&dlg, "label_6")->text(), QStringLiteral("原价：200"));
    }

    void failedSaveKeepsOldPackage()
    {
        PromptRecorder prompts;
        Dispatcher d;
        sqlExec(QStringLiteral("insert into taocanmingxi values('P1','旧套餐','半年',100,'F1',30,4,25,100,0,'')"));
        refuseRows("refuse", "BEFORE INSERT", "taocanmingxi", "refused", "new.xiangmuID='F''2'");
        addtaocanDlg dlg;
        d.attach(&dlg);
        dlg.setData(2, {"P1", "旧套餐", "半年", "100", ""});
        addLine(&dlg, {"F'2", "烫发", "美发", "200"}, "1", "200");
        clickButton(&dlg, QStringLiteral("toolButton"));
        QCOMPARE(prompts.last(), QStringLiteral("保存失败，本次操作未保存"));
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(sqlRows(QStringLiteral("select taocanID,name,xiangmuID,fuwucishu from taocanmingxi")),
                 (QList<QStringList>{{"P1", "旧套餐", "F1", "4"}}));
    }

private:
    std::unique_ptr<TestWorkdir> m_dir;
};

QTEST_MAIN(TestPackages)
#include "tst_catalogue_packages.moc"
