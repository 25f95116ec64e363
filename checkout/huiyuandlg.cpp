#include "huiyuandlg.h"
#include "ui_huiyuandlg.h"

#include "ctrluiclass.h"
#include "dbsetconfig.h"

huiyuanDlg::huiyuanDlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::huiyuanDlg), m_ctrl(new ctrlUiClass(this))
{
    ui->setupUi(this);
}

huiyuanDlg::~huiyuanDlg()
{
    m_ctrl->clearViews();
    delete ui;
}

void huiyuanDlg::setData(const QString &viewName, const QString &suffix)
{
    m_name = viewName;
    setWindowTitle(viewName);
    m_ctrl->setupView(readDbset(), ui->tableView, viewName);
    m_ctrl->refreshView(viewName, suffix);
    if (m_ctrl->viewRowCount(viewName) > 0)
        ui->tableView->selectRow(0);
}

void huiyuanDlg::reply()
{
    const QStringList row = m_ctrl->currentRowValues(m_name);
    // Nothing chosen: stay open rather than answer with an empty row.
    if (row.isEmpty())
        return;
    emit DlgSend(m_name, QVariant(row));
    accept();
}

void huiyuanDlg::on_toolButton_clicked()
{
    reply();
}

void huiyuanDlg::on_tableView_doubleClicked(const QModelIndex &index)
{
    if (index.isValid())
        ui->tableView->setCurrentIndex(index);
    reply();
}

void huiyuanDlg::on_toolButton_2_clicked()
{
    reject();
}
