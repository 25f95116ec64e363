#include "taocanxufeidlg.h"
#include "ui_taocanxufeidlg.h"

#include "dialogkeys.h"

#include "addtaocanxiangmudlg.h"
#include "dbsetconfig.h"
#include "lianhefukuandlg.h"
#include "operatorsession.h"
#include "amounts.h"
#include "memberwriter.h"
#include "membersummary.h"
#include "sqltext.h"
#include "choicelists.h"
#include "packagedraft.h"
#include "taocanselectdlg.h"

namespace {
const char *kView = "会员套餐续费";
} // namespace

taocanxufeidlg::taocanxufeidlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::taocanxufeidlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_4);
    ctrlUiClass::fillComboFromRows(ui->comboBox, ChoiceLists::employees());
    m_ctrl.fillCombo(ui->comboBox_2, QStringLiteral("续费方式"), QStringLiteral("xml"));
    showAmounts();
}

taocanxufeidlg::~taocanxufeidlg()
{
    PackageDraft::clear();
    m_ctrl.clearViews();
    delete ui;
}

void taocanxufeidlg::setup(const QString &source, const QStringList &row)
{
    if (source == QStringLiteral("会员管理") && row.size() > 13) {
        m_memberId = row.at(0);
        ui->label_7->setText(row.at(0));
        ui->label_10->setText(row.at(1));
        // Member list columns: 13 card type, 14 balance, 15 points.
        ui->label_12->setText(row.value(13));
        ui->label_11->setText(row.value(14));
        ui->label_9->setText(row.value(15));
        ui->label_8->setText(row.value(16));
    } else if (source == QStringLiteral("会员交费") && row.size() > 5) {
        m_memberId = row.at(0);
        ui->label_7->setText(row.at(0));
        ui->label_10->setText(row.at(1));
        ui->label_12->setText(row.at(2));
        ui->label_8->setText(row.at(3));
        ui->label_9->setText(row.at(4));
        ui->label_11->setText(row.at(5));
    }
    if (!m_memberId.isEmpty()) {
        // 累计消费 is what the member has spent, not what the card cost, from
        // whichever page the dialog was opened.
        ui->label_8->setText(centsText(MemberSummary::read(m_memberId).spentCents));
        for (QLabel *money : {ui->label_8, ui->label_11}) {
            bool isNumber = false;
            const double amount = parseNumber(money->text(), &isNumber);
            if (isNumber)
                money->setText(moneyShown(amount));
        }
    }
    loadPackages();
}

void taocanxufeidlg::setMember(const MemberSummary &member)
{
    m_memberId = member.id;
    ui->label_7->setText(member.id);
    ui->label_10->setText(member.name);
    ui->label_12->setText(member.cardType);
    ui->label_11->setText(centsShown(member.balanceCents));
    ui->label_9->setText(QVariant(member.cardPoints).toString());
    ui->label_8->setText(centsShown(member.spentCents));
    loadPackages();
}

void taocanxufeidlg::loadPackages()
{
    // Left-overs of a dialog that did not close cleanly must not be sold again.
    PackageDraft::listHeld(m_memberId);
    m_ctrl.setupView(readDbset(), ui->tableView, QString::fromUtf8(kView));
}

void taocanxufeidlg::showAmounts()
{
    const QString due = moneyShown(m_due);
    ui->lineEdit->setText(due);
    ui->lineEdit_2->setText(due);
}

void taocanxufeidlg::DlgRecv(const QString &key, const QVariant &value)
{
    if (key == QStringLiteral("联合付款") && value.canConvert<redbctrlstruct>()) {
        m_combined = value.value<redbctrlstruct>();
        m_haveCombined = true;
        // Written while the payment dialog is open: a refusal keeps its amounts.
        if (!commitCombined()) {
            m_haveCombined = false;
            if (auto *pay = qobject_cast<lianhefukuanDlg *>(sender()))
                pay->keepOpen();
        }
        return;
    }
    if (key != QStringLiteral("添加数据") || !value.canConvert<dbctrlstruct>())
        return;
    const dbctrlstruct line = value.value<dbctrlstruct>();
    if (line.table != QLatin1String("temptaocanxiangmuliebiao") || line.values.size() < 6)
        return;
    // code, name, list price, uses, discounted price, line total, ...
    const QStringList &v = line.values;
    // Stored as the money formatter writes them: to the cent.
    const auto money = [](const QString &text) { return parseNumber(moneyText(parseNumber(text))); };
    const double total = parseNumber(v.at(5));
    if (!PackageDraft::addItem(m_memberId, v.at(0), v.at(1), money(v.at(2)), parseNumber(numberText(parseNumber(v.at(3)))),
                               money(v.at(4)), money(v.at(5))))
        return;
    m_due += total;
    m_ctrl.refreshView(QString::fromUtf8(kView), QStringLiteral(" "));
    showAmounts();
}

// 续费 (or a double click) renews the item chosen in the list: the line dialog
// opens with it, so its code is never typed again.
void taocanxufeidlg::on_toolButton_clicked()
{
    const QString code = m_ctrl.currentRowValues(QString::fromUtf8(kView)).value(0);
    if (code.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先在列表中选择要续费的项目，或点“添加项目”“添加套餐”"), this);
        return;
    }
    addItem(code);
}

void taocanxufeidlg::on_tableView_doubleClicked(const QModelIndex &)
{
    on_toolButton_clicked();
}

void taocanxufeidlg::on_toolButton_2_clicked()
{
    addItem(QString());
}

