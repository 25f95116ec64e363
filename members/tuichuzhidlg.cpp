#include "tuichuzhidlg.h"
#include "ui_tuichuzhidlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "dbrecords.h"
#include "ledgersql.h"
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
    const QVariantList m =
        LedgerSql::rows(QStringLiteral("select name,ifnull(shengyujine,0) from huiyuan where ID=?"), {memberId}).value(0);
    ui->label_memberId->setText(memberId);
    ui->label_memberName->setText(m.value(0).toString());
    ui->label_balance->setText(centsText(yuanToCents(m.value(1).toDouble())));
    ui->lineEdit_taken->setText(ui->label_balance->text());
}

// What is handed back follows what leaves the card, until the cashier keeps a bonus back.
void tuichuzhidlg::on_lineEdit_taken_textChanged(const QString &text)
{
    ui->lineEdit_paidBack->setText(text);
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
    if (ui->lineEdit_reason->text().trimmed().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请填写退款或作废的原因"), this);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("从会员卡扣除") + centsText(taken.cents) + QStringLiteral("元，以")
                                   + ui->comboBox_method->currentText() + QStringLiteral("退给会员")
                                   + centsText(back.cents) + QStringLiteral("元，确定吗？"),
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
    m_documentId = done.documentId;
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("huiyuanjiaofei"), {}}));
    accept();
}

void tuichuzhidlg::on_toolButton_cancel_clicked()
{
    reject();
}
