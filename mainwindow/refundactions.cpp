// Front-desk and statistics buttons that give money back (退储值, 退套餐,
// 作废消费单) and print a document's receipt (打印).
#include "refundactions.h"
#include "ui_mainwindow.h"

#include "frontdesk.h"
#include "ledgertypes.h"
#include "refundwriter.h"
#include "receipts/receiptprinter.h"
#include "tuichuzhidlg.h"
#include "tuitaocandlg.h"
#include "zuofeidlg.h"

#include <QShortcut>
#include <QToolButton>

namespace {
// Columns of the lists these buttons read (see dbset.xml).
const int kSaleListId = 1;      // 会员消费: 消费单号
const int kStatListId = 1;      // 消费统计: 消费单号
const int kPaymentListId = 0;   // 会员交费: 交费单号
const int kPackageListItem = 1; // 会员套餐: 项目编号
} // namespace

RefundActions::RefundActions(MainWindow *window, Ui::MainWindow *form, ctrlUiClass *ctrl, FrontDesk *desk)
    : MainPage(window, form, ctrl), m_desk(desk)
{
}

void RefundActions::setup()
{
    connect(ui->toolButton_25, &QAbstractButton::clicked, this, &RefundActions::refundBalance);
    connect(ui->toolButton_21, &QAbstractButton::clicked, this, &RefundActions::refundPackage);
    connect(ui->toolButton_voidSale, &QAbstractButton::clicked, this, [this] {
        openVoidSale(m_ctrl->currentRowValues(QStringLiteral("会员消费")).value(kSaleListId));
    });
    connect(ui->toolButton_voidStatSale, &QAbstractButton::clicked, this, [this] {
        // The page lists the void at once, with its sale marked.
        if (openVoidSale(m_ctrl->currentRowValues(QStringLiteral("消费统计")).value(kStatListId)))
            ui->toolButton_79->click();
    });
    connect(ui->toolButton_17, &QAbstractButton::clicked, this, [this] {
        ReceiptPrinter::preview(m_window, m_ctrl->currentRowValues(QStringLiteral("会员消费")).value(kSaleListId));
    });
    connect(ui->toolButton_19, &QAbstractButton::clicked, this, [this] {
        ReceiptPrinter::preview(m_window, m_ctrl->currentRowValues(QStringLiteral("会员交费")).value(kPaymentListId));
    });
    // F12 voids the sale chosen in 会员消费, else this desk's latest sale; the
    // void dialog shows which sale it is before anything is undone.
    connect(new QShortcut(QKeySequence(Qt::Key_F12), m_window), &QShortcut::activated, this,
            &RefundActions::voidChosenOrLatestSale);
    ui->toolButton_voidSale->setToolTip(QStringLiteral("作废选中的消费单（F12，未选中时为本机最近的一张消费单）"));
}

void RefundActions::voidChosenOrLatestSale()
{
    QString sale = m_ctrl->currentRowValues(QStringLiteral("会员消费")).value(kSaleListId);
    const QString latest = m_desk->lastDocument();
    if (sale.isEmpty() && !latest.isEmpty() && RefundWriter::isSale(latest))
        sale = latest;
    openVoidSale(sale);
}

// A refund needs a registered member on the panel.
bool RefundActions::refundMember(QString *memberId)
{
    *memberId = m_desk->currentMemberId();
    if (memberId->isEmpty() || *memberId == QLatin1String(kWalkInId)) {
        ctrlUiClass::showInfo(QStringLiteral("请选择一个会员！"), m_window);
        return false;
    }
    return true;
}

void RefundActions::refundBalance()
{
    QString member;
    if (!refundMember(&member))
        return;
    tuichuzhidlg dlg;
    sendsToWindow(&dlg);
    dlg.setup(member);
    {
        const MainWindow::RefreshHold once(m_window);
        dlg.exec();
    }
    if (!dlg.documentId().isEmpty()) {
        showRefundDone(QStringLiteral("退储值"), dlg.documentId(), member);
        ReceiptPrinter::afterDocument(m_window, dlg.documentId());
    }
}

void RefundActions::refundPackage()
{
    QString member;
    if (!refundMember(&member))
        return;
    tuitaocandlg dlg;
    sendsToWindow(&dlg);
    dlg.setup(member, m_ctrl->currentRowValues(QStringLiteral("会员套餐")).value(kPackageListItem));
    {
        const MainWindow::RefreshHold once(m_window);
        dlg.exec();
    }
    if (!dlg.documentId().isEmpty()) {
        showRefundDone(QStringLiteral("退套餐"), dlg.documentId(), member);
        ReceiptPrinter::afterDocument(m_window, dlg.documentId());
    }
}

// A refund says it was done, with the member's figures after it (never the
// balance from before), in the status bar and on the member panel.
void RefundActions::showRefundDone(const QString &what, const QString &documentId, const QString &memberId)
{
    const quint64 reads = m_desk->memberReads();
    if (memberId == m_desk->currentMemberId())
        m_desk->reloadCurrentMember();
    m_desk->showCounterStatus(m_desk->counterFeedback(what, documentId, memberId, reads), documentId);
}

bool RefundActions::openVoidSale(const QString &saleId)
{
    if (saleId.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一张消费单"), m_window);
        return false;
    }
    zuofeidlg dlg;
    const QString problem = dlg.setup(saleId);
    if (!problem.isEmpty()) {
        ctrlUiClass::showInfo(problem, m_window);
        return false;
    }
    sendsToWindow(&dlg);
    quint64 reads = FrontDesk::kNoRead;
    {
        // The dialog names the sale's table; every list the void touched runs
        // once: the member's, the statistics, stock and commission.
        const MainWindow::RefreshHold once(m_window);
        dlg.exec();
        if (dlg.documentId().isEmpty())
            return false;
        reads = m_desk->memberReads(); // the held refresh reads the member again
        m_window->refreshByTable(QStringList{QStringLiteral("huiyuanjiaofei"), QStringLiteral("chanpinrukumingxi"),
                                             QStringLiteral("tichengmingxi")});
    }
    m_desk->showCounterStatus(m_desk->counterFeedback(QStringLiteral("作废"), dlg.documentId(), dlg.memberId(), reads),
                              dlg.documentId());
    ReceiptPrinter::afterDocument(m_window, dlg.documentId());
    return true;
}
