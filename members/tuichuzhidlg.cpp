#include "tuichuzhidlg.h"
#include "ui_tuichuzhidlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "dbrecords.h"
#include "ledgertypes.h"
#include "operatorsession.h"
#include "refundwriter.h"
#include "shouquandlg.h"

tuichuzhidlg::tuichuzhidlg(QWidget *parent) : QDialog(parent), ui(new Ui::tuichuzhidlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_ok);
    m_ctrl.fillCombo(ui->comboBox_method, QStringLiteral("付款方式"), QStringLiteral("xml"));
    // Money paid back off the card cannot go back onto it.
    ui->comboBox_method->removeItem(ui->comboBox_method->findText(QString::fromUtf8(kCardMethod)));
}

tuichuzhidlg::~tuichuzhidlg()
{
    delete ui;
}

void tuichuzhidlg::setup(const QString &memberId)
{
    m_value = BalanceBook::storedValue(memberId);
    ui->label_memberId->setText(memberId);
    ui->label_memberName->setText(RefundWriter::memberName(memberId));
    ui->label_balance->setText(centsShown(m_value.balanceCents));
    ui->label_paid->setText(centsShown(m_value.paidCents));
    ui->label_bonus->setText(centsShown(m_value.bonusCents));
    ui->label_debt->setText(centsShown(m_value.debtCents));
    ui->label_refundable->setText(centsShown(m_value.refundableCents));
    QStringList rule;
    if (m_value.debtCents > 0)
        rule << QStringLiteral("会员欠款") + centsShown(m_value.debtCents) + QStringLiteral("元先从卡内还清");
    if (m_value.bonusCents > 0)
        rule << (m_value.bonusRefundable ? QStringLiteral("本店设置赠送金额可以退现")
                                         : QStringLiteral("赠送金额不退现，退款时从卡内扣回"));
    ui->label_rule->setText(rule.join(QStringLiteral("；")));
    // The whole card is closed out by default: debt repaid, what was paid handed back.
    ui->lineEdit_taken->setText(centsText(m_value.balanceCents));
    ui->lineEdit_paidBack->setText(centsText(m_value.refundableCents));
}

// Handing back less than all keeps the rest on the card: only the debt and
// the amount handed back leave it.
void tuichuzhidlg::on_lineEdit_paidBack_textEdited(const QString &text)
{
    const MoneyInput back = parseMoneyInput(text, QStringLiteral("实退金额"));
    if (!back.ok)
        return;
    ui->lineEdit_taken->setText(back.cents >= m_value.refundableCents
                                    ? centsText(m_value.balanceCents)
                                    : centsText(qMin(m_value.balanceCents, back.cents + m_value.debtCents)));
}

void tuichuzhidlg::on_toolButton_ok_clicked()
{
    const MoneyInput taken = parseMoneyInput(ui->lineEdit_taken->text(), QStringLiteral("扣除卡内金额"));
    const MoneyInput back = parseMoneyInput(ui->lineEdit_paidBack->text(), QStringLiteral("实退金额"));
    for (const MoneyInput *m : {&taken, &back}) {
        if (!m->ok) {
            ctrlUiClass::showInfo(m->error, this);
            return;
        }
    }
    if (taken.cents <= 0) {
        ctrlUiClass::showInfo(QStringLiteral("退款金额必须大于0"), this);
        return;
    }
    if (back.cents > m_value.refundableCents) {
        ctrlUiClass::showInfo(RefundWriter::refundLimitText(m_value), this);
        return;
    }
    if (ui->lineEdit_reason->text().trimmed().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请填写退款或作废的原因"), this);
        return;
    }
    QString parts;
    const qint64 kept = taken.cents - m_value.debtCents - back.cents;
    if (m_value.debtCents > 0)
        parts += QStringLiteral("，其中还欠款") + centsText(m_value.debtCents) + QStringLiteral("元");
    if (kept > 0)
        parts += QStringLiteral("，") + centsText(kept)
                 + (kept <= m_value.bonusCents ? QStringLiteral("元赠送金额扣回不退") : QStringLiteral("元扣除不退"));
    if (!ctrlUiClass::askYesNo(QStringLiteral("从会员卡扣除") + centsText(taken.cents) + QStringLiteral("元") + parts
                                   + QStringLiteral("，以") + ui->comboBox_method->currentText()
                                   + QStringLiteral("退给会员") + centsText(back.cents) + QStringLiteral("元，确定吗？"),
                               this))
        return;
    const QString who = shouquandlg::authorizer(this);
    if (who.isEmpty())
        return;
    BalanceRefund r;
    r.memberId = ui->label_memberId->text();
    r.takenCents = taken.cents;
    r.paidBackCents = back.cents;
    r.method = ui->comboBox_method->currentText();
    r.reason = ui->lineEdit_reason->text();
    r.operatorName = operatorSession().loginName;
    r.authorizedBy = who;
    const LedgerResult done = RefundWriter::refundBalance(r);
    if (!done.ok) {
        ctrlUiClass::showInfo(done.error, this);
        return;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!done.notice.isEmpty())
        ctrlUiClass::showInfo(done.notice, this);
    m_documentId = done.documentId;
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("huiyuanjiaofei"), {}}));
    accept();
}

void tuichuzhidlg::on_toolButton_cancel_clicked()
{
    reject();
}
