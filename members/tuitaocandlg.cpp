#include "tuitaocandlg.h"
#include "ui_tuitaocandlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "dbrecords.h"
#include "ledgersql.h"
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
    const QVariantList m =
        LedgerSql::rows(QStringLiteral("select name,ifnull(shengyujine,0) from huiyuan where ID=?"), {memberId}).value(0);
    ui->label_memberId->setText(memberId);
    ui->label_memberName->setText(m.value(0).toString());
    ui->label_balance->setText(centsText(yuanToCents(m.value(1).toDouble())));
    const QList<QVariantList> items = LedgerSql::rows(
        QStringLiteral("select t.xiangmuID,ifnull(max(f.name),t.xiangmuID),ROUND(sum(t.shengyucishu),3) from "
                       "huiyuantaocan t left join fuwuxiangmu f on f.ID=t.xiangmuID where t.huiyuanID=? "
                       "group by t.xiangmuID having sum(t.shengyucishu)>0 order by min(t.rowid)"),
        {memberId});
    ui->comboBox_item->clear();
    for (const QVariantList &i : items)
        ui->comboBox_item->addItem(i.value(1).toString(), QVariantList{i.value(0), i.value(2)});
    for (int k = 0; k < items.size(); ++k)
        if (items.at(k).value(0).toString() == itemId)
            ui->comboBox_item->setCurrentIndex(k);
    on_comboBox_item_currentIndexChanged(ui->comboBox_item->currentIndex());
}

void tuitaocandlg::on_comboBox_item_currentIndexChanged(int index)
{
    const QVariantList item = ui->comboBox_item->itemData(index).toList();
    ui->label_usesLeft->setText(item.isEmpty() ? QStringLiteral("0") : QString::number(item.value(1).toDouble()));
}

void tuitaocandlg::on_toolButton_ok_clicked()
{
    const QVariantList item = ui->comboBox_item->currentData().toList();
    if (item.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("该会员没有剩余的套餐次数"), this);
        return;
    }
    const CountInput uses = parseCountInput(ui->lineEdit_uses->text(), QStringLiteral("退回次数"), 0);
    if (!uses.ok || uses.value <= 0) {
        ctrlUiClass::showInfo(uses.ok ? QStringLiteral("退回次数必须是大于0的整数") : uses.error, this);
        return;
    }
    if (uses.value > item.value(1).toDouble() + 1e-6) {
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
    const QString who = shouquandlg::authorizer(this);
    if (who.isEmpty())
        return;
    PackageRefund r;
    r.memberId = m_memberId;
    r.itemId = item.value(0).toString();
    r.uses = qint64(uses.value);
    r.paidBackCents = amount.cents;
    r.method = ui->comboBox_method->currentText();
    r.reason = ui->lineEdit_reason->text();
    r.operatorName = operatorSession().loginName;
    r.authorizedBy = who;
    const LedgerResult done = RefundWriter::refundPackage(r);
    if (!done.ok) {
        ctrlUiClass::showInfo(done.error, this);
        return;
    }
    m_documentId = done.documentId;
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(dbctrlstruct{QStringLiteral("huiyuanjiaofei"), {}}));
    accept();
}

void tuitaocandlg::on_toolButton_cancel_clicked()
{
    reject();
}
