#include "adddlg.h"
#include "ui_adddlg.h"

#include "dialogkeys.h"

#include "cataloguesupport.h"
#include "ctrluiclass.h"
#include "sqltext.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "transactionscope.h"

addDlg::addDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton);
}

addDlg::~addDlg()
{
    delete ui;
}

void addDlg::setData(const QString &listName)
{
    m_list = listName;
    setWindowTitle(QStringLiteral("类别编辑 - ") + listName);
}

void addDlg::on_toolButton_clicked()
{
    const QString entry = ui->lineEdit->text().trimmed();
    // An empty entry cannot be chosen sensibly, and a second copy of one
    // would be deleted together with the first.
    if (entry.isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("类别名称不能为空"), this);
        return;
    }
    if (!m_ctrl->queryRows(QStringLiteral("select mingchen from leibie where mingchen='%1' and leibiestr='%2'")
                               .arg(sqlEsc(entry), sqlEsc(m_list))).isEmpty()) {
        Catalogue::plainMessage(QStringLiteral("该类别已经存在！"), this);
        return;
    }
    TransactionScope tx;
    // The settings right is looked up inside the save, whatever reached this dialog.
    if (!OperatorStore::requireSettingsRight(operatorSession().loginName)) {
        ctrlUiClass::showInfo(OperatorStore::noRightText(), this);
        return;
    }
    m_ctrl->execSql(QStringLiteral("INSERT INTO leibie(mingchen,leibiestr,beizhu) VALUES('%1','%2','')")
                        .arg(sqlEsc(entry), sqlEsc(m_list)));
    if (!tx.commit()) {
        ctrlUiClass::showInfo(Catalogue::saveFailedText(tx.firstError()), this);
        return;
    }
    accept();
}

void addDlg::on_toolButton_2_clicked()
{
    reject();
}
