#ifndef CHECKOUTFIXTURE_H
#define CHECKOUTFIXTURE_H

// Shared by the checkout test programs: a small shop and helpers that drive the
// checkout's dialogs the way a cashier does.

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>

#include "addxiaofeidlg.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "testsupport.h"

namespace checkout_fixture {

// Card 金卡: services 0.8, products 0.9. Member 1001 holds 500 on the card, a
// ledger that agrees with it, and 5 uses of 烫发. Employees 张三 (发型师) and
// 李四 (助理); a 10 % turn commission on 洗剪吹 for every employee.
inline void seedShop()
{
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
            "values('金卡',500,500,0.8,0.9,1,'')");
    sqlExec("insert into huiyuanka(name,kaneijine,jiage,fuwuzekou,chanpinzekou,taocanzekou,beizhu) "
            "values('普通卡',0,0,1,1,1,'')");
    sqlExec("insert into huiyuan(ID,name,type,shengyujine,jifen,login_time) "
            "values('1001','王五','金卡',500,40,'2026-01-01 10:00:00')");
    sqlExec("insert into huiyuan(ID,name,type,shengyujine,jifen,login_time) "
            "values('1002','赵六','普通卡',80,0,'2026-01-02 10:00:00')");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
            "yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) "
            "values('1001','2026-01-01 10:00:00','会员充值','',500,0,0,0,500,0,'admin','充值单：CZ1')");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
            "yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) "
            "values('1002','2026-01-02 10:00:00','会员充值','',80,0,0,0,80,0,'admin','充值单：CZ2')");
    sqlExec("insert into huiyuanjifen(huiyuanid,biandongriqi,biandongleixing,jifenzengjia,jifenjianshao,shengyujifen,"
            "caozuoyuan,beizhu) values('1001','2026-01-01 10:00:00','会员消费',40,0,40,'admin','会员消费')");
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,chengbenjiage,jinyong) values('S01','洗剪吹','美发',100,20,'否')");
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,chengbenjiage,jinyong) values('S02','烫发','美发',200,50,'否')");
    sqlExec("insert into fuwuxiangmu(ID,name,leibie,xiaoshoujiage,chengbenjiage,jinyong) values('S03','染发','美发',150,40,'否')");
    sqlExec("insert into chanpin(ID,name,tiaoma,leibie,danwei,guige,jinhuojiage,xiaoshoujiage,dijia) "
            "values('P01','洗发水','690001','洗护','瓶','500ml',20,50,30)");
    sqlExec("insert into chanpin(ID,name,tiaoma,leibie,danwei,guige,jinhuojiage,xiaoshoujiage,dijia) "
            "values('P02','护发素','690002','洗护','瓶','300ml',10,30,15)");
    sqlExec("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,rukutype,\"user\",beizhu) "
            "values('入库ID: rk1','2026-01-01 09:00:00','入库明细','P01',20,10,200,'采购入库','admin','')");
    sqlExec("insert into yuangong(ID,name,type,phone,jinyong,beizhu) values('E01','张三','发型师','','否','')");
    sqlExec("insert into yuangong(ID,name,type,phone,jinyong,beizhu) values('E02','李四','助理','','否','')");
    sqlExec("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,"
            "tichengjiner) values('S01','服务项目','所有员工','轮单提成','按比例提成',10,0)");
    sqlExec("insert into tichengshezhi(xiangmuID,xiangmuleixing,yuangongleixing,tichengfangshi,jisuanfanshi,tichengbili,"
            "tichengjiner) values('S01','服务项目','所有员工','点单提成','按固定金额提成',0,15)");
    sqlExec("insert into huiyuantaocan(huiyuanID,xiangmuID,zongcishu,shengyucishu,xiaofeicishu) values('1001','S02',5,5,0)");
    // As in every shop after its first login: the default password authorises
    // nothing, so admin may allow refunds and voids only with one of its own.
    sqlExec("update \"user\" set password='" + PasswordHash::legacyForm("boss-2026") + "' where name='admin'");
    sqlExec("insert into huiyuanyuebiandong(huiyuanid,biandongriqi,biandongleixing,xiangmumingchen,yuezengjia,"
            "yuejianshao,cishuzengjia,cishujianshao,dangshikaneiyue,dangshikaneicishu,caozuoyuan,beizhu) "
            "values('1001','2026-01-01 10:00:00','会员办卡','S02',0,0,5,0,500,5,'admin','交费单：BK1')");

    operatorSession().loginName = QStringLiteral("admin");
    operatorSession().name = QStringLiteral("admin");
    operatorSession().xiugaixiaoshoudanjia = QStringLiteral("是");
    operatorSession().xitongshezhi = QStringLiteral("是");
}

inline bool selectRow(QWidget *root, const char *viewName, const QString &key);

