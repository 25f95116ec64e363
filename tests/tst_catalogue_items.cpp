#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QtTest>

#include "addfuwuxiangmudlg.h"
#include "addleibiedlg.h"
#include "addyuangongdlg.h"
#include "cataloguebook.h"
#include "catalogue_testkit.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "sqldialect.h"
#include "operatorsession.h"
#include "testsupport.h"

namespace {
QStringList serviceListRow(const QString &id)
{
    // The row the main window hands over: a row of "服务项目列表".
    ctrlUiClass ctrl;
    QTableView view;
    ctrl.setupView(readDbset(), &view, QStringLiteral("服务项目列表"));
    for (int r = 0; r < ctrl.viewRowCount(QStringLiteral("服务项目列表")); ++r) {
        const QStringList row = ctrl.rowValues(QStringLiteral("服务项目列表"), r);
        if (row.value(0) == id)
            return row;
    }
    return QStringList();
}

QStringList employeeListRow(const QString &id)
{
    ctrlUiClass ctrl;
    QTableView view;
    ctrl.setupView(readDbset(), &view, QStringLiteral("员工管理"));
    for (int r = 0; r < ctrl.viewRowCount(QStringLiteral("员工管理")); ++r) {
        const QStringList row = ctrl.rowValues(QStringLiteral("员工管理"), r);
        if (row.value(0) == id)
            return row;
    }
    return QStringList();
}

QStringList comboTexts(QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}
}

