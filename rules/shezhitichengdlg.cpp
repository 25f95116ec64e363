#include "shezhitichengdlg.h"
#include "shopconnection.h"
#include "ui_shezhitichengdlg.h"

#include "dbsetconfig.h"
#include "operatorsession.h"
#include "rulebook.h"
#include "rulevalues.h"
#include "sqltext.h"
#include "tichengcanshudlg.h"

namespace {
const QString kView = QStringLiteral("提成策略明细临时表");
const QStringList kModes = {QStringLiteral("轮单提成"), QStringLiteral("点单提成"),
                            QStringLiteral("其他提成")};
} // namespace

shezhitichengDlg::shezhitichengDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::shezhitichengDlg)
{
    ui->setupUi(this);
    const DbsetMap map = readDbset();
    RuleBook::openCommissionWork();
    // Empty until the item is known.
    m_ctrl.setupViewWith(map, ui->tableView, kView, RuleBook::commissionWorkCondition(RuleBook::WorkRows::None));
    m_ctrl.fillCombo(ui->comboBox, QStringLiteral("提成类型设置"), QStringLiteral("xml"));
    for (QLineEdit *edit : {ui->lineEdit_5, ui->lineEdit_6, ui->lineEdit_7})
        connect(edit, &QLineEdit::returnPressed, ui->toolButton_2, &QToolButton::click);
    m_linkGeneration = ShopLink::generation(); // the working rows are on this connection
}

shezhitichengDlg::~shezhitichengDlg()
{
    dropWorkTables();
    delete ui;
}

void shezhitichengDlg::done(int result)
{
    dropWorkTables();
    QDialog::done(result);
}

void shezhitichengDlg::dropWorkTables()
{
    if (m_tablesDropped)
        return;
    m_tablesDropped = true;
    m_ctrl.clearViews(); // a live model would keep the table locked
    RuleBook::closeCommissionWork();
}

bool shezhitichengDlg::uniform() const
{
    return ui->radioButton->isChecked();
}

void shezhitichengDlg::init(int mode, const QStringList &row)
{
    m_mode = mode;
    if (row.size() < 5)
        return;
    m_id = row.at(0);
    m_type = row.at(4);
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_2->setText(row.at(1));
    ui->lineEdit_3->setText(row.at(2));
    ui->lineEdit_4->setText(row.at(3));

    const CommissionPlan stored = RuleBook::loadCommissionWork(m_id, m_type);
    bool allUniform = !stored.rules.isEmpty();
    for (const CommissionPlanRule &r : stored.rules)
        allUniform = allUniform && r.employeeType == RuleWords::allEmployees();
    if (allUniform) {
        ui->radioButton->setChecked(true);
        // The figure of each mode as the pivot of the list shows it: percentage, amount.
        const QString method = stored.rules.first().method;
        QStringList values{RuleWords::allEmployees(), method};
        for (const QString &mode : kModes) {
            const CommissionPlanRule *found = nullptr;
            for (const CommissionPlanRule &r : stored.rules)
                if (r.mode == mode && !found)
                    found = &r;
            values << (found ? numberText(qRound64(found->ratio * 1000) / 1000.0) : QString())
                   << (found ? numberText(qRound64(found->amount * 1000) / 1000.0) : QString());
        }
        fillUniformFields(method, values);
    } else {
        if (stored.rules.isEmpty())
            ui->radioButton->setChecked(true);
        else
            ui->radioButton_2->setChecked(true);
        on_comboBox_currentTextChanged(ui->comboBox->currentText());
    }
    showDetail();
}

// Puts a pivot row (type, method, percentage and amount per mode) into the
// uniform fields. A fixed-amount rule shows its amounts: showing the (zero)
// percentages would make the next save wipe the amounts.
void shezhitichengDlg::fillUniformFields(const QString &method, const QStringList &values)
{
    const int idx = ui->comboBox->findText(method);
    if (idx >= 0)
        ui->comboBox->setCurrentIndex(idx);
    on_comboBox_currentTextChanged(ui->comboBox->currentText());
    const int offset = method == RuleWords::byAmount() ? 1 : 0;
    ui->lineEdit_5->setText(values.value(2 + offset));
    ui->lineEdit_6->setText(values.value(4 + offset));
    ui->lineEdit_7->setText(values.value(6 + offset));
}

void shezhitichengDlg::showDetail()
{
    ui->groupBox_3->setEnabled(uniform());
    m_ctrl.refreshView(kView, RuleBook::commissionWorkCondition(uniform() ? RuleBook::WorkRows::Everybody
                                                                          : RuleBook::WorkRows::PerType));
}

void shezhitichengDlg::on_radioButton_clicked()
{
    showDetail();
}

void shezhitichengDlg::on_radioButton_2_clicked()
{
    seedCategoryRules();
    showDetail();
}

// One zero-percentage rule per employee category and mode, for the categories
// and modes that have none yet, so choosing this state again adds nothing twice.
void shezhitichengDlg::seedCategoryRules()
{
    if (m_id.isEmpty())
        return;
    RuleBook::addCategoriesToCommissionWork(m_id, m_type, kModes);
}

