// The two rule pages of the settings: 提成策略 (tableView_39 / tableView_40) and
// 促销方案 (tableView_44 / tableView_43).
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "operatorsession.h"

#include "cuxiaodlg.h"
#include "ruleslists.h"
#include "shezhitichengdlg.h"

namespace {
const QString kTichengList = QStringLiteral("提成策略临时列表");
const QString kTichengDetail = QStringLiteral("提成策略明细");
const QString kCuxiaoList = QStringLiteral("促销策略临时列表");
const QString kCuxiaoDetail = QStringLiteral("促销策略明细");
} // namespace

void MainWindow::rulesBeforeTablesCreated()
{
    installRulesListRefills();
}

// Called by the navigation before the item list is re-run: the catalogue may
// have changed since the list was filled.
void MainWindow::rulesAfterNavigate(const QString &text)
{
    if (text == QStringLiteral("提成策略"))
        refillTichengList();
    else if (text == QStringLiteral("促销方案"))
        refillCuxiaoList();
}

void MainWindow::showTichengDetail(const QStringList &row)
{
    if (row.size() < 5)
        return;
    m_ctrl->refreshView(kTichengDetail, rulesOfItem(row.at(0), row.at(4)));
}

void MainWindow::showCuxiaoDetail(const QStringList &row)
{
    if (row.size() < 5)
        return;
    m_ctrl->refreshView(kCuxiaoDetail, rulesOfItem(row.at(0), row.at(4)));
}

void MainWindow::on_tableView_39_clicked(const QModelIndex &index)
{
    showTichengDetail(m_ctrl->rowValues(kTichengList, index.row()));
}

void MainWindow::on_tableView_39_doubleClicked(const QModelIndex &index)
{
    const QStringList row = m_ctrl->rowValues(kTichengList, index.row());
    if (row.size() < 5)
        return;
    if (!atWorkMayChangeSettings(this))
        return;
    auto *dlg = new shezhitichengDlg;
    connect(dlg, &shezhitichengDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->init(2, row);
    dlg->exec();
    delete dlg;
    showTichengDetail(row);
}

void MainWindow::on_tableView_44_clicked(const QModelIndex &index)
{
    showCuxiaoDetail(m_ctrl->rowValues(kCuxiaoList, index.row()));
}

void MainWindow::on_tableView_44_doubleClicked(const QModelIndex &index)
{
    const QStringList row = m_ctrl->rowValues(kCuxiaoList, index.row());
    if (row.size() < 5)
        return;
    if (!atWorkMayChangeSettings(this))
        return;
    auto *dlg = new cuxiaoDlg;
    connect(dlg, &cuxiaoDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->init(2, row);
    dlg->exec();
    delete dlg;
    showCuxiaoDetail(row);
}