class TestItems : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new TestWorkdir);
        operatorSession().loginName = QStringLiteral("admin"); // the settings are an owner's work
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('美发','项目类型','')"));
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('美容','项目类型','')"));
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('发型师','员工类别','')"));
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('助理','员工类别','')"));
    }
    void cleanup() { m_dir.reset(); }

    void serviceItemAddRefuseEdit()
    {
        PromptRecorder prompts;
        Dispatcher d;
        {
            addfuwuxiangmuDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, QStringList());
            QCOMPARE(comboTexts(child<QComboBox>(&dlg, "comboBox")), (QStringList{"美发", "美容"}));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("服务项目编号不能为空"));
            setText(&dlg, "lineEdit", QStringLiteral("A'01"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("服务项目名不能为空"));
            setText(&dlg, "lineEdit_2", QStringLiteral("洗剪吹"));
            setCombo(&dlg, "comboBox", QStringLiteral("美容"));
            setText(&dlg, "lineEdit_3", QStringLiteral("45"));
            setText(&dlg, "lineEdit_4", QStringLiteral("三十"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("单价不是有效的数字"));
            QVERIFY(d.keys.isEmpty());
            setText(&dlg, "lineEdit_4", QStringLiteral(" 30.50 "));
            setText(&dlg, "lineEdit_5", QStringLiteral("10"));
            setChecked(&dlg, "checkBox_2", true);
            setText(&dlg, "lineEdit_7", QStringLiteral("7"));
            setText(&dlg, "lineEdit_9", QStringLiteral("含洗发"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        // No care cycle: an empty text in SQLite's file, 0 in the server's number column.
        const QString noCycle = SqlDialect::isPostgres() ? QStringLiteral("0") : QString();
        QCOMPARE(sqlRows(QStringLiteral("select * from fuwuxiangmu")),
                 (QList<QStringList>{{"A'01", "洗剪吹", "美容", "45", "30.5", "10", "0", "否", "是", "7", "否", noCycle, "含洗发", "否"}}));

        // "添加" starts as a copy of the selected item: the same name is refused,
        // and so is the same code under a new name.
        const QStringList row = serviceListRow(QStringLiteral("A'01"));
        QCOMPARE(row.size(), 14);
        {
            addfuwuxiangmuDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, row);
            QCOMPARE(child<QComboBox>(&dlg, "comboBox")->currentText(), QStringLiteral("美容"));
            QVERIFY(child<QCheckBox>(&dlg, "checkBox_2")->isChecked());
            QVERIFY(!child<QCheckBox>(&dlg, "checkBox")->isChecked());
            setText(&dlg, "lineEdit", QStringLiteral("A02"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("服务项目已经存在！请更换服务项目名"));
            setText(&dlg, "lineEdit", QStringLiteral("A'01"));
            setText(&dlg, "lineEdit_2", QStringLiteral("精剪"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("服务项目编号已经存在！请更换服务项目编号"));
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
            setText(&dlg, "lineEdit", QStringLiteral("A02"));
            setChecked(&dlg, "checkBox", true);
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlValue(QStringLiteral("select shijiaxiangmu||shifouhuifan||shifouyouhulizhouqi||jinyong from fuwuxiangmu where ID='A02'")),
                 QStringLiteral("是是否否"));

        // Edit: everything but the code changes; the boxes are written as words.
        {
            addfuwuxiangmuDlg dlg;
            d.attach(&dlg);
            dlg.setData(2, serviceListRow(QStringLiteral("A'01")));
            QVERIFY(child<QLineEdit>(&dlg, "lineEdit")->isReadOnly());
            setText(&dlg, "lineEdit_2", QStringLiteral("精剪"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("服务项目已经存在！请更换服务项目名"));
            setText(&dlg, "lineEdit_2", QStringLiteral("洗剪吹(长发)"));
            setChecked(&dlg, "checkBox_2", false);
            setChecked(&dlg, "checkBox_3", true);
            setText(&dlg, "lineEdit_8", QStringLiteral("30"));
            setChecked(&dlg, "checkBox_4", true);
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select ID,name,xiaoshoujiage,shifouhuifan,shifouyouhulizhouqi,zhouqi,jinyong from fuwuxiangmu order by ID")),
                 (QList<QStringList>{{"A'01", "洗剪吹(长发)", "30.5", "否", "是", "30", "是"},
                                     {"A02", "精剪", "30.5", "是", "否", noCycle, "否"}}));
        QCOMPARE(sqlRows(QStringLiteral("select \"user\",log from log order by rowid")),
                 (QList<QStringList>{{"admin", "增加服务项目  项目编号：A'01"},
                                     {"admin", "增加服务项目  项目编号：A02"},
                                     {"admin", "修改服务项目  项目编号：A'01"}}));
        QCOMPARE(d.keys, (QStringList{"刷新数据列表", "刷新数据列表", "刷新数据列表"}));
    }

    void writersCheckAgainInsideTheSave()
    {
        // What a dialog checked before its save may have changed at another
        // desk by the time it saves: the writer asks again inside its
        // transaction, and a refusal writes nothing at all.
        sqlExec(QStringLiteral("insert into fuwuxiangmu(ID,name) values('A1','洗发')"));
        sqlExec(QStringLiteral("insert into yuangong(ID,name) values('E1','小张')"));
        sqlExec(QStringLiteral("insert into taocanmingxi(taocanID,name,xiangmuID) values('T''1','护理套餐','A1')"));
        sqlExec(QStringLiteral("insert into \"user\"(name,password,xitongshezhi,jinyong) values('收银员','','否','否')"));
        sqlExec(QStringLiteral("insert into chanpin(ID,name) values('P1','洗发水')"));
        Product product;
        product.id = QStringLiteral("P1");
        product.name = QStringLiteral("护发素");
        ServiceItem sameName;
        sameName.id = QStringLiteral("A2");
        sameName.name = QStringLiteral("洗发");
        ServiceItem goneItem;
        goneItem.id = QStringLiteral("A9");
        goneItem.name = QStringLiteral("剪发");
        Employee sameEmployee{QStringLiteral("E2"), QStringLiteral("小张"), QString(), QString(), QString()};
        Package taken;
        taken.id = QStringLiteral("T'1");
        taken.name = QStringLiteral("别的套餐");
        taken.lines << PackageLine{QStringLiteral("A1"), QString(), std::nullopt, 1, 100, 100, std::nullopt, QString()};
        const QString noRight = QStringLiteral("你的权限不够，请使用管理员权限登录");
        using Entry = CatalogueBook::Entry;
        const QList<QPair<QString, std::function<LedgerResult()>>> attempts = {
            {QStringLiteral("服务项目已经存在！请更换服务项目名"), [&] { return CatalogueBook::saveServiceItem(sameName, true, "admin"); }},
            {QStringLiteral("找不到该服务项目，可能已在另一台收银机删除，本次操作未保存"),
             [&] { return CatalogueBook::saveServiceItem(goneItem, false, "admin"); }},
            {noRight, [&] { return CatalogueBook::saveServiceItem(goneItem, true, "收银员"); }},
            {QStringLiteral("该操作员已经存在！请更换会员名"), [&] { return CatalogueBook::saveEmployee(sameEmployee, true, "admin"); }},
            {QStringLiteral("该产品编码已经存在！请更换产品编码"), [&] { return CatalogueBook::saveProduct(product, true, "admin"); }},
            {noRight, [&] { return CatalogueBook::saveProduct(product, false, "收银员"); }},
            {noRight, [&] { return CatalogueBook::addCategory("项目类型", "烫染", "收银员"); }},
            {noRight, [&] { return CatalogueBook::removeCategory("项目类型", "美发", "收银员"); }},
            {QStringLiteral("该套餐编号已经存在！请更换套餐编号"), [&] { return CatalogueBook::savePackage(taken, QString(), "admin"); }},
            {noRight, [&] { return CatalogueBook::savePackage(taken, "T'1", "收银员"); }},
            {QStringLiteral("还有套餐包含该项目，不能删除"), [&] { return CatalogueBook::remove(Entry::ServiceItem, "A1", "admin"); }},
            {noRight, [&] { return CatalogueBook::remove(Entry::Employee, "E1", "收银员"); }},
            {QStringLiteral("不能删除当前登录的操作员"), [&] { return CatalogueBook::remove(Entry::Operator, "admin", "admin"); }},
            {QStringLiteral("找不到要删除的记录，可能已在另一台收银机删除"), [&] { return CatalogueBook::remove(Entry::Employee, "E9", "admin"); }},
        };
        const auto everything = [] {
            QStringList n;
            for (const char *t : {"fuwuxiangmu", "yuangong", "chanpin", "chanpinrukumingxi", "taocanmingxi", "leibie", "user", "log"})
                n << sqlValue(QStringLiteral("select count(*) from %1").arg(QLatin1String(t)));
            return n.join(QLatin1Char('|'));
        };
        const QString before = everything();
        for (const auto &a : attempts) {
            const LedgerResult r = a.second();
            QVERIFY2(!r.ok, qPrintable(a.first));
            QCOMPARE(r.error, a.first);
            QCOMPARE(everything(), before);
        }
        QCOMPARE(sqlValue(QStringLiteral("select name from taocanmingxi")), QStringLiteral("护理套餐"));
    }

    void shortRowsAndLostCategory()
    {
        // A row shorter than the list fills what it has; a category that is
        // no longer in its list is kept, not replaced by the first entry.
        Dispatcher d;
        addfuwuxiangmuDlg dlg;
        d.attach(&dlg);
        dlg.setData(2, {"B1", "染发", "已删类别", "60", "120", "50", "100"});
        QCOMPARE(child<QComboBox>(&dlg, "comboBox")->currentText(), QStringLiteral("已删类别"));
        QCOMPARE(child<QLineEdit>(&dlg, "lineEdit_6")->text(), QStringLiteral("100"));
        addfuwuxiangmuDlg tooShort;
        tooShort.setData(2, {"B1", "染发", "美发"});
        QCOMPARE(child<QLineEdit>(&tooShort, "lineEdit")->text(), QString());
    }

    void namedListsAddAndDelete()
    {
        PromptRecorder prompts;
        sqlExec(QStringLiteral("insert into leibie(mingchen,leibiestr,beizhu) values('其他','产品类型','')"));
        addleibieDlg dlg;
        dlg.setData(QStringLiteral("项目类型"));
        QCOMPARE(viewTexts(&dlg), (QStringList{"美发", "美容"}));

        auto add = [&](const QString &text) {
            onNextModal([text](QWidget *entry) {
                setText(entry, "lineEdit", text);
                clickButton(entry, QStringLiteral("toolButton"));
                if (entry->isVisible()) // refused: leave it
                    clickButton(entry, QStringLiteral("toolButton_2"));
            });
            clickButton(&dlg, QStringLiteral("toolButton"));
        };
        add(QStringLiteral("其他"));
        add(QStringLiteral("O'Neil 造型"));
        add(QStringLiteral("美发"));
        QCOMPARE(prompts.last(), QStringLiteral("该类别已经存在！"));
        add(QString());
        QCOMPARE(prompts.last(), QStringLiteral("类别名称不能为空"));
        QCOMPARE(viewTexts(&dlg), (QStringList{"美发", "美容", "其他", "O'Neil 造型"}));
        QCOMPARE(sqlValue(QStringLiteral("select beizhu from leibie where mingchen='其他' and leibiestr='项目类型'")), QString());

        auto *view = child<QTableView>(&dlg, "tableView");
        prompts.answer(QStringLiteral("否"));
        view->setCurrentIndex(view->model()->index(2, 0));
        clickButton(&dlg, QStringLiteral("toolButton_2"));
        QCOMPARE(prompts.last(), QStringLiteral("是否删除其他,确定吗？"));
        QCOMPARE(viewTexts(&dlg).size(), 4);

        prompts.answer(QStringLiteral("是"));
        view->setCurrentIndex(view->model()->index(2, 0));
        clickButton(&dlg, QStringLiteral("toolButton_2"));
        view->setCurrentIndex(view->model()->index(2, 0));
        clickButton(&dlg, QStringLiteral("toolButton_2"));
        QCOMPARE(viewTexts(&dlg), (QStringList{"美发", "美容"}));
        // The same word in another list stays.
        QCOMPARE(sqlRows(QStringLiteral("select mingchen,leibiestr from leibie where mingchen='其他'")),
                 (QList<QStringList>{{"其他", "产品类型"}}));
        // Each deletion leaves its log row.
        QCOMPARE(sqlRows(QStringLiteral("select log from log")),
                 (QList<QStringList>{{"删除类别（项目类型）  名称：其他"}, {"删除类别（项目类型）  名称：O'Neil 造型"}}));
    }

    void listDialogRefillsOpenerCombo()
    {
        addyuangongDlg dlg;
        auto *box = child<QComboBox>(&dlg, "comboBox");
        QCOMPARE(comboTexts(box), (QStringList{"发型师", "助理"}));
        setCombo(&dlg, "comboBox", QStringLiteral("助理"));
        onNextModal([](QWidget *lists) {
            onNextModal([](QWidget *entry) {
                setText(entry, "lineEdit", QStringLiteral("技师"));
                clickButton(entry, QStringLiteral("toolButton"));
            });
            clickButton(lists, QStringLiteral("toolButton"));
            clickButton(lists, QStringLiteral("toolButton_3"));
        });
        clickButton(&dlg, QStringLiteral("toolButton_3"));
        QCOMPARE(comboTexts(box), (QStringList{"发型师", "助理", "技师"}));
        QCOMPARE(box->currentText(), QStringLiteral("助理"));
    }

    void employeeAddDuplicateEdit()
    {
        PromptRecorder prompts;
        Dispatcher d;
        {
            addyuangongDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, QStringList());
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("员工编号不能为空"));
            setText(&dlg, "lineEdit", QStringLiteral("E'1"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("员工名不能为空"));
            setText(&dlg, "lineEdit_2", QStringLiteral("张三"));
            setCombo(&dlg, "comboBox", QStringLiteral("助理"));
            setText(&dlg, "lineEdit_3", QStringLiteral("13800000000"));
            child<QTextEdit>(&dlg, "textEdit")->setPlainText(QStringLiteral("早班"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select * from yuangong")),
                 (QList<QStringList>{{"E'1", "张三", "助理", "13800000000", "否", "早班"}}));

        const QStringList row = employeeListRow(QStringLiteral("E'1"));
        QCOMPARE(row.size(), 6);
        {
            // A copy of the selected employee: same name refused, then same code refused.
            addyuangongDlg dlg;
            d.attach(&dlg);
            dlg.setData(1, row);
            QCOMPARE(child<QComboBox>(&dlg, "comboBox")->currentText(), QStringLiteral("助理"));
            setText(&dlg, "lineEdit", QStringLiteral("E2"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("该操作员已经存在！请更换会员名"));
            setText(&dlg, "lineEdit", QStringLiteral("E'1"));
            setText(&dlg, "lineEdit_2", QStringLiteral("李四"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("该员工编号已经存在！请更换员工编号"));
            setText(&dlg, "lineEdit", QStringLiteral("E2"));
            setCombo(&dlg, "comboBox", QStringLiteral("发型师"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        // Disabled elsewhere, enabled again by an edit.
        sqlExec(QStringLiteral("update yuangong set jinyong='是'"));
        {
            addyuangongDlg dlg;
            d.attach(&dlg);
            dlg.setData(2, employeeListRow(QStringLiteral("E'1")));
            setText(&dlg, "lineEdit_2", QStringLiteral("李四"));
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(prompts.last(), QStringLiteral("该操作员已经存在！请更换会员名"));
            setText(&dlg, "lineEdit_2", QStringLiteral("张三丰"));
            setText(&dlg, "lineEdit_3", QString());
            clickButton(&dlg, QStringLiteral("toolButton"));
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        }
        QCOMPARE(sqlRows(QStringLiteral("select ID,name,type,phone,jinyong from yuangong order by ID")),
                 (QList<QStringList>{{"E'1", "张三丰", "助理", "", "否"}, {"E2", "李四", "发型师", "13800000000", "是"}}));
    }

private:
    static QStringList viewTexts(QWidget *dlg)
    {
        auto *view = child<QTableView>(dlg, "tableView");
        QStringList out;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            out << view->model()->index(r, 0).data().toString();
        return out;
    }
    std::unique_ptr<TestWorkdir> m_dir;
};

QTEST_MAIN(TestItems)
#include "tst_catalogue_items.moc"
