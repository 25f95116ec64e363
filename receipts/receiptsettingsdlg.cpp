#include "receipts/receiptsettingsdlg.h"
#include "ui_receiptsettingsdlg.h"

#include "dialogkeys.h"

#include "receipts/receiptlayout.h"
#include "receiptsettings.h"

#include "ctrluiclass.h"
#include "operatorsession.h"

receiptsettingsdlg::receiptsettingsdlg(QWidget *parent) : QDialog(parent), ui(new Ui::receiptsettingsdlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_ok);
    const ReceiptSettings s = ReceiptSettings::load();
    ui->lineEdit_shopName->setText(s.shopName);
    ui->lineEdit_address->setText(s.address);
    ui->lineEdit_phone->setText(s.phone);
    ui->comboBox_paper->addItems(ReceiptLayout::papers());
    ui->comboBox_paper->setCurrentText(s.paper);
    ui->checkBox_autoPrint->setChecked(s.autoPrint);
    ui->checkBox_bonusRefundable->setChecked(s.bonusRefundable);
    ui->spinBox_packageLowUses->setValue(s.packageLowUses);
}

receiptsettingsdlg::~receiptsettingsdlg()
{
    delete ui;
}

void receiptsettingsdlg::on_toolButton_ok_clicked()
{
    ReceiptSettings s;
    s.shopName = ui->lineEdit_shopName->text();
    s.address = ui->lineEdit_address->text();
    s.phone = ui->lineEdit_phone->text();
    s.paper = ui->comboBox_paper->currentText();
    s.autoPrint = ui->checkBox_autoPrint->isChecked();
    s.bonusRefundable = ui->checkBox_bonusRefundable->isChecked();
    s.packageLowUses = ui->spinBox_packageLowUses->value();
    QString error;
    if (!s.save(operatorSession().loginName, &error)) {
        ctrlUiClass::showInfo(error, this);
        return;
    }
    accept();
}

void receiptsettingsdlg::on_toolButton_cancel_clicked()
{
    reject();
}
