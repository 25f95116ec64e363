#include "addleibiedlg.h"
#include "ui_addleibiedlg.h"

#include "dialogkeys.h"

#include "adddlg.h"
#include "cataloguebook.h"
#include "ctrluiclass.h"
#include "dbsetconfig.h"
#include "operatorsession.h"

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
    const LedgerResult r = CatalogueBook::removeCategory(m_list, entry, operatorSession().loginName);
    if (!r.ok)
        ctrlUiClass::showInfo(r.error, this);
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
