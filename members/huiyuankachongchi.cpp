#include "huiyuankachongchi.h"
#include "ui_huiyuankachongchi.h"

#include "dialogkeys.h"

#include "dbrecords.h"
#include "operatorsession.h"
#include "amounts.h"
#include "choicelists.h"
#include "ledgersql.h"
#include "memberwriter.h"
#include "membersummary.h"
#include "sqltext.h"
#include "lianhefukuandlg.h"
#include "topupofferhint.h"

#include <QSignalBlocker>

huiyuankachongchi::huiyuankachongchi(QWidget *parent)
    : QDialog(parent), ui(new Ui::huiyuankachongchi)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    m_ctrl.fillCombo(ui->comboBox_2, QStringLiteral("续费方式"), QStringLiteral("xml"));
    ctrlUiClass::fillComboFromRows(ui->comboBox, ChoiceLists::employees());
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
    new TopUpOfferHint(this, ui->lineEdit, ui->lineEdit_2, member.at(0));
}

void huiyuankachongchi::setMember(const MemberSummary &member)
{
    setup(QStringList{member.id, member.name, centsShown(member.balanceCents), member.phone});
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
    const MoneyInput paidIn = parseMoneyInput(ui->lineEdit->text(), QStringLiteral("交费金额"));
    if (!paidIn.ok || paidIn.cents <= 0) {
        ctrlUiClass::showInfo(paidIn.ok ? QStringLiteral("请输入交费金额") : paidIn.error, this);
        return;
    }
    auto *pay = new lianhefukuanDlg;
    connect(pay, &lianhefukuanDlg::DlgSend, this, &huiyuankachongchi::onCombinedPayment);
    pay->setData(QStringList{centsText(paidIn.cents), centsText(paidIn.cents),
                             QStringLiteral("会员卡号：") + ui->label_9->text(), ui->label_13->text()});
    pay->withoutCard();
    pay->exec();
    delete pay;
    if (!m_documentId.isEmpty())
        accept();
}

void huiyuankachongchi::onCombinedPayment(const QString &key, const QVariant &value)
{
    if (key != QStringLiteral("联合付款") || value.userType() != qMetaTypeId<redbctrlstruct>())
        return;
    const redbctrlstruct reply = value.value<redbctrlstruct>();
    QList<PaymentPart> parts;
    qint64 received = 0;
    for (int i = 0; i < reply.fields.size(); ++i) {
        const MoneyInput amount =
            parseMoneyInput(reply.values.value(i), reply.fields.at(i) + QStringLiteral("付款金额"));
        if (!amount.ok) {
            ctrlUiClass::showInfo(amount.error, this);
            if (auto *pay = qobject_cast<lianhefukuanDlg *>(sender()))
                pay->keepOpen();
            return;
        }
        if (amount.cents > 0)
            parts << PaymentPart{reply.fields.at(i), amount.cents};
        received += amount.cents;
    }
    {
        // 实际付款 is what the methods took together; the rest is owed.
        const QSignalBlocker quiet(ui->lineEdit_4);
        ui->lineEdit_4->setText(centsText(received));
    }
    if (parts.isEmpty() || !save(parts)) {
        if (parts.isEmpty())
            ctrlUiClass::showInfo(QStringLiteral("请至少选择一种付款方式"), this);
        if (auto *pay = qobject_cast<lianhefukuanDlg *>(sender()))
            pay->keepOpen();
    }
}

void huiyuankachongchi::on_toolButton_2_clicked()
{
    reject();
}

void huiyuankachongchi::on_toolButton_clicked()
{
    if (save({}))
        accept();
}

bool huiyuankachongchi::save(const QList<PaymentPart> &payments)
{
    const QString memberId = ui->label_9->text().trimmed();
    const bool known = MemberSummary::exists(memberId);
    const QString unreachable = LedgerSql::unreachableText(QStringLiteral("会员充值保存失败"));
    if (!unreachable.isEmpty()) {
        ctrlUiClass::showInfo(unreachable, this);
        return false;
    }
    if (!known) {
        ctrlUiClass::showInfo(QStringLiteral("只能给已登记的会员充值，请先选择一个会员"), this);
        return false;
    }
    const MoneyInput paidIn = parseMoneyInput(ui->lineEdit->text(), QStringLiteral("交费金额"), true);
    const MoneyInput bonus = parseMoneyInput(ui->lineEdit_2->text(), QStringLiteral("赠送金额"), true);
    const MoneyInput received = parseMoneyInput(ui->lineEdit_4->text(), QStringLiteral("实际付款"), true);
    if (paidIn.notNumber || bonus.notNumber || received.notNumber) {
        ctrlUiClass::showInfo(QStringLiteral("交费金额、赠送金额和实际付款必须是数字"), this);
        return false;
    }
    for (const MoneyInput *m : {&paidIn, &bonus, &received}) {
        if (!m->ok) {
            ctrlUiClass::showInfo(m->error, this);
            return false;
        }
    }
    if (paidIn.cents < 0 || bonus.cents < 0 || received.cents < 0) {
        ctrlUiClass::showInfo(QStringLiteral("金额不能为负数"), this);
        return false;
    }
    if (paidIn.cents + bonus.cents <= 0) {
        ctrlUiClass::showInfo(QStringLiteral("请输入交费金额"), this);
        return false;
    }
    if (received.cents > paidIn.cents) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于交费金额，请确认"), this);
        return false;
    }
    const qint64 debt = paidIn.cents - received.cents;
    // The combined payment has asked about its debt already.
    if (debt > 0 && payments.isEmpty()
        && !ctrlUiClass::askYesNoDefaultNo(QStringLiteral("欠款") + centsShown(debt) + QStringLiteral(",确定吗"), this))
        return false;

    TopUp t;
    t.payments = payments;
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
        return false;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!r.notice.isEmpty())
        ctrlUiClass::showInfo(r.notice, this);
    m_documentId = r.documentId;
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanjiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    return true;
}
