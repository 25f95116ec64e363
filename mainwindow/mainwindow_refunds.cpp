// Front-desk and statistics buttons that give money back (退储值, 退套餐,
// 作废消费单) and print a document's receipt (打印).
#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "ledgertypes.h"
#include "receipts/receiptprinter.h"
#include "tuichuzhidlg.h"
#include "tuitaocandlg.h"
#include "zuofeidlg.h"

namespace {
// Columns of the lists these buttons read (see dbset.xml).
const int kSaleListId = 1;      // 会员消费: 消费单号
const int kStatListId = 1;      // 消费统计: 消费单号
const int kPaymentListId = 0;   // 会员交费: 交费单号
const int kPackageListItem = 1; // 会员套餐: 项目编号
} // namespace

// A refund needs a registered member on the panel.
bool MainWindow::refundMember(QString *memberId)
{
    *memberId = currentMemberId();
    if (memberId->isEmpty() || *memberId == QLatin1String(kWalkInId)) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员！"), this);
        return false;
    }
    return true;
}

void MainWindow::on_toolButton_25_clicked()
{
    QString member;
    if (!refundMember(&member))
        return;
    tuichuzhidlg dlg;
    connect(&dlg, &tuichuzhidlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg.setup(member);
    dlg.exec();
    if (!dlg.documentId().isEmpty()) {
        showRefundDone(QStringLiteral("退储值"), dlg.documentId(), member);
        ReceiptPrinter::afterDocument(this, dlg.documentId());
    }
}

void MainWindow::on_toolButton_21_clicked()
{
    QString member;
    if (!refundMember(&member))
        return;
    tuitaocandlg dlg;
    connect(&dlg, &tuitaocandlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg.setup(member, m_ctrl->currentRowValues(QStringLiteral("会员套餐")).value(kPackageListItem));
    dlg.exec();
    if (!dlg.documentId().isEmpty()) {
        showRefundDone(QStringLiteral("退套餐"), dlg.documentId(), member);
        ReceiptPrinter::afterDocument(this, dlg.documentId());
    }
}

// A refund says it was done, with the member's figures after it (never the
// balance from before), in the status bar and on the member panel.
void MainWindow::showRefundDone(const QString &what, const QString &documentId, const QString &memberId)
{
    if (memberId == currentMemberId())
        reloadCurrentMember();
    showCounterStatus(counterFeedback(what, documentId, memberId), documentId);
}

bool MainWindow::openVoidSale(const QString &saleId)
{
    if (saleId.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一张消费单"), this);
        return false;
    }
    zuofeidlg dlg;
    const QString problem = dlg.setup(saleId);
    if (!problem.isEmpty()) {
        ctrlUiClass::showInfo(problem, this);
        return false;
    }
    connect(&dlg, &zuofeidlg::DlgSend, this, &MainWindow::DlgRecv);
    dlg.exec();
    if (dlg.documentId().isEmpty())
        return false;
    // Every list the void touched: the member's, the statistics, stock and commission.
    for (const char *table : {"huiyuanjiaofei", "chanpinrukumingxi", "tichengmingxi"})
        refreshByTable(QString::fromUtf8(table));
    showCounterStatus(counterFeedback(QStringLiteral("作废"), dlg.documentId(), dlg.memberId()), dlg.documentId());
    ReceiptPrinter::afterDocument(this, dlg.documentId());
    return true;
}

void MainWindow::on_toolButton_voidSale_clicked()
{
    openVoidSale(m_ctrl->currentRowValues(QStringLiteral("会员消费")).value(kSaleListId));
}

void MainWindow::on_toolButton_voidStatSale_clicked()
{
    // The page lists the void at once, with its sale marked.
    if (openVoidSale(m_ctrl->currentRowValues(QStringLiteral("消费统计")).value(kStatListId)))
        ui->toolButton_79->click();
}

void MainWindow::on_toolButton_17_clicked()
{
    ReceiptPrinter::preview(this, m_ctrl->currentRowValues(QStringLiteral("会员消费")).value(kSaleListId));
}

void MainWindow::on_toolButton_19_clicked()
{
    ReceiptPrinter::preview(this, m_ctrl->currentRowValues(QStringLiteral("会员交费")).value(kPaymentListId));
}
