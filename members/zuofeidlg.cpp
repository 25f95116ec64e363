#include "zuofeidlg.h"
#include "ui_zuofeidlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "dbrecords.h"
#include "operatorsession.h"
#include "refundwriter.h"
#include "shouquandlg.h"

zuofeidlg::zuofeidlg(QWidget *parent) : QDialog(parent), ui(new Ui::zuofeidlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_ok);
}

zuofeidlg::~zuofeidlg()
{
    delete ui;
}

QString zuofeidlg::setup(const QString &saleId)
{
    const SaleVoidPreview p = RefundWriter::previewVoid(saleId);
    if (!p.problem.isEmpty())
        return p.problem;
    m_saleId = saleId;
    m_memberId = p.memberId;
    const SaleHeader sale = RefundWriter::saleHeader(saleId);
    ui->label_saleId->setText(saleId);
    ui->label_member->setText(p.memberId + QStringLiteral(" ")
                              + (p.memberId == QLatin1String(kWalkInId) ? QStringLiteral("散客")
                                                                        : sale.memberName));
    ui->label_time->setText(sale.time);
    ui->label_amount->setText(centsShown(sale.amountCents));
    ui->label_card->setText(centsShown(p.cardCents));
    ui->label_cash->setText(centsShown(p.cashCents)
                            + (p.repaidCents > 0 ? QStringLiteral("（含已还欠款") + centsShown(p.repaidCents)
                                                       + QStringLiteral("）")
                                                 : QString()));
    ui->label_debt->setText(centsShown(p.openDebtCents));
    ui->label_points->setText(QString::number(p.points));
    return QString();
}

void zuofeidlg::on_toolButton_ok_clicked()
{
    if (ui->lineEdit_reason->text().trimmed().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请填写退款或作废的原因"), this);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("作废后不能恢复，确定作废消费单") + m_saleId + QStringLiteral("吗？"), this))
        return;
    const QString who = shouquandlg::authorizer(this);
    if (who.isEmpty())
        return;
    const LedgerResult done = RefundWriter::voidSale(
        SaleVoid{m_saleId, ui->lineEdit_reason->text(), operatorSession().loginName, who});
    if (!done.ok) {
        ctrlUiClass::showInfo(done.error, this);
        return;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!done.notice.isEmpty())
        ctrlUiClass::showInfo(done.notice, this);
    m_documentId = done.documentId;
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("huiyuanxiaofei"), {}}));
    accept();
}

void zuofeidlg::on_toolButton_cancel_clicked()
{
    reject();
}