// A row that is not there must fail the test, not leave a modal dialog open
// for ever.
inline bool pickOrClose(QWidget *dialog, const QString &key)
{
    if (selectRow(dialog, "tableView", key))
        return true;
    QTest::qFail(qPrintable(QStringLiteral("no row ") + key), __FILE__, __LINE__);
    if (auto *d = qobject_cast<QDialog *>(dialog))
        d->reject();
    return false;
}

inline QStringList memberInfo(const QString &id)
{
    if (id == QStringLiteral("0000"))
        return {"0000", "散客", "00", "01-01", "00", "00"};
    const QList<QStringList> rows = sqlRows("select ID,name,type,birthday,jiaofeijinE,shengyujine from huiyuan where ID='" + id + "'");
    return rows.value(0);
}

inline QString text(QWidget *root, const char *name)
{
    if (auto *label = root->findChild<QLabel *>(name))
        return label->text();
    if (auto *edit = root->findChild<QLineEdit *>(name))
        return edit->text();
    if (auto *box = root->findChild<QComboBox *>(name))
        return box->currentText();
    return QStringLiteral("<no %1>").arg(name);
}

inline void setText(QWidget *root, const char *name, const QString &value)
{
    auto *edit = root->findChild<QLineEdit *>(name);
    QVERIFY2(edit, name);
    edit->setText(value);
}

// Makes the row whose first column is key the current row of a view.
inline bool selectRow(QWidget *root, const char *viewName, const QString &key)
{
    auto *view = root->findChild<QTableView *>(viewName);
    if (!view || !view->model())
        return false;
    QAbstractItemModel *model = view->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 0).data().toString() == key) {
            view->setCurrentIndex(model->index(r, 0));
            emit view->clicked(model->index(r, 0));
            return true;
        }
    }
    return false;
}

// Inside the line editor: choose an employee through the commission dialog.
inline void addCommission(QWidget *editor, const QString &employee, const char *orderRadio = "radioButton",
                          std::function<void(QWidget *)> beforeSave = {})
{
    onNextModal([=](QWidget *commission) {
        auto picked = std::make_shared<bool>(false);
        onNextModal([=](QWidget *picker) {
            *picked = pickOrClose(picker, employee);
            if (*picked)
                clickButton(picker, "toolButton");
        });
        clickButton(commission, "toolButton_3");
        if (!*picked) {
            qobject_cast<QDialog *>(commission)->reject();
            return;
        }
        clickButton(commission, orderRadio);
        if (beforeSave)
            beforeSave(commission);
        clickButton(commission, "toolButton");
    });
    clickButton(editor, "toolButton");
}

// Picks an item on the service ("toolButton_3") or product ("toolButton_6") tab,
// types the quantity and saves the line; inEditor runs before saving.
inline void addLine(AddXiaofeiDlg &dlg, const char *addButton, const QString &itemId, const QString &quantity,
                    std::function<void(QWidget *)> inEditor = {}, bool save = true)
{
    onNextModal([=](QWidget *picker) {
        if (!pickOrClose(picker, itemId))
            return;
        onNextModal([=](QWidget *editor) {
            setText(editor, "lineEdit_4", quantity);
            if (inEditor)
                inEditor(editor);
            clickButton(editor, save ? "toolButton_4" : "toolButton_5");
        });
        clickButton(picker, "toolButton");
    });
    clickButton(&dlg, addButton);
}

// Double-clicks a package item and records the given number of uses.
inline void usePackage(AddXiaofeiDlg &dlg, const QString &itemId, const QString &uses,
                       std::function<void(QWidget *)> inEditor = {})
{
    auto *view = dlg.findChild<QTableView *>("tableView_3");
    QVERIFY(view && view->model());
    QModelIndex index;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, 0).data().toString() == itemId)
            index = view->model()->index(r, 0);
    QVERIFY2(index.isValid(), qPrintable(itemId));
    view->setCurrentIndex(index);
    onNextModal([=](QWidget *editor) {
        setText(editor, "lineEdit_4", uses);
        if (inEditor)
            inEditor(editor);
        clickButton(editor, "toolButton_4");
    });
    emit view->doubleClicked(index);
}

inline void setMethod(AddXiaofeiDlg &dlg, const QString &method)
{
    auto *box = dlg.findChild<QComboBox *>("comboBox");
    QVERIFY(box);
    const int i = box->findText(method);
    QVERIFY2(i >= 0, qPrintable(method));
    box->setCurrentIndex(i);
}

// The ledger of a member agrees with the card, and the shop's books hold together.
inline void verifyLedger(const QString &id)
{
    const QString ledger = sqlValue("select dangshikaneiyue from huiyuanyuebiandong where huiyuanid='" + id
                                    + "' order by ID desc LIMIT 1");
    const QString balance = sqlValue("select shengyujine from huiyuan where ID='" + id + "'");
    QCOMPARE(ledger.toDouble(), balance.toDouble());
    verifyBooks();
}

} // namespace checkout_fixture

#endif
