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
#include "operatorsession.h"
#include "stockwriter.h"

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
    if (!atWorkMayChangeSettings(this))
        return false;
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
    const LedgerResult r = StockWriter::clearStock(row.at(0), operatorSession().loginName);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    refreshByTable(QStringLiteral("chanpinrukumingxi"));
}
