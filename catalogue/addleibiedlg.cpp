#include "addleibiedlg.h"
#include "ui_addleibiedlg.h"

#include "dialogkeys.h"

#include "adddlg.h"
#include "ctrluiclass.h"
#include "dbfailure.h"
#include "deletionlog.h"
#include "operatorsession.h"
#include "operatorstore.h"
#include "transactionscope.h"
#include "dbsetconfig.h"
#include "sqltext.h"

addleibieDlg::addleibieDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::addleibieDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
    DialogKeys::setMainAction(this, ui->toolButton_3);
}

addleibieDlg::~addleibieDlg()
{
    m_ctrl->clearViews();
    delete ui;
}

void addleibieDlg::setData(const QString &listName)
{
    m_list = listName;
    setWindowTitle(QStringLiteral("类别编辑 - ") + listName);
    m_ctrl->setupView(readDbset(), ui->tableView, listName);
}

void addleibieDlg::on_toolButton_clicked()
{
    addDlg *dlg = new addDlg;
    dlg->setData(m_list);
    dlg->exec();
    delete dlg;
    m_ctrl->refreshView(m_list, QStringLiteral(" "));
}

void addleibieDlg::on_toolButton_2_clicked()
{
    const QStringList row = m_ctrl->currentRowValues(m_list);
    if (row.isEmpty())
        return;
    const QString entry = row.at(0);
    if (!ctrlUiClass::askYesNo(QStringLiteral("是否删除") + entry + QStringLiteral(",确定吗？"), this))
        return;
    // Only this list's entry: the same word may stand in another list too
    // (a category "其他" of products and of services).
    TransactionScope tx;
    // The settings right is looked up inside the save, whatever reached this dialog.
    if (!OperatorStore::requireSettingsRight(operatorSession().loginName)) {
        ctrlUiClass::showInfo(OperatorStore::noRightText(), this);
        return;
    }
    m_ctrl->execSql(QStringLiteral("delete from leibie where mingchen='%1' and leibiestr='%2'")
                        .arg(sqlEsc(entry), sqlEsc(m_list)));
    m_ctrl->writeLog(operatorSession().loginName,
                     deletionLogText(QStringLiteral("类别（%1）").arg(m_list), QString(), entry));
    if (!tx.commit())
        ctrlUiClass::showInfo(saveFailureText(QStringLiteral("删除失败"), tx.firstError()), this);
    m_ctrl->refreshView(m_list, QStringLiteral(" "));
}

void addleibieDlg::on_toolButton_3_clicked()
{
    accept();
}

void addleibieDlg::on_toolButton_4_clicked()
{
    reject();
}
