#include "huiyuankachongchi.h"
#include "ui_huiyuankachongchi.h"

#include "dialogkeys.h"

#include "dbrecords.h"
#include "operatorsession.h"
#include "amounts.h"
#include "memberwriter.h"
#include "sqltext.h"

huiyuankachongchi::huiyuankachongchi(QWidget *parent)
    : QDialog(parent), ui(new Ui::huiyuankachongchi)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    m_ctrl.fillCombo(ui->comboBox_2, QStringLiteral("续费方式"), QStringLiteral("xml"));
    m_ctrl.fillComboFromSql(ui->comboBox,
                            QStringLiteral("select ID as 员工编号, name as 员工姓名 from yuangong"));
    ui->toolButton_3->hide();
}

huiyuankachongchi::~huiyuankachongchi()
{
    delete ui;
}

void huiyuankachongchi::setup(const QStringList &member)
{
    if (member.size() < 4)
        return;
    ui->label_9->setText(member.at(0));
    ui->label_10->setText(member.at(1));
    ui->label_13->setText(member.at(2));
    ui->label_15->setText(member.at(3));
}

void huiyuankachongchi::updateCredited()
{
    ui->lineEdit_3->setText(moneyText(parseNumber(ui->lineEdit->text())
                                      + parseNumber(ui->lineEdit_2->text())));
}

void huiyuankachongchi::on_lineEdit_textChanged(const QString &text)
{
    updateCredited();
    ui->lineEdit_4->setText(text);
}

void huiyuankachongchi::on_lineEdit_2_textChanged(const QString &)
{
    updateCredited();
}

void huiyuankachongchi::on_toolButton_3_clicked()
{
}

void huiyuankachongchi::on_toolButton_2_clicked()
{
    reject();
}

void huiyuankachongchi::on_toolButton_clicked()
{
    const QString memberId = ui->label_9->text().trimmed();
    if (memberId.isEmpty()
        || m_ctrl.countRows(QStringLiteral("select ID from huiyuan where ID=") + sqlLiteral(memberId)) < 1) {
        ctrlUiClass::showInfo(QStringLiteral("只能给已登记的会员充值，请先选择一个会员"), this);
        return;
    }
    const MoneyInput paidIn = parseMoneyInput(ui->lineEdit->text(), QStringLiteral("交费金额"), true);
    const MoneyInput bonus = parseMoneyInput(ui->lineEdit_2->text(), QStringLiteral("赠送金额"), true);
    const MoneyInput received = parseMoneyInput(ui->lineEdit_4->text(), QStringLiteral("实际付款"), true);
    if (paidIn.notNumber || bonus.notNumber || received.notNumber) {
        ctrlUiClass::showInfo(QStringLiteral("交费金额、赠送金额和实际付款必须是数字"), this);
        return;
    }
    for (const MoneyInput *m : {&paidIn, &bonus, &received}) {
        if (!m->ok) {
            ctrlUiClass::showInfo(m->error, this);
            return;
        }
    }
    if (paidIn.cents < 0 || bonus.cents < 0 || received.cents < 0) {
        ctrlUiClass::showInfo(QStringLiteral("金额不能为负数"), this);
        return;
    }
    if (paidIn.cents + bonus.cents <= 0) {
        ctrlUiClass::showInfo(QStringLiteral("请输入交费金额"), this);
        return;
    }
    if (received.cents > paidIn.cents) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于交费金额，请确认"), this);
        return;
    }
    const qint64 debt = paidIn.cents - received.cents;
    if (debt > 0
        && !ctrlUiClass::askYesNo(QStringLiteral("欠款") + centsText(debt) + QStringLiteral(",确定吗"), this))
        return;

    TopUp t;
    t.memberId = memberId;
    t.paidInCents = paidIn.cents;
    t.bonusCents = bonus.cents;
    t.receivedCents = received.cents;
    t.method = ui->comboBox_2->currentText();
    t.employee = ui->comboBox->currentText();
    t.operatorName = operatorSession().loginName;
    const LedgerResult r = MemberWriter::topUp(t);
    if (!r.ok) {
        ctrlUiClass::showInfo(r.error, this);
        return;
    }
    m_documentId = r.documentId;
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanjiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    accept();
}