void shezhitichengDlg::on_comboBox_currentTextChanged(const QString &method)
{
    const bool takesPart = method != RuleWords::noCommission();
    ui->lineEdit_5->setEnabled(takesPart);
    ui->lineEdit_6->setEnabled(takesPart);
    ui->lineEdit_7->setEnabled(takesPart);
    const QString unit = method == RuleWords::byAmount() ? QStringLiteral("元")
                         : method == RuleWords::byRatio() ? QStringLiteral("%")
                                                          : QString();
    ui->label_9->setText(unit);
    ui->label_10->setText(unit);
    ui->label_11->setText(unit);
}

void shezhitichengDlg::on_toolButton_clicked()
{
    const QStringList row = m_ctrl.currentRowValues(kView);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一个提成设置！"), this);
        return;
    }
    auto *dlg = new tichengcanshuDlg;
    connect(dlg, &tichengcanshuDlg::DlgSend, this, &shezhitichengDlg::DlgRecv);
    dlg->init(row);
    dlg->exec();
    delete dlg;
}

void shezhitichengDlg::on_tableView_doubleClicked(const QModelIndex &)
{
    on_toolButton_clicked();
}

void shezhitichengDlg::DlgRecv(QVariant value)
{
    const QStringList row = value.toStringList();
    if (row.size() < 5)
        return;
    const QString method = row.at(1);
    for (int i = 0; i < kModes.size(); ++i) {
        double v = 0;
        checkCommissionValue(row.at(2 + i), &v); // the sender has refused bad figures already
        RuleBook::setCommissionWork(row.at(0), kModes.at(i), method, method == RuleWords::byRatio() ? v : 0,
                                    method == RuleWords::byAmount() ? parseNumber(moneyText(v)) : 0);
    }
    // In the uniform state the fields are what gets saved: keep them in step.
    if (uniform() && row.at(0) == RuleWords::allEmployees()) {
        const int idx = ui->comboBox->findText(method);
        if (idx >= 0)
            ui->comboBox->setCurrentIndex(idx);
        ui->lineEdit_5->setText(row.at(2));
        ui->lineEdit_6->setText(row.at(3));
        ui->lineEdit_7->setText(row.at(4));
    }
    showDetail();
}

void shezhitichengDlg::on_toolButton_2_clicked()
{
    if (m_mode != 2 && m_mode != 3)
        return;
    if (m_id.isEmpty())
        return;
    const bool saved = uniform() ? saveUniform() : saveByType();
    if (saved)
        accept();
}

bool shezhitichengDlg::saveUniform()
{
    const QString method = ui->comboBox->currentText();
    QStringList figures;
    // Fields stay disabled and empty for "不参与提成": nothing to check then.
    if (method != RuleWords::noCommission()) {
        if (ui->lineEdit_5->text().trimmed().isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("员工编号不能为空"), this);
            return false;
        }
        if (ui->lineEdit_6->text().trimmed().isEmpty()) {
            ctrlUiClass::showInfo(QStringLiteral("员工名不能为空"), this);
            return false;
        }
    }
    QList<double> values;
    for (QLineEdit *edit : {ui->lineEdit_5, ui->lineEdit_6, ui->lineEdit_7}) {
        double v = 0;
        if (method != RuleWords::noCommission()) {
            const QString problem = checkCommissionValue(edit->text(), &v);
            if (!problem.isEmpty()) {
                ctrlUiClass::showInfo(problem, this);
                edit->setFocus();
                return false;
            }
        }
        values << v;
    }

    // Its working rows were on the connection before a reconnect: saving them
    // now would replace the item's rules with nothing.
    if (ShopLink::generation() != m_linkGeneration) {
        ctrlUiClass::showInfo(ShopLink::staleWindowText(), this);
        return false;
    }
    CommissionPlan plan;
    plan.itemId = m_id;
    plan.itemType = m_type;
    for (int i = 0; i < kModes.size(); ++i) {
        const double v = values.at(i);
        plan.rules << CommissionPlanRule{RuleWords::allEmployees(), kModes.at(i), method,
                                         method == RuleWords::byRatio() ? v : 0,
                                         method == RuleWords::byAmount() ? parseNumber(moneyText(v)) : 0};
    }
    return saved(RuleBook::saveCommissions(plan, operatorSession().loginName));
}

bool shezhitichengDlg::saveByType()
{
    // Its working rows were on the connection before a reconnect: saving them
    // now would replace the item's rules with nothing.
    if (ShopLink::generation() != m_linkGeneration) {
        ctrlUiClass::showInfo(ShopLink::staleWindowText(), this);
        return false;
    }
    CommissionPlan plan;
    plan.itemId = m_id;
    plan.itemType = m_type;
    plan.rules = RuleBook::commissionWorkByCategory();
    return saved(RuleBook::saveCommissions(plan, operatorSession().loginName));
}

bool shezhitichengDlg::saved(const LedgerResult &result)
{
    if (!result.ok)
        ctrlUiClass::showInfo(result.error, this);
    return result.ok;
}

void shezhitichengDlg::on_toolButton_3_clicked()
{
    reject();
}
