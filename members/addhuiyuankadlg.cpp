#include "addhuiyuankadlg.h"
#include "ui_addhuiyuankadlg.h"

#include "dialogkeys.h"

#include "amounts.h"
#include "dbfailure.h"
#include "dbrecords.h"
#include "prompt.h"
#include "choicelists.h"
#include "sqltext.h"
#include "transactionscope.h"

namespace {
const QStringList kFactors = {
    QStringLiteral("1"), QStringLiteral("0.95"), QStringLiteral("0.9"), QStringLiteral("0.85"),
    QStringLiteral("0.8"), QStringLiteral("0.75"), QStringLiteral("0.7"), QStringLiteral("0.65"),
    QStringLiteral("0.6"), QStringLiteral("0.55"), QStringLiteral("0.5"), QStringLiteral("0.45"),
    QStringLiteral("0.4"), QStringLiteral("0.3")};

void plainBox(const QString &text, QWidget *parent)
{
    PromptRequest r;
    r.text = text;
    r.buttons = QStringList{QStringLiteral("确定")};
    r.parent = parent;
    Prompt::ask(r);
}

// An amount field: empty counts as 0; anything else a sane amount of money.
// Returns the refusal naming the field, "" when *out holds the amount.
QString readAmount(const QString &text, const QString &what, QString *out)
{
    const MoneyInput money = parseMoneyInput(text, what);
    if (!money.ok)
        return money.error;
    *out = centsText(money.cents);
    return QString();
}
} // namespace

addhuiyuankaDlg::addhuiyuankaDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addhuiyuankaDlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
    ui->comboBox->addItems(kFactors);
    ui->comboBox_2->addItems(kFactors);
    ui->comboBox_3->addItems(kFactors);
}

addhuiyuankaDlg::~addhuiyuankaDlg()
{
    delete ui;
}

void addhuiyuankaDlg::setup(int mode, const QStringList &row)
{
    m_mode = mode;
    if (mode != 2 || row.size() < 8)
        return;
    ui->lineEdit->setText(row.at(0));
    // Members refer to their card type by name; a renamed type would match no
    // row on save, so the name is fixed while editing.
    ui->lineEdit->setReadOnly(true);
    ui->lineEdit_2->setText(row.at(1));
    ui->lineEdit_3->setText(row.at(2));
    // A factor the list does not offer (an imported 8.8折) is kept as it is: a
    // combo that stayed on "1" would drop the discount on any other change.
    const QList<QPair<QComboBox *, QString>> factors{
        {ui->comboBox, row.at(3)}, {ui->comboBox_2, row.at(4)}, {ui->comboBox_3, row.at(5)}};
    for (const auto &f : factors) {
        if (!f.second.isEmpty() && f.first->findText(f.second) < 0)
            f.first->addItem(f.second);
        f.first->setCurrentText(f.second);
    }
    ui->textEdit->setPlainText(row.at(7));
}

void addhuiyuankaDlg::on_toolButton_clicked()
{
    const QString name = ui->lineEdit->text().trimmed();
    if (name.isEmpty()) {
        plainBox(QStringLiteral("会员名称不能为空"), this);
        return;
    }
    QString value, price;
    QString problem = readAmount(ui->lineEdit_2->text(), QStringLiteral("卡内金额"), &value);
    if (problem.isEmpty())
        problem = readAmount(ui->lineEdit_3->text(), QStringLiteral("售价"), &price);
    if (!problem.isEmpty()) {
        ctrlUiClass::showInfo(problem, this);
        return;
    }
    const QString remark = ui->textEdit->toPlainText();

    if (m_mode == 2) {
        redbctrlstruct req;
        req.table = QStringLiteral("huiyuanka");
        req.fields = QStringList{QStringLiteral("kaneijine"), QStringLiteral("jiage"),
                                 QStringLiteral("fuwuzekou"), QStringLiteral("chanpinzekou"),
                                 QStringLiteral("taocanzekou"), QStringLiteral("beizhu"),
                                 QStringLiteral("name")};
        req.values = QStringList{value, price, ui->comboBox->currentText(),
                                 ui->comboBox_2->currentText(), ui->comboBox_3->currentText(),
                                 remark, name};
        req.whereCount = 1;
        // The opener writes the row inside this scope: a failure keeps the dialog open.
        TransactionScope tx;
        emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(req));
        if (!tx.commit()) {
            ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存失败"), tx.firstError()), this);
            return;
        }
        accept();
        return;
    }

    if (ChoiceLists::cardTypeExists(name)) {
        plainBox(QStringLiteral("会员名已经存在！请更换会员名"), this);
        return;
    }
    dbctrlstruct req;
    req.table = QStringLiteral("huiyuanka");
    req.values = QStringList{name, value, price, ui->comboBox->currentText(),
                             ui->comboBox_2->currentText(), ui->comboBox_3->currentText(), remark};
    TransactionScope tx;
    emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(req));
    if (!tx.commit()) {
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存失败"), tx.firstError()), this);
        return;
    }
    accept();
}

void addhuiyuankaDlg::on_toolButton_2_clicked()
{
    reject();
}
