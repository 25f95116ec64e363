#include "tuitaocandlg.h"
#include "ui_tuitaocandlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "dbrecords.h"
#include "ledgertypes.h"
#include "operatorsession.h"
#include "refundwriter.h"
#include "shouquandlg.h"

tuitaocandlg::tuitaocandlg(QWidget *parent) : QDialog(parent), ui(new Ui::tuitaocandlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_ok);
    m_ctrl.fillCombo(ui->comboBox_method, QStringLiteral("付款方式"), QStringLiteral("xml"));
}

tuitaocandlg::~tuitaocandlg()
{
    delete ui;
}

void tuitaocandlg::setup(const QString &memberId, const QString &itemId)
{
    m_memberId = memberId;
    ui->label_memberId->setText(memberId);
    ui->label_memberName->setText(RefundWriter::memberName(memberId));
    ui->label_balance->setText(centsText(BalanceBook::balance(memberId)));
    m_items = RefundWriter::packagesOf(memberId);
    ui->comboBox_item->clear();
    for (const PackageQuote &q : m_items)
        ui->comboBox_item->addItem(q.name);
    for (int k = 0; k < m_items.size(); ++k)
        if (m_items.at(k).itemId == itemId)
            ui->comboBox_item->setCurrentIndex(k);
    on_comboBox_item_currentIndexChanged(ui->comboBox_item->currentIndex());
}

PackageQuote tuitaocandlg::currentQuote() const
{
    return m_items.value(ui->comboBox_item->currentIndex());
}

void tuitaocandlg::on_comboBox_item_currentIndexChanged(int)
{
    const PackageQuote q = currentQuote();
    ui->label_usesLeft->setText(QString::number(q.usesLeft));
    ui->label_perUse->setText(centsText(qRound64(q.perUseCents))
                              + (q.fromListPrice ? QStringLiteral("（无购买记录，按原价）") : QString()));
    on_lineEdit_uses_textChanged(ui->lineEdit_uses->text());
}

// The amount follows the uses: what they cost the member.
void tuitaocandlg::on_lineEdit_uses_textChanged(const QString &text)
{
    const CountInput uses = parseCountInput(text, QStringLiteral("退回次数"), 0);
    const qint64 n = uses.ok && uses.value > 0 ? qint64(uses.value) : 0;
    const qint64 limit = currentQuote().limitCents(n);
    ui->label_limit->setText(centsText(limit));
    ui->lineEdit_amount->setText(n > 0 ? centsText(limit) : QString());
}

void tuitaocandlg::on_toolButton_ok_clicked()
{
    const PackageQuote item = currentQuote();
    if (item.itemId.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("该会员没有剩余的套餐次数"), this);
        return;
    }
    const CountInput uses = parseCountInput(ui->lineEdit_uses->text(), QStringLiteral("退回次数"), 0);
    if (!uses.ok || uses.value <= 0) {
        ctrlUiClass::showInfo(uses.ok ? QStringLiteral("退回次数必须是大于0的整数") : uses.error, this);
        return;
    }
    if (uses.value > item.usesLeft + 1e-6) {
        ctrlUiClass::showInfo(QStringLiteral("退回次数大于剩余次数"), this);
        return;
    }
    const MoneyInput amount = parseMoneyInput(ui->lineEdit_amount->text(), QStringLiteral("退款金额"));
    if (!amount.ok) {
        ctrlUiClass::showInfo(amount.error, this);
        return;
    }
    if (ui->lineEdit_reason->text().trimmed().isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请填写退款或作废的原因"), this);
        return;
    }
    if (!ctrlUiClass::askYesNo(QStringLiteral("退回") + ui->comboBox_item->currentText() + QString::number(uses.value)
                                   + QStringLiteral("次，以") + ui->comboBox_method->currentText()
                                   + QStringLiteral("退给会员") + centsText(amount.cents) + QStringLiteral("元，确定吗？"),
                               this))
        return;
    // More than the uses cost is an exception someone with the right allows on purpose.
    const qint64 limit = item.limitCents(qint64(uses.value));
    QString aboveBy;
    if (amount.cents > limit) {
        if (!ctrlUiClass::askYesNo(QStringLiteral("退款金额") + centsText(amount.cents) + QStringLiteral("元超过按次计价的")
                                       + centsText(limit) + QStringLiteral("元，需要有系统设置权限的操作员输入密码确认，继续吗？"),
                                   this))
            return;
        aboveBy = shouquandlg::confirmer(this);
        if (aboveBy.isEmpty())
            return;
    }
    const QString who = aboveBy.isEmpty() ? shouquandlg::authorizer(this) : aboveBy;
    if (who.isEmpty())
        return;
    PackageRefund r;
    r.memberId = m_memberId;
    r.itemId = item.itemId;
    r.uses = qint64(uses.value);
    r.paidBackCents = amount.cents;
    r.method = ui->comboBox_method->currentText();
    r.reason = ui->lineEdit_reason->text();
    r.operatorName = operatorSession().loginName;
    r.authorizedBy = who;
    r.aboveLimitBy = aboveBy;
    const LedgerResult done = RefundWriter::refundPackage(r);
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

void tuitaocandlg::on_toolButton_cancel_clicked()
{
    reject();
}