void taocanxufeidlg::addItem(const QString &code)
{
    auto *dlg = new addtaocanxiangmuDlg;
    connect(dlg, &addtaocanxiangmuDlg::DlgSend, this, &taocanxufeidlg::DlgRecv);
    dlg->setData(1, QStringList());
    if (!code.isEmpty())
        dlg->presetItem(code);
    dlg->exec();
    delete dlg;
}

void taocanxufeidlg::on_toolButton_3_clicked()
{
    const qint64 mark = PackageDraft::lastRow();
    auto *dlg = new taocanselectDlg;
    connect(dlg, &taocanselectDlg::DlgSend, this, &taocanxufeidlg::DlgRecv);
    dlg->setData(m_memberId);
    dlg->exec();
    delete dlg;
    // Every line of a package carries the package price; it is owed once per
    // package added.
    double charge = 0;
    if (!PackageDraft::chargeAfter(mark, &charge))
        return;
    m_due += charge;
    m_ctrl.refreshView(QString::fromUtf8(kView), QStringLiteral(" "));
    showAmounts();
}

bool taocanxufeidlg::checkCanPay()
{
    if (m_memberId.isEmpty() || !MemberSummary::exists(m_memberId)) {
        ctrlUiClass::showInfo(QStringLiteral("只能给已登记的会员续费套餐，请先选择一个会员"), this);
        return false;
    }
    if (!PackageDraft::anyUsesToBuy()) {
        ctrlUiClass::showInfo(QStringLiteral("请先添加套餐或服务项目"), this);
        return false;
    }
    return true;
}

void taocanxufeidlg::on_toolButton_4_clicked()
{
    if (!checkCanPay())
        return;
    const MoneyInput paid = parseMoneyInput(ui->lineEdit_2->text(), QStringLiteral("支付金额"), true);
    if (paid.notNumber || paid.cents < 0) {
        ctrlUiClass::showInfo(QStringLiteral("支付金额必须是不小于0的数字"), this);
        return;
    }
    if (!paid.ok) {
        ctrlUiClass::showInfo(paid.error, this);
        return;
    }
    const qint64 debt = yuanToCents(m_due) - paid.cents;
    if (debt < 0) {
        ctrlUiClass::showInfo(QStringLiteral("实际付款金额大于需付金额，请确认"), this);
        return;
    }
    if (debt > 0 && !ctrlUiClass::askYesNoDefaultNo(QStringLiteral("欠款") + centsShown(debt) + QStringLiteral(",确定吗"), this))
        return;
    if (commit(QList<Payment>{Payment(ui->comboBox_2->currentText(), paid.cents)}, debt))
        accept();
}

void taocanxufeidlg::on_toolButton_5_clicked()
{
    if (!checkCanPay())
        return;
    m_haveCombined = false;
    auto *dlg = new lianhefukuanDlg;
    connect(dlg, &lianhefukuanDlg::DlgSend, this, &taocanxufeidlg::DlgRecv);
    dlg->setData(QStringList{moneyText(m_due), moneyText(m_due),
                             QStringLiteral("会员卡号：") + m_memberId, ui->label_11->text()});
    dlg->exec();
    delete dlg;
    if (m_haveCombined)
        accept();
    m_haveCombined = false;
}

bool taocanxufeidlg::commitCombined()
{
    QList<Payment> payments;
    for (int i = 0; i < m_combined.fields.size(); ++i) {
        const MoneyInput amount = parseMoneyInput(m_combined.values.value(i), m_combined.fields.at(i) + QStringLiteral("付款金额"));
        if (!amount.ok) {
            ctrlUiClass::showInfo(amount.notNumber ? QStringLiteral("付款金额必须是不小于0的数字") : amount.error, this);
            return false;
        }
        payments << Payment(m_combined.fields.at(i), amount.cents);
    }
    if (payments.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请至少选择一种付款方式"), this);
        return false;
    }
    return commit(payments, qMax<qint64>(0, parseMoneyInput(m_combined.table, QString()).cents));
}

// The renewal as one value for the rules layer: the uses added per item (added
// to what the member holds, never rewriting it), the payments and the debt.
bool taocanxufeidlg::commit(const QList<Payment> &payments, qint64 debtCents)
{
    Renewal r;
    r.memberId = m_memberId;
    r.dueCents = yuanToCents(m_due);
    r.debtCents = debtCents;
    r.employee = ui->comboBox->currentText();
    r.operatorName = operatorSession().loginName;
    qint64 paidTotal = 0;
    for (const Payment &p : payments) {
        r.payments << PaymentPart{p.first, p.second};
        paidTotal += p.second;
    }
    r.remark = QStringLiteral("会员套餐交费:") + centsText(paidTotal);
    for (const PackageDraft::Item &it : PackageDraft::itemsToBuy()) {
        r.items << PackageItem{it.itemId, qint64(it.uses + 0.5)};
        r.remark += QStringLiteral(" ") + it.name + QStringLiteral(":") + numberText(it.uses);
    }
    const LedgerResult result = MemberWriter::renew(r);
    if (!result.ok) {
        ctrlUiClass::showInfo(result.error, this);
        return false;
    }
    // Saved at an earlier try whose answer was lost, not again.
    if (!result.notice.isEmpty())
        ctrlUiClass::showInfo(result.notice, this);
    m_documentId = result.documentId;
    dbctrlstruct refresh;
    refresh.table = QStringLiteral("huiyuanjiaofei");
    emit DlgSend(QStringLiteral("刷新数据列表"), QVariant::fromValue(refresh));
    return true;
}

void taocanxufeidlg::on_toolButton_6_clicked()
{
    reject();
}
