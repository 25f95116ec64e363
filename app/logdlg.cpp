#include "logdlg.h"
#include "ui_logdlg.h"

#include "operatorsession.h"
#include "passwordhash.h"
#include "sqltext.h"

#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>

#include "sqllog.h"

QString encodePassword(const QString &password)
{
    return PasswordHash::hash(password);
}

bool verifyPassword(const QString &typed, const QString &stored)
{
    return PasswordHash::verify(typed, stored);
}

logDlg::logDlg(QWidget *parent) : QDialog(parent), ui(new Ui::logDlg)
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("用户登录"));
    ui->label->setText(QStringLiteral("用户名"));
    ui->label_2->setText(QStringLiteral("密码"));
    ui->toolButton_3->setText(QStringLiteral("登录"));
    ui->toolButton_4->setText(QStringLiteral("退出"));
    ui->label_3->setText(QStringLiteral("默认用户名：admin   默认密码：864213"));
    ui->lineEdit->setEchoMode(QLineEdit::Password);
    ui->lineEdit->setInputMethodHints(Qt::ImhHiddenText);
    connect(ui->lineEdit, &QLineEdit::returnPressed, ui->toolButton_3, &QToolButton::click);

    m_ctrl.fillComboFromSql(ui->comboBox, QStringLiteral("select ID,name from user"));

    const DbsetMap map = readDbset();
    if (map.value(QStringLiteral("logoDlgTitle")).userType() == qMetaTypeId<Softwareinfo>())
        setWindowTitle(map.value(QStringLiteral("logoDlgTitle")).value<Softwareinfo>().info);
}

logDlg::~logDlg() { delete ui; }

void logDlg::on_toolButton_3_clicked()
{
    const QString name = ui->comboBox->currentText();
    const QStringList row = m_ctrl.queryRow(
        QStringLiteral("select password , name,zuidizekou,qiandanjine,xiugaixiaoshoudanjia, xiugaibankajiage,"
                       "tupodijia,xiugaitaocanxiaofeicishu,xitongshezhi,jinyong from user where name='")
        + sqlEsc(name) + QStringLiteral("'"));
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("你输入的用户名不存在!请输入正确的用户名"), this);
        m_ctrl.writeLog(name, QStringLiteral("系统登录失败，用户名不存在"));
        return;
    }
    const QString jinyong = row.at(9);
    if (verifyPassword(ui->lineEdit->text(), row.at(0)) && jinyong == QStringLiteral("否")) {
        OperatorSession &s = operatorSession();
        s.loginName = name;
        s.name = row.at(1);
        s.zuidizekou = static_cast<float>(parseNumber(row.at(2)));
        s.qiandanjine = static_cast<float>(parseNumber(row.at(3)));
        s.xiugaixiaoshoudanjia = row.at(4);
        s.xiugaibankajiage = row.at(5);
        s.tupodijia = row.at(6);
        s.xiugaitaocanxiaofeicishu = row.at(7);
        s.xitongshezhi = row.at(8);
        s.jinyong = jinyong;
        // An account still holding the old reversible form gets the hash now.
        if (PasswordHash::isLegacy(row.at(0))) {
            QSqlQuery q;
            q.prepare(QStringLiteral("update user set password=? where name=?"));
            q.addBindValue(encodePassword(ui->lineEdit->text()));
            q.addBindValue(name);
            if (!q.exec())
                qCWarning(lcSql) << "数据库操作错误：" << q.lastQuery() << q.lastError().text();
        }
        m_ctrl.writeLog(name, QStringLiteral("系统登录成功"));
        accept();
        return;
    }
    if (jinyong == QStringLiteral("是")) {
        ctrlUiClass::showInfo(QStringLiteral("你的账号已被禁用!请联系管理人员"), this);
        m_ctrl.writeLog(name, QStringLiteral("系统登录失败，账号已被禁用"));
        return;
    }
    ctrlUiClass::showInfo(QStringLiteral("你输入的密码错误!请输入正确的密码"), this);
    m_ctrl.writeLog(name, QStringLiteral("系统登录失败，密码错误"));
}

void logDlg::on_toolButton_4_clicked() { close(); }

void logDlg::on_toolButton_clicked() {}
