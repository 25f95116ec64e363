// Catalogue, stock and staff pages of the main window: the buttons and
// double-clicks that open the edit dialogs. Rows go back through DlgRecv,
// which writes them and re-runs the lists that show the table.
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "addchanpindlg.h"
#include "addfuwuxiangmudlg.h"
#include "addtaocandlg.h"
#include "addyuangongdlg.h"
#include "chanpinrukudlg.h"
#include "dbfailure.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "transactionscope.h"

namespace {
template <typename Dlg, typename Opener>
void runEditor(Opener *opener, int mode, const QStringList &row)
{
    Dlg *dlg = new Dlg;
    QObject::connect(dlg, &Dlg::DlgSend, opener, &Opener::DlgRecv);
    dlg->setData(mode, row);
    dlg->exec();
    delete dlg;
}
}

// "修改" needs a selected row: an edit dialog without one would save under
// whatever code is typed into it.
bool MainWindow::catalogueRow(const QString &view, int mode, const QString &what, QStringList *row)
{
    *row = m_ctrl->currentRowValues(view);
    if (mode == 2 && row->isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个") + what, this);
        return false;
    }
    return true;
}

void MainWindow::openServiceItemDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("服务项目列表"), mode, QStringLiteral("服务项目"), &row))
        runEditor<addfuwuxiangmuDlg>(this, mode, row);
}

void MainWindow::openProductDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("产品管理"), mode, QStringLiteral("产品"), &row))
        runEditor<addchanpinDlg>(this, mode, row);
}

void MainWindow::openPackageDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("套餐列表"), mode, QStringLiteral("套餐"), &row))
        runEditor<addtaocanDlg>(this, mode, row);
}

void MainWindow::openEmployeeDlg(int mode)
{
    QStringList row;
    if (catalogueRow(QStringLiteral("员工管理"), mode, QStringLiteral("员工"), &row))
        runEditor<addyuangongDlg>(this, mode, row);
}

void MainWindow::openStockDlg(const QString &kind)
{
    chanpinrukuDlg *dlg = new chanpinrukuDlg;
    connect(dlg, &chanpinrukuDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setData(kind);
    dlg->exec();
    delete dlg;
}

void MainWindow::on_toolButton_37_clicked() { openServiceItemDlg(1); }
void MainWindow::on_toolButton_38_clicked() { openServiceItemDlg(2); }
void MainWindow::on_toolButton_44_clicked() { openProductDlg(1); }
void MainWindow::on_toolButton_45_clicked() { openProductDlg(2); }
void MainWindow::on_toolButton_104_clicked() { openPackageDlg(1); }
void MainWindow::on_toolButton_105_clicked() { openPackageDlg(2); }
void MainWindow::on_toolButton_141_clicked() { openEmployeeDlg(1); }
void MainWindow::on_toolButton_142_clicked() { openEmployeeDlg(2); }
void MainWindow::on_toolButton_153_clicked() { openStockDlg(QStringLiteral("入库明细")); }
void MainWindow::on_toolButton_148_clicked() { openStockDlg(QStringLiteral("出库明细")); }
void MainWindow::on_tableView_26_doubleClicked(const QModelIndex &) { openPackageDlg(2); }

void MainWindow::clearProductStock(const QStringList &row)
{
    const QString code = sqlLiteral(row.at(0));
    const QString name = row.at(1);
    // The stock is read inside the transaction, so that a stock document saved
    // at another desk meanwhile is cleared too.
    TransactionScope tx;
    const double stock = parseNumber(
        m_ctrl->queryRow(QStringLiteral("select round(total(shuliang),3) from chanpinrukumingxi where chanpinID=") + code)
            .value(0));
    if (stock == 0) {
        tx.rollback();
        ctrlUiClass::showInfo(QStringLiteral("产品'") + name + QStringLiteral("'的库存已经是0，无需清零"), this);
        return;
    }
    // Goods written off count at their purchase price; an outgoing movement
    // for stock on hand, an incoming one for stock below zero.
    const bool out = stock > 0;
    const QString document = (out ? QStringLiteral("出库ID: ck") : QStringLiteral("入库ID: rk")) + ctrlUiClass::serialNow();
    m_ctrl->execSql(QStringLiteral("insert into chanpinrukumingxi(rukuID,time,type,chanpinID,xiaoshoujiage,shuliang,jine,"
                                   "rukutype,user,beizhu) select %1,%2,%3,ID,ifnull(jinhuojiage,0),-s.n,"
                                   "round(-ifnull(jinhuojiage,0)*s.n,2),'库存清零',%5,%6 from chanpin, "
                                   "(select round(total(shuliang),3) n from chanpinrukumingxi where chanpinID=%4) s "
                                   "where ID=%4 and s.n<>0")
                        .arg(sqlLiteral(document), sqlLiteral(ctrlUiClass::todayText()),
                             sqlLiteral(out ? QStringLiteral("出库明细") : QStringLiteral("入库明细")), code,
                             sqlLiteral(operatorSession().loginName),
                             sqlLiteral(QStringLiteral("库存清零，原库存 ") + moneyText(stock))));
    const bool written = m_ctrl->countRows(QStringLiteral("select 1 from chanpinrukumingxi where rukuID=")
                                           + sqlLiteral(document)) == 1;
    m_ctrl->writeLog(operatorSession().loginName, QStringLiteral("库存清零  产品编号：") + row.at(0)
                                                      + QStringLiteral("  名称：") + name
                                                      + QStringLiteral("  原库存：") + moneyText(stock));
    if (!written || !tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("库存清零失败"), tx.firstError()), this);
        return;
    }
    refreshByTable(QStringLiteral("chanpinrukumingxi"));
}
