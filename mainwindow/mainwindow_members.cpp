// Member page and front-desk buttons that open the member dialogs: card types,
// registration with card issue, top-up and package renewal.
#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "operatorsession.h"

#include "addhuiyuandlg.h"
#include "addhuiyuankadlg.h"
#include "huiyuankachongchi.h"
#include "taocanxufeidlg.h"
#include "receipts/receiptprinter.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace {
const char *kMemberList = "会员管理";
const char *kCardTypeList = "会员卡信息";

// The row the operator has selected in a list. A list that was just re-run
// keeps no selection, but the view may still hold a current index (it moves
// to the first row when the view gets the focus back); acting on that row
// would open the dialog for a member nobody chose.
QStringList selectedRow(ctrlUiClass *ctrl, const char *viewName)
{
    QTableView *view = ctrl->boundView(QString::fromUtf8(viewName));
    if (!view || !view->selectionModel())
        return QStringList();
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isRowSelected(current.row(), QModelIndex()))
        return QStringList();
    return ctrl->currentRowValues(QString::fromUtf8(viewName));
}
} // namespace

void MainWindow::openCardTypeDlg(int mode)
{
    if (!atWorkMayChangeSettings(this))
        return;
    QStringList row;
    if (mode == 2) {
        row = selectedRow(m_ctrl, kCardTypeList);
        if (row.size() < 8) {
            ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员卡"), this);
            return;
        }
    }
    auto *dlg = new addhuiyuankaDlg;
    connect(dlg, &addhuiyuankaDlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setup(mode, row);
    dlg->exec();
    delete dlg;
}

bool MainWindow::openMemberDlg(int mode)
{
    QStringList row;
    if (mode == 2) {
        row = selectedRow(m_ctrl, kMemberList);
        if (row.isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), this);
            return false;
        }
    }
    auto *dlg = new addhuiyuandlg;
    connect(dlg, &addhuiyuandlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setup(mode, row);
    const bool accepted = dlg->exec() == QDialog::Accepted;
    const QString issued = dlg->documentId();
    delete dlg;
    if (!issued.isEmpty())
        ReceiptPrinter::afterDocument(this, issued);
    return accepted;
}

void MainWindow::openTopUp(const MemberSummary &member)
{
    auto *dlg = new huiyuankachongchi;
    connect(dlg, &huiyuankachongchi::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setMember(member);
    dlg->exec();
    const QString done = dlg->documentId();
    delete dlg;
    if (!done.isEmpty()) {
        showCounterStatus(counterFeedback(QStringLiteral("充值"), done, member.id), done);
        ReceiptPrinter::afterDocument(this, done);
    }
}

void MainWindow::openRenewal(const MemberSummary &member)
{
    auto *dlg = new taocanxufeidlg;
    connect(dlg, &taocanxufeidlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg->setMember(member);
    dlg->exec();
    const QString done = dlg->documentId();
    delete dlg;
    if (!done.isEmpty()) {
        showCounterStatus(counterFeedback(QStringLiteral("套餐续费"), done, member.id), done);
        ReceiptPrinter::afterDocument(this, done);
    }
}

// 添加会员 (front desk): the member just registered becomes the current one.
void MainWindow::on_toolButton_29_clicked()
{
    if (!openMemberDlg(1))
        return;
    const MemberSummary newest = MemberSummary::read(MemberSummary::lastRegistered());
    if (newest.found())
        selectMember(newest);
}

// 会员交费 (front desk): top-up of the current member.
void MainWindow::on_toolButton_15_clicked()
{
    const QString id = currentMemberId();
    if (id.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员或散户！"), this);
        return;
    }
    openTopUp(MemberSummary::of(id));
}

// 套餐续费 (front desk).
void MainWindow::on_toolButton_16_clicked()
{
    const QString id = currentMemberId();
    if (id.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), this);
        return;
    }
    openRenewal(MemberSummary::of(id));
    refreshMemberViews(currentMemberId());
}

void MainWindow::on_toolButton_clicked()
{
    openMemberDlg(1);
}

void MainWindow::on_toolButton_2_clicked()
{
    openMemberDlg(2);
}

void MainWindow::on_tableView_9_doubleClicked(const QModelIndex &)
{
    openMemberDlg(2);
}

// 充值 (member page): top-up of the selected member.
void MainWindow::on_toolButton_4_clicked()
{
    const QStringList row = selectedRow(m_ctrl, kMemberList);
    if (row.size() < 15) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员！"), this);
        return;
    }
    openTopUp(MemberSummary::read(row.at(0)));
}

// 套餐续费 (member page).
void MainWindow::on_toolButton_33_clicked()
{
    const QStringList row = selectedRow(m_ctrl, kMemberList);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个会员"), this);
        return;
    }
    openRenewal(MemberSummary::read(row.at(0)));
}

void MainWindow::on_toolButton_149_clicked()
{
    openCardTypeDlg(1);
}

void MainWindow::on_toolButton_150_clicked()
{
    openCardTypeDlg(2);
}
