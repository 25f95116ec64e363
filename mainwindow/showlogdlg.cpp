#include "showlogdlg.h"
#include "ui_showlogdlg.h"

#include "sqltext.h"

#include <QDateTime>

showLogDlg::showLogDlg(QWidget *parent) : QDialog(parent), ui(new Ui::showLogDlg)
{
    ui->setupUi(this);
    m_ctrl.setupView(readDbset(), ui->tableView, QStringLiteral("日志查询"));
    const QDateTime now = QDateTime::currentDateTime();
    m_ctrl.refreshView(QStringLiteral("日志查询"),
                       " where time between '" + now.toString(QStringLiteral("yyyy-MM-dd 00:00:00"))
                           + "'  and '" + now.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) + "'");
    ui->dateEdit->setDate(now.date());
    ui->dateEdit_2->setDate(now.date());
}

showLogDlg::~showLogDlg()
{
    delete ui;
}

void showLogDlg::on_toolButton_139_clicked()
{
    const QString start = ui->dateEdit->date().toString(QStringLiteral("yyyy-MM-dd"));
    const QString end = ui->dateEdit_2->date().toString(QStringLiteral("yyyy-MM-dd")) + " 23:59:59";
    QString where = " where time between '" + start + "'  and '" + end + "' ";
    const QString keyword = ui->lineEdit->text();
    if (!keyword.isEmpty())
        where += "and log like '%" + sqlEsc(keyword) + "%'";
    m_ctrl.refreshView(QStringLiteral("日志查询"), where);
}

void showLogDlg::on_toolButton_2_clicked()
{
    close();
}
