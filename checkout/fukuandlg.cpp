#include "fukuandlg.h"
#include "ui_fukuandlg.h"

#include "dialogkeys.h"

#include "ctrluiclass.h"
#include "amounts.h"
#include "sqltext.h"

#include <QLineEdit>
#include <QToolButton>
#include <cmath>


fukuanDlg::fukuanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::fukuanDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_3);
    ui->toolButton_4->hide();
    ui->label_4->setStyleSheet(QStringLiteral("#label_4{color:rgb(255,0,0);font:bold 16px;}"));
    m_ctrl->fillCombo(ui->comboBox, QStringLiteral("续费方式"), QStringLiteral("xml"));
}

fukuanDlg::~fukuanDlg()
{
    delete ui;
}

void fukuanDlg::setData(const QStringList &list)
{
    m_data = list;
    if (!list.isEmpty()) {
        ui->label_4->setText(list.at(0));
        // Most customers pay what is due: one Enter takes it, typing replaces it.
        ui->lineEdit->setText(list.at(0));
        ui->lineEdit->selectAll();
    }
}

void fukuanDlg::on_toolButton_3_clicked()
{
    const MoneyInput received = parseMoneyInput(ui->lineEdit->text(), QStringLiteral("实收金额"), true);
    if (received.notNumber) {
        ctrlUiClass::showInfo(QStringLiteral("请输入正确的实收金额"), this);
        return;
    }
    if (received.ok && received.cents < 0) {
        ctrlUiClass::showInfo(QStringLiteral("实收金额不能为负数"), this);
        return;
    }
    if (!received.ok) {
        ctrlUiClass::showInfo(received.error, this);
        return;
    }
    const qint64 debt = parseMoneyInput(ui->label_4->text(), QString()).cents - received.cents;
    if (debt < 0) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于需付金额，请确认"), this);
        return;
    }
    if (debt > 0
        && !ctrlUiClass::askYesNoDefaultNo(QStringLiteral("欠款金额为：") + centsText(debt)
                                      + QStringLiteral(" 是否允许欠款?"),
                                  this))
        return;

    QStringList reply{centsText(received.cents), centsText(debt), ui->comboBox->currentText()};
    if (m_data.size() >= 3)
        reply << m_data.at(1) << m_data.at(2);
    m_keepOpen = false;
    emit DlgSend(QStringLiteral("收款"), QVariant(reply));
    if (!m_keepOpen)
        accept();
}

void fukuanDlg::on_toolButton_2_clicked()
{
    reject();
}
