#include "shouquandlg.h"
#include "ui_shouquandlg.h"

#include "dialogkeys.h"

#include "ctrluiclass.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "passwordhash.h"

shouquandlg::shouquandlg(QWidget *parent) : QDialog(parent), ui(new Ui::shouquandlg)
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_ok, DialogKeys::Cancel::Plain);
}

shouquandlg::~shouquandlg()
{
    delete ui;
}

QString shouquandlg::authorizer(QWidget *parent)
{
    const OperatorSession &s = operatorSession();
    if (s.xitongshezhi == QStringLiteral("是") && OperatorStore::mayAuthorize(s.loginName))
        return s.loginName;
    return confirmer(parent);
}

QString shouquandlg::confirmer(QWidget *parent)
{
    shouquandlg dlg(parent);
    if (dlg.exec() != QDialog::Accepted)
        return QString();
    return dlg.confirmedBy();
}

void shouquandlg::on_toolButton_ok_clicked()
{
    const QString name = ui->lineEdit_name->text().trimmed();
    const QString typed = ui->lineEdit_password->text();
    // The default is printed in the manual and a blank is nothing: neither
    // stands for a person, whoever's account still holds it.
    if (OperatorStore::isWeakPassword(typed)) {
        ctrlUiClass::showInfo(QStringLiteral("空密码或默认密码不能用于确认，请该操作员先修改自己的密码"), this);
        ui->lineEdit_password->clear();
        return;
    }
    // One answer for a wrong name, a wrong password and a missing right: the
    // box tells nobody which operators exist.
    if (name.isEmpty() || !PasswordHash::verify(typed, OperatorStore::storedPassword(name))
        || !OperatorStore::mayAuthorize(name)) {
        ctrlUiClass::showInfo(QStringLiteral("操作员或密码不对，或该操作员没有系统设置权限"), this);
        ui->lineEdit_password->clear();
        return;
    }
    m_confirmed = name;
    accept();
}

void shouquandlg::on_toolButton_cancel_clicked()
{
    reject();
}
