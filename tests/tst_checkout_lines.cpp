// Sale line entry: item picker, line editor and commission dialog, driven from
// the checkout as a cashier does.

#include <QtTest>

#include "checkoutfixture.h"
#include "amounts.h"
#include "lineprices.h"
#include "sqltext.h"

using namespace checkout_fixture;

class TestCheckoutLines : public QObject
{
    Q_OBJECT

private:
    TestWorkdir *m_dir = nullptr;
    PromptRecorder *m_prompts = nullptr;

private slots:
    void init()
    {
        m_dir = new TestWorkdir;
        m_prompts = new PromptRecorder;
        seedShop();
    }
    void cleanup()
    {
        delete m_prompts;
        delete m_dir;
    }

    void pricing_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("discount");
        QTest::addColumn<QString>("unitPrice");
        QTest::addColumn<QString>("total");
        QTest::newRow("service, card discount") << "1001" << "toolButton_3" << "S01" << "3" << "0.8" << "80" << "240.00";
        QTest::newRow("product, product discount") << "1001" << "toolButton_6" << "P01" << "3" << "0.9" << "45" << "135.00";
        QTest::newRow("walk-in pays the list price") << "0000" << "toolButton_3" << "S02" << "2" << "1" << "200" << "400.00";
        QTest::newRow("card type without discount") << "1002" << "toolButton_6" << "P02" << "1" << "1" << "30" << "30.00";
        QTest::newRow("half a unit counts nothing") << "1001" << "toolButton_3" << "S01" << "2.5" << "0.8" << "80" << "0.00";
    }
    void pricing()
    {
        QFETCH(QString, member);
        QFETCH(QString, button);
        QFETCH(QString, item);
        QFETCH(QString, quantity);
        QFETCH(QString, discount);
        QFETCH(QString, unitPrice);
        QFETCH(QString, total);
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo(member));
        dlg.show();
        QStringList seen;
        addLine(dlg, qPrintable(button), item, quantity, [&seen](QWidget *editor) {
            seen << text(editor, "label_6") << text(editor, "lineEdit_2") << text(editor, "lineEdit_3")
                 << text(editor, "lineEdit_5");
        }, false);
        QCOMPARE(seen, (QStringList{"无", discount, unitPrice, total}));
        QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi"), QString("0"));
    }

    void quantityMustBeWhole()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        for (const QString &bad : {QString("2.5"), QString("-1"), QString("0"), QString("x"), QString("nan"),
                                   QString("2000000")}) {
            addLine(dlg, "toolButton_3", "S01", bad, [](QWidget *editor) {
                clickButton(editor, "toolButton_4"); // refused, editor stays open
                QVERIFY(editor->isVisible());
            }, false);
            QCOMPARE(m_prompts->last(), bad == "2000000" ? QString("数量不能超过1000000") : QString("数量必须是大于0的整数"));
        }
        // 33.333 × 3 would be booked as 33.33 a unit and 100 in all.
        QString thirdOfACent;
        addLine(dlg, "toolButton_3", "S01", "1", [&thirdOfACent, this](QWidget *editor) {
            setText(editor, "lineEdit_3", "33.333");
            clickButton(editor, "toolButton_4");
            QVERIFY(editor->isVisible());
            thirdOfACent = m_prompts->last();
            setText(editor, "lineEdit_3", "-5");
            clickButton(editor, "toolButton_4");
            QVERIFY(editor->isVisible());
            setText(editor, "lineEdit_3", "75");
        });
        QCOMPARE(thirdOfACent, QString("优惠价最多只能有两位小数"));
        QCOMPARE(m_prompts->last(), QString("优惠价必须是不小于0的数字"));
        QCOMPARE(sqlRows("select xiaoshoujiage,youhuijiage,shuliang,jine,jifen from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{"100", "75", "1", "75", "100"}}));
        QCOMPARE(text(&dlg, "label_26"), QString("75.00"));
    }

    void fullDiskIsTold()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        // SQLite's own words for a full disk, on the working table of the lines.
        refuseRows("full_disk", "BEFORE INSERT", "tempxiaofeimingxi", "database or disk is full");
        addLine(dlg, "toolButton_3", "S01", "1", [](QWidget *editor) {
            clickButton(editor, "toolButton_4");
            QVERIFY(editor->isVisible());
        }, false);
        QCOMPARE(m_prompts->last(), QString("保存消费项目失败，本次操作未保存\n原因：磁盘空间已满，请清理磁盘后再试。"));
        QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi"), QString("0"));
    }

    void unitPriceRight()
    {
        operatorSession().xiugaixiaoshoudanjia = QStringLiteral("否");
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        bool readOnly = false;
        addLine(dlg, "toolButton_3", "S01", "1", [&readOnly](QWidget *editor) {
            readOnly = editor->findChild<QLineEdit *>("lineEdit_3")->isReadOnly();
        });
        QVERIFY(readOnly);
        operatorSession().xiugaixiaoshoudanjia = QStringLiteral("是");
    }

    void promotionOverridesTheCard()
    {
        const QString today = QDate::currentDate().toString("yyyy-MM-dd");
        sqlExec("insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,starttime,endtime,huiyuanleixing,cuxiaofangshi,"
                "cuxiaobili,cuxiaojiner) values('P02','产品','2000-01-01','2099-12-31','金卡','按固定金额促销',0.6,18)");
        QVERIFY2(!sqlValue("select zuizhongjiage from cuxiao where xiangmuID='P02' and huiyuanleixing='金卡'").isEmpty(),
                 "the promotion view shows the rule");
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        QStringList seen;
        addLine(dlg, "toolButton_6", "P02", "2", [&seen](QWidget *editor) {
            seen << text(editor, "lineEdit_2") << text(editor, "lineEdit_3") << text(editor, "lineEdit_5");
        });
        QCOMPARE(seen, (QStringList{"0.6", "18", "36.00"}));
        QCOMPARE(sqlRows("select xiaoshoujiage,youhuijiage,shuliang,jine,jifen from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{"30", "18", "2", "36", "30"}}));
    }

    // The editor offers what every checkout path offers (a resumed held bill
    // too), and a promotion that names no price leaves the card's price
    // standing instead of selling the line for nothing.
    void theEditorOffersTheCheckoutsPrice()
    {
        sqlExec("insert into cuxiaoshezhi(xiangmuID,xiangmuleixing,starttime,endtime,huiyuanleixing,cuxiaofangshi,"
                "cuxiaobili,cuxiaojiner) values('P02','产品','2000-01-01','2099-12-31','金卡','按固定金额促销',0.6,18),"
                "('S01','项目','2000-01-01','2099-12-31','金卡','按固定金额促销',1,NULL)");
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        const auto offered = [](const char *type, const char *item, const char *name) {
            return moneyText(centsToYuan(LinePrices::offer(QString::fromUtf8(type), QString::fromUtf8(item),
                                                           QString::fromUtf8(name), QStringLiteral("金卡"))
                                             .unitCents));
        };
        QStringList seen;
        const auto look = [&seen](QWidget *editor) { seen << text(editor, "lineEdit_3"); };
        addLine(dlg, "toolButton_3", "S01", "1", look, false);
        addLine(dlg, "toolButton_6", "P02", "1", look, false);
        addLine(dlg, "toolButton_6", "P01", "1", look, false);
        usePackage(dlg, "S02", "1", look);
        QCOMPARE(seen, (QStringList{offered("服务项目", "S01", "洗剪吹"), offered("产品", "P02", "护发素"),
                                    offered("产品", "P01", "洗发水"), offered("套餐消费", "S02", "烫发")}));
        QCOMPARE(seen, (QStringList{"80", "18", "45", "200"}));
    }

    void packageUses()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        QStringList seen;
        usePackage(dlg, "S02", "6", [&seen](QWidget *editor) {
            seen << text(editor, "label_6") << text(editor, "lineEdit_5") << text(editor, "lineEdit_3")
                 << text(editor, "label_11");
        });
        QCOMPARE(seen, (QStringList{"5", "5", "200", "剩余次数"}));
        QCOMPARE(m_prompts->last(), QString("该会员的套餐次数已不足"));
        QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi"), QString("0"));
        QCOMPARE(sqlValue("select bencixiaofeicishu from temphuiyuantaocanxiaofei order by rowid"), QString("0"));

        // Each use line counts against what is left after the lines already in
        // the basket: 1 + 3 fit in 5, another 2 do not.
        usePackage(dlg, "S02", "1");
        usePackage(dlg, "S02", "3");
        QCOMPARE(sqlValue("select bencixiaofeicishu from temphuiyuantaocanxiaofei order by rowid"), QString("4"));
        usePackage(dlg, "S02", "2");
        QCOMPARE(m_prompts->last(), QString("该会员的套餐次数已不足"));
        QCOMPARE(sqlRows("select xiaofeileixing,shuliang,jine,jifen from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{"套餐消费", "1", "0", "0"}, {"套餐消费", "3", "0", "0"}}));
        QCOMPARE(text(&dlg, "label_19"), QString("4"));
        clickButton(&dlg, "toolButton_10");
        QCOMPARE(sqlValue("select shengyucishu from huiyuantaocan where huiyuanID='1001' order by rowid"), QString("1"));
        QCOMPARE(sqlValue("select sum(cishujianshao) from huiyuanyuebiandong where huiyuanid='1001'"), QString("4"));
        verifyLedger("1001");
    }

    // Two lines of one item are two lines: each is deleted alone, with its own
    // commission rows, and a package use of the same item keeps its own.
    void oneLineDeletedAlone()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        addLine(dlg, "toolButton_3", "S02", "1", [](QWidget *editor) { addCommission(editor, "E01"); });
        addLine(dlg, "toolButton_3", "S02", "2", [](QWidget *editor) { addCommission(editor, "E02"); });
        usePackage(dlg, "S02", "1", [](QWidget *editor) { addCommission(editor, "E01"); });
        QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("3"));
        auto *view = dlg.findChild<QTableView *>("tableView");
        QCOMPARE(view->model()->rowCount(), 2);
        // The line key tells the two apart; the cashier never sees it.
        QVERIFY(view->isColumnHidden(8));
        view->setCurrentIndex(view->model()->index(1, 0));
        m_prompts->answer("是");
        clickButton(&dlg, "toolButton_5");
        QCOMPARE(sqlRows("select xiaofeileixing,shuliang from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{"服务项目", "1"}, {"套餐消费", "1"}}));
        QCOMPARE(sqlRows("select yuangongID from temptichengmingxi order by rowid"),
                 (QList<QStringList>{{"E01"}, {"E01"}}));
        QCOMPARE(text(&dlg, "label_26"), QString("160.00"));
    }

    // A proportional commission is a share of the line's amount as it finally
    // stands: quantity 2 earns twice the share of 1, and a new price is followed.
    void commissionFollowsTheLine()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        QString proposed;
        addLine(dlg, "toolButton_3", "S01", "2", [&proposed](QWidget *editor) {
            addCommission(editor, "E01", "radioButton", [&proposed](QWidget *commission) {
                proposed = text(commission, "lineEdit_2");
            });
            setText(editor, "lineEdit_4", "3");
            setText(editor, "lineEdit_3", "90");
        });
        QCOMPARE(proposed, QString("16")); // 10 % of 2 × 80
        QCOMPARE(sqlRows("select tichengbili,tichengjine from temptichengmingxi order by rowid"), (QList<QStringList>{{"10", "27"}}));
        clickButton(&dlg, "toolButton_10");
        QCOMPARE(sqlRows("select tichengbili,tichengjine from tichengmingxi order by rowid"), (QList<QStringList>{{"10", "27"}}));
        verifyLedger("1001");
    }

    void commissionRows()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        // 点单 on 洗剪吹 pays the fixed 15 of its rule.
        QStringList proposal;
        addLine(dlg, "toolButton_3", "S01", "1", [&proposal](QWidget *editor) {
            addCommission(editor, "E01", "radioButton_2", [&proposal](QWidget *commission) {
                proposal << text(commission, "label_9") << text(commission, "label_10") << text(commission, "label_11")
                         << text(commission, "lineEdit_2");
            });
        });
        QCOMPARE(proposal, (QStringList{"张三", "发型师", "按固定金额提成", "15"}));
        // Two employees on one line: the line names no single one.
        addLine(dlg, "toolButton_3", "S03", "1", [](QWidget *editor) {
            addCommission(editor, "E01");
            addCommission(editor, "E02", "radioButton_3", [](QWidget *commission) {
                setText(commission, "lineEdit", "5"); // no rule for 染发: typed by hand, 5 % of 120
            });
            QCOMPARE(editor->findChild<QTableView *>("tableView")->model()->rowCount(), 2);
        });
        QCOMPARE(sqlRows("select xiangmuID,tichengyuangongID from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{"S01", "E01"}, {"S03", ""}}));
        QCOMPARE(sqlRows("select yuangongID,xiangmuID,tichengfangshi,jisuanfangshi,tichengbili,tichengjine,beizhu "
                         "from temptichengmingxi order by rowid"),
                 (QList<QStringList>{{"E01", "S01", "点单提成", "按固定金额提成", "0", "15", "消费提成"},
                                     {"E01", "S03", "轮单提成", "", "0", "0", "消费提成"},
                                     {"E02", "S03", "其他提成", "", "5", "6", "消费提成"}}));
        const QList<QStringList> keys = sqlRows("select titleID from temptichengmingxi group by titleID");
        QCOMPARE(keys.size(), 2);
        // The sale takes each line's rows with that line.
        clickButton(&dlg, "toolButton_10");
        QCOMPARE(sqlRows("select t.yuangongID,t.xiangmuID,t.tichengjine from tichengmingxi t order by t.rowid"),
                 (QList<QStringList>{{"E01", "S01", "15"}, {"E01", "S03", "0"}, {"E02", "S03", "6"}}));
        verifyLedger("1001");
    }

    // The checkout keeps its picker and the picker its line editor from one
    // line to the next: every line starts afresh, with the whole list, a key
    // of its own and none of the last line's employees.
    void keptPickerStartsEachLineAfresh()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        addLine(dlg, "toolButton_3", "S01", "2", [](QWidget *editor) { addCommission(editor, "E01"); });
        QPointer<QWidget> firstPicker, firstEditor;
        int narrowed = 0;
        onNextModal([&](QWidget *picker) {
            firstPicker = picker;
            // The list follows the typing; then the cashier changes her mind.
            QTest::keyClicks(picker->findChild<QLineEdit *>("lineEdit"), "S03");
            QAbstractItemModel *list = picker->findChild<QTableView *>("tableView")->model();
            for (QDeadlineTimer wait(3000); list->rowCount() != 1 && !wait.hasExpired();)
                QTest::qWait(20);
            narrowed = list->rowCount();
            clickButton(picker, "toolButton_2");
        });
        clickButton(&dlg, "toolButton_3");
        QCOMPARE(narrowed, 1);
        int listed = 0, employees = -1;
        QString typed = "-", item, quantity;
        addLine(dlg, "toolButton_3", "S02", "1", [&](QWidget *editor) {
            firstEditor = editor;
            employees = editor->findChild<QTableView *>("tableView")->model()->rowCount();
            item = text(editor, "label_2");
            quantity = text(editor, "lineEdit_5");
        });
        onNextModal([&](QWidget *picker) {
            QCOMPARE(picker, firstPicker.data());
            listed = picker->findChild<QTableView *>("tableView")->model()->rowCount();
            typed = text(picker, "lineEdit");
            QVERIFY(pickOrClose(picker, "S03"));
            onNextModal([&](QWidget *editor) {
                QCOMPARE(editor, firstEditor.data());
                addCommission(editor, "E02");
                clickButton(editor, "toolButton_5"); // 退出: this line only is abandoned
            });
            clickButton(picker, "toolButton");
        });
        clickButton(&dlg, "toolButton_3");
        QCOMPARE(listed, 3);
        QCOMPARE(typed, QString());
        QCOMPARE(employees, 0);
        QCOMPARE(item, QString("S02"));
        QCOMPARE(quantity, QString("160.00"));
        QCOMPARE(sqlRows("select count(distinct hangID),count(*) from tempxiaofeimingxi"), (QList<QStringList>{{"2", "2"}}));
        QCOMPARE(sqlRows("select t.yuangongID,m.xiangmuID from temptichengmingxi t join tempxiaofeimingxi m on m.hangID=t.titleID "
                         "order by t.rowid"),
                 (QList<QStringList>{{"E01", "S01"}}));
        QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("1"));
    }

    // A checkout left waiting builds both pickers (and their line editors) before
    // the first choice; the first line of each kind then takes the built picker,
    // with the whole list, the member's prices and the sale's own key.
    void pickersBuiltWhileTheCheckoutWaits()
    {
        const auto pickers = [] {
            QList<QWidget *> built;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->inherits("shangpinDlg"))
                    built << w;
            return built;
        };
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        QVERIFY(pickers().isEmpty());
        for (QDeadlineTimer wait(3000); pickers().size() < 2 && !wait.hasExpired();)
            QTest::qWait(20);
        const QList<QWidget *> built = pickers();
        QCOMPARE(built.size(), 2);
        for (QWidget *picker : built)
            QVERIFY(!picker->isVisible());
        QStringList seen;
        for (const auto &[button, item] : {std::pair{"toolButton_3", "S01"}, std::pair{"toolButton_6", "P01"}}) {
            onNextModal([&, item = QString::fromLatin1(item)](QWidget *picker) {
                seen << QString::number(built.contains(picker))
                     << QString::number(picker->findChild<QTableView *>("tableView")->model()->rowCount())
                     << text(picker, "lineEdit");
                if (!pickOrClose(picker, item))
                    return;
                onNextModal([&](QWidget *editor) {
                    setText(editor, "lineEdit_4", "3");
                    seen << text(editor, "lineEdit_2") << text(editor, "lineEdit_5");
                    clickButton(editor, "toolButton_4");
                });
                clickButton(picker, "toolButton");
            });
            clickButton(&dlg, button);
        }
        QCOMPARE(seen, (QStringList{"1", "3", "", "0.8", "240.00", "1", "2", "", "0.9", "135.00"}));
        QCOMPARE(sqlRows("select ID, xiangmuID, shuliang from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{dlg.saleId(), "S01", "3"}, {dlg.saleId(), "P01", "3"}}));
    }

    void commissionWithoutEmployeeOrLine()
    {
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        // A commission needs an employee.
        addLine(dlg, "toolButton_3", "S01", "1", [this](QWidget *editor) {
            onNextModal([](QWidget *commission) {
                clickButton(commission, "toolButton");
                QVERIFY(commission->isVisible());
                clickButton(commission, "toolButton_2");
            });
            clickButton(editor, "toolButton");
            QCOMPARE(m_prompts->last(), QString("请先选择提成员工"));
            // Saved for an employee, then the line is abandoned with 退出.
            addCommission(editor, "E01");
            QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("1"));
            // Taken off the line again with 删除.
            QVERIFY(selectRow(editor, "tableView", "E01"));
            m_prompts->answer("是");
            clickButton(editor, "toolButton_3");
            QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("0"));
            addCommission(editor, "E01");
            QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("1"));
        }, false);
        QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("0"));
        QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi"), QString("0"));
    }

    void quotesInNames()
    {
        sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,jinyong) values('S''9','O''Brien 护理','美发',60,'否')");
        sqlExec("insert into yuangong(ID,name,type,phone,jinyong,beizhu) values('E''3','张''三','发型师','','否','')");
        AddXiaofeiDlg dlg;
        dlg.setHuiyuanInfo(memberInfo("1001"));
        dlg.show();
        addLine(dlg, "toolButton_3", "S'9", "1", [](QWidget *editor) { addCommission(editor, "E'3"); });
        QCOMPARE(sqlRows("select xiangmuID,name,tichengyuangongID from tempxiaofeimingxi order by rowid"),
                 (QList<QStringList>{{"S'9", "O'Brien 护理", "E'3"}}));
        QVERIFY(selectRow(&dlg, "tableView", "S'9"));
        m_prompts->answer("是");
        clickButton(&dlg, "toolButton_5");
        QCOMPARE(sqlValue("select count(*) from tempxiaofeimingxi"), QString("0"));
        QCOMPARE(sqlValue("select count(*) from temptichengmingxi"), QString("0"));
    }

    void workingTablesEmptyAfterCancel()
    {
        {
            AddXiaofeiDlg dlg;
            dlg.setHuiyuanInfo(memberInfo("1001"));
            dlg.show();
            addLine(dlg, "toolButton_3", "S01", "1", [](QWidget *editor) { addCommission(editor, "E01"); });
            usePackage(dlg, "S02", "1");
            clickButton(&dlg, "toolButton_2");
        }
        for (const char *table : {"tempxiaofeimingxi", "temptichengmingxi", "temphuiyuantaocanxiaofei", "xiaofeimingxi",
                                  "huiyuanxiaofei"})
            QCOMPARE(sqlValue(QStringLiteral("select count(*) from %1").arg(table)), QString("0"));
    }
};

QTEST_MAIN(TestCheckoutLines)
#include "tst_checkout_lines.moc"
