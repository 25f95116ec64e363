#include "adduserdlg.h"
#include "ui_adduserdlg.h"

#include "amounts.h"

#include "dbfailure.h"
#include "logdlg.h"
#include "operatorpasswords.h"
#include "operatorsession.h"
#include "sqltext.h"
#include "transactionscope.h"

namespace {
QString flag(const QCheckBox *box)
{
    return box->isChecked() ? QStringLiteral("是") : QStringLiteral("否");
}
} // namespace

addUserDlg::addUserDlg(QWidget *parent) : QDialog(parent), ui(new Ui::addUserDlg)
{
    ui->setupUi(this);
    // A new operator always starts enabled; the flag opens up for changes only.
    ui->checkBox_6->setEnabled(false);
}

addUserDlg::~addUserDlg()
{
    delete ui;
}

void addUserDlg::setData(int mode, const QStringList &row)
{
    m_mode = mode;
    if (row.size() < 9)
        return;
    ui->lineEdit->setText(row.at(0));
    ui->lineEdit_3->setText(row.at(1));
    ui->lineEdit_4->setText(row.at(2));
    QCheckBox *rights[] = {ui->checkBox, ui->checkBox_2, ui->checkBox_3, ui->checkBox_4, ui->checkBox_5};
    for (int i = 0; i < 5; ++i)
        rights[i]->setChecked(row.at(3 + i) == QStringLiteral("是"));
    ui->checkBox_6->setChecked(row.at(8) == QStringLiteral("是"));
    // The stored password cannot be shown; typing a new one here resets it
    // (for an operator who forgot theirs).
    ui->lineEdit_2->clear();
    ui->lineEdit_2->setPlaceholderText(QStringLiteral("不修改请留空；填写则重置为新密码"));
    ui->checkBox_6->setEnabled(true);
    // The name is the key of the change: it cannot be renamed here.
    if (mode == 2)
        ui->lineEdit->setReadOnly(true);
}

void addUserDlg::on_toolButton_clicked()
{
    const QString name = ui->lineEdit->text();
    if (name.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("操作员名称不能为空"), this);
        return;
    }
    if (m_mode == 1 && OperatorStore::exists(name)) {
        ctrlUiClass::showInfo(QStringLiteral("该操作员已经存在！请更换会员名"), this);
        return;
    }
    // The two amounts are optional; when given they must be sane numbers: the
    // counter compares every discount and sign-bill with them.
    QString amounts[2];
    const QString rateTyped = ui->lineEdit_3->text().trimmed();
    const QString signTyped = ui->lineEdit_4->text().trimmed();
    const CountInput rate = parseCountInput(rateTyped, QStringLiteral("最低折扣"), 4);
    const MoneyInput sign = parseMoneyInput(signTyped, QStringLiteral("签单金额"));
    // A slip (a letter, a minus) gets the plain hint; a bound its own sentence.
    const auto hint = [](bool slip, const QString &error, const QString &what) {
        return slip ? what + QStringLiteral("请输入不小于0的数字") : error;
    };
    if (!rate.ok || !sign.ok) {
        ctrlUiClass::showInfo(!rate.ok ? hint(rate.notNumber || rate.negative, rate.error, QStringLiteral("最低折扣"))
                                       : hint(sign.notNumber || sign.negative, sign.error, QStringLiteral("签单金额")),
                              this);
        return;
    }
    if (!rateTyped.isEmpty())
        amounts[0] = numberText(rate.value);
    if (!signTyped.isEmpty())
        amounts[1] = centsText(sign.cents);

    const QString password = ui->lineEdit_2->text();
    const bool resetPassword = m_mode == 1 || !password.isEmpty();
    if (resetPassword) {
        QString problem = newPasswordProblem(password, password);
        if (!problem.isEmpty()) {
            ctrlUiClass::showInfo(problem.replace(QStringLiteral("新密码"), QStringLiteral("密码")), this);
            ui->lineEdit_2->setFocus();
            return;
        }
    }
    // Nobody may lock the shop out of its own settings.
    if (m_mode == 2 && (!ui->checkBox_5->isChecked() || ui->checkBox_6->isChecked()) && isLastSettingsOperator(name)) {
        ctrlUiClass::showInfo(keepOneSettingsOperatorText(), this);
        return;
    }

    QStringList values = {name, resetPassword ? encodePassword(password) : QString(), amounts[0], amounts[1],
                          flag(ui->checkBox), flag(ui->checkBox_2), flag(ui->checkBox_3),
                          flag(ui->checkBox_4), flag(ui->checkBox_5), flag(ui->checkBox_6)};
    // The request is carried out by the opener right away, inside this scope:
    // a statement that fails there fails the save.
    TransactionScope tx;
    if (m_mode == 1) {
        emit DlgSend(QStringLiteral("添加数据"), QVariant::fromValue(dbctrlstruct{QStringLiteral("user"), values}));
    } else {
        const QString stored = values.takeAt(1);
        values.removeAt(0);
        redbctrlstruct rec;
        rec.table = QStringLiteral("user");
        rec.fields = QStringList{"zuidizekou", "qiandanjine", "xiugaixiaoshoudanjia", "xiugaibankajiage",
                                 "tupodijia", "xiugaitaocanxiaofeicishu", "xitongshezhi", "jinyong"};
        if (resetPassword) {
            rec.fields << QStringLiteral("password");
            values << stored;
        }
        rec.fields << QStringLiteral("name");
        values.append(name);
        rec.values = values;
        rec.whereCount = 1;
        emit DlgSend(QStringLiteral("修改数据"), QVariant::fromValue(rec));
    }
    // A change that failed is told as a failure: on a server the failed
    // statement ends the transaction, and the look-up after it finds no one.
    const bool failed = tx.failed();
    const bool there = !failed && OperatorStore::exists(name);
    if (there && resetPassword && m_mode == 2)
        m_ctrl.writeLog(operatorSession().loginName, QStringLiteral("重置操作员密码：") + name);
    // Not there: nothing to keep (the scope rolls back as it goes).
    if (!there || !tx.commit()) {
        if (!failed && !there && m_mode == 2)
            ctrlUiClass::showInfo(QStringLiteral("没有找到该操作员，未作修改"), this);
        else
            ctrlUiClass::showInfo(saveFailureText(QStringLiteral("保存失败"), tx.firstError()), this);
        return;
    }
    if (resetPassword && m_mode == 2)
        ui->lineEdit_2->clear();
    ctrlUiClass::showInfo(QStringLiteral("保存成功"), this);
}

void addUserDlg::on_toolButton_2_clicked()
{
    close();
}
