#include "daijinquanhaodlg.h"
#include "ui_daijinquanhaodlg.h"

#include "amounts.h"
#include "ctrluiclass.h"
#include "vouchers.h"

daijinquanhaodlg::daijinquanhaodlg(QWidget *parent) : QDialog(parent), ui(new Ui::daijinquanhaodlg)
{
    ui->setupUi(this);
    ui->label_state->setWordWrap(true);
    connect(ui->lineEdit_number, &QLineEdit::returnPressed, this, &daijinquanhaodlg::on_toolButton_ok_clicked);
}

daijinquanhaodlg::~daijinquanhaodlg()
{
    delete ui;
}

bool daijinquanhaodlg::askNumbers(QWidget *parent, QList<PaymentPart> *payments)
{
    if (!Vouchers::inUse())
        return true;
    for (PaymentPart &p : *payments) {
        if (!Vouchers::isVoucherMethod(p.method) || !p.voucherNo.isEmpty() || p.cents <= 0)
            continue;
        daijinquanhaodlg dlg(parent);
        dlg.m_cents = p.cents;
        dlg.ui->label_amount->setText(QStringLiteral("代金券付款 %1 元，请输入券号：").arg(centsShown(p.cents)));
        if (dlg.exec() != QDialog::Accepted)
            return false;
        p.voucherNo = dlg.ui->lineEdit_number->text().trimmed();
    }
    return true;
}

void daijinquanhaodlg::on_lineEdit_number_textChanged(const QString &text)
{
    const Voucher v = Vouchers::find(text);
    const QString why = Vouchers::whyNot(text, m_cents);
    ui->label_state->setStyleSheet(why.isEmpty() ? QStringLiteral("color:rgb(0,128,0)") : QStringLiteral("color:rgb(192,0,0)"));
    ui->label_state->setText(why.isEmpty() ? QStringLiteral("面值 %1，余额 %2，有效期至 %3")
                                                 .arg(centsShown(v.valueCents), centsShown(v.restCents), v.validUntil)
                                           : why);
}

void daijinquanhaodlg::on_toolButton_ok_clicked()
{
    const QString why = Vouchers::whyNot(ui->lineEdit_number->text(), m_cents);
    if (!why.isEmpty()) {
        ctrlUiClass::showInfo(why, this);
        return;
    }
    accept();
}

void daijinquanhaodlg::on_toolButton_cancel_clicked()
{
    reject();
}
