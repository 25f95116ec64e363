#include "logdlg.h"
#include "ui_logdlg.h"

#include "changepassworddlg.h"
#include "choicelists.h"
#include "operatorpasswords.h"
#include "operatorsession.h"
#include "passwordhash.h"
#include "operatorwriter.h"
#include "sqltext.h"

#include <QLineEdit>

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
    // The default password is shown only while it still opens the shop: once it
    // has been changed, showing it would only mislead (or help a stranger).
    ui->label_3->setText(defaultAdminPasswordInUse()
                             ? QStringLiteral("默认用户名：admin   默认密码：%1").arg(QLatin1String(kDefaultAdminPassword))
                             : QStringLiteral("忘记密码请找有系统设置权限的操作员重置"));
    ui->lineEdit->setEchoMode(QLineEdit::Password);
    ui->lineEdit->setInputMethodHints(Qt::ImhHiddenText);
    connect(ui->lineEdit, &QLineEdit::returnPressed, ui->toolButton_3, &QToolButton::click);

    ctrlUiClass::fillComboFromRows(ui->comboBox, ChoiceLists::operators());

    const DbsetMap map = readDbset();
    if (map.value(QStringLiteral("logoDlgTitle")).userType() == qMetaTypeId<Softwareinfo>())
        setWindowTitle(map.value(QStringLiteral("logoDlgTitle")).value<Softwareinfo>().info);
}

logDlg::~logDlg() { delete ui; }

void logDlg::on_toolButton_3_clicked()
{
    const QString name = ui->comboBox->currentText();
    const QStringList row = OperatorStore::loginRow(name);
    if (row.isEmpty()) {
        ctrlUiClass::showInfo(QStringLiteral("你输入的用户名不存在!请输入正确的用户名"), this);
        m_ctrl.writeLog(name, QStringLiteral("系统登录失败，用户名不存在"));
        return;
    }
    const QString jinyong = row.at(9);
    const QString typed = ui->lineEdit->text();
    const QString stored = row.at(0);
    if (verifyPassword(typed, stored) && jinyong == QStringLiteral("否")) {
        // Everybody knows the default password, and a blank one is none: they
        // open the shop only once, to choose a new one.
        if (OperatorStore::isWeakPassword(typed)) {
            ChangePasswordDlg change;
            change.setOperator(name, true);
            if (change.exec() != QDialog::Accepted) {
                ctrlUiClass::showInfo(QStringLiteral("请先设置新密码，然后才能使用本系统"), this);
                return;
            }
        }
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
        // An account still holding the old reversible form gets the hash now
        // (a new default password has just been stored as a hash anyway).
        if (!OperatorStore::isWeakPassword(typed) && PasswordHash::isLegacy(stored)) {
            const LedgerResult upgraded = OperatorWriter::storePassword(name, encodePassword(typed), name, QString());
            if (!upgraded.ok)
                qCWarning(lcSql).noquote() << upgraded.error;
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
    // A stored password that cannot be checked is not the typist's fault: say
    // what helps.
    if (stored.isEmpty() || (PasswordHash::isLegacy(stored) && !PasswordHash::legacyCanHold(typed))) {
        ctrlUiClass::showInfo(QStringLiteral("该账号的密码无法核对（没有设置密码，或由旧版本保存而含有中文等字符）。\n"
                                             "请让有系统设置权限的操作员为您重置密码。"),
                              this);
        m_ctrl.writeLog(name, QStringLiteral("系统登录失败，密码需要重置"));
        return;
    }
    ctrlUiClass::showInfo(QStringLiteral("你输入的密码错误!请输入正确的密码"), this);
    m_ctrl.writeLog(name, QStringLiteral("系统登录失败，密码错误"));
}

void logDlg::on_toolButton_4_clicked() { close(); }

void logDlg::on_toolButton_clicked() {}
