#include "changepassworddlg.h"
#include "ui_changepassworddlg.h"

#include "ctrluiclass.h"
#include "logdlg.h"
#include "operatorpasswords.h"

ChangePasswordDlg::ChangePasswordDlg(QWidget *parent) : QDialog(parent), ui(new Ui::ChangePasswordDlg)
{
    ui->setupUi(this);
    for (QLineEdit *edit : {ui->oldPasswordEdit, ui->newPasswordEdit, ui->repeatPasswordEdit})
        edit->setInputMethodHints(Qt::ImhHiddenText);
}

ChangePasswordDlg::~ChangePasswordDlg() { delete ui; }

void ChangePasswordDlg::setOperator(const QString &name, bool firstLogin)
{
    m_name = name;
    m_firstLogin = firstLogin;
    ui->operatorLabel->setText(name);
    if (firstLogin) {
        setWindowTitle(QStringLiteral("首次登录，请设置新密码"));
        ui->hintLabel->setText(QStringLiteral("您正在使用默认密码登录。默认密码人人都知道，请先设置一个只有您知道的新密码"
                                              "（至少%1位），以后用新密码登录。")
                                   .arg(kMinPasswordLength));
        ui->oldPasswordCaption->hide();
        ui->oldPasswordEdit->hide();
        ui->newPasswordEdit->setFocus();
    }
}

void ChangePasswordDlg::on_saveButton_clicked()
{
    if (!m_firstLogin) {
        if (!verifyPassword(ui->oldPasswordEdit->text(), OperatorStore::storedPassword(m_name))) {
            ctrlUiClass::showInfo(QStringLiteral("原密码错误，请重新输入"), this);
            ui->oldPasswordEdit->setFocus();
            ui->oldPasswordEdit->selectAll();
            return;
        }
    }
    const QString problem = newPasswordProblem(ui->newPasswordEdit->text(), ui->repeatPasswordEdit->text());
    if (!problem.isEmpty()) {
        ctrlUiClass::showInfo(problem, this);
        ui->newPasswordEdit->setFocus();
        return;
    }
    QString error;
    if (!storeOperatorPassword(m_name, ui->newPasswordEdit->text(),
                               m_firstLogin ? QStringLiteral("首次登录，设置新密码") : QStringLiteral("修改密码"),
                               &error)) {
        ctrlUiClass::showInfo(error, this);
        return;
    }
    ctrlUiClass::showInfo(QStringLiteral("密码已修改，下次登录请使用新密码"), this);
    accept();
}

void ChangePasswordDlg::on_cancelButton_clicked() { reject(); }
