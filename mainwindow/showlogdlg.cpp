#include "showlogdlg.h"
#include "ui_showlogdlg.h"

#include "reportquery.h"

#include <QDateTime>

showLogDlg::showLogDlg(QWidget *parent) : QDialog(parent), ui(new Ui::showLogDlg)
{
    ui->setupUi(this);
    m_ctrl.setupView(readDbset(), ui->tableView, QStringLiteral("日志查询"));
    const QDateTime now = QDateTime::currentDateTime();
    m_ctrl.refreshView(QStringLiteral("日志查询"), ReportQuery::operationLogToday(now));
    ui->dateEdit->setDate(now.date());
    ui->dateEdit_2->setDate(now.date());
}

showLogDlg::~showLogDlg()
{
    delete ui;
}

void showLogDlg::on_toolButton_139_clicked()
{
    m_ctrl.refreshView(QStringLiteral("日志查询"),
                       ReportQuery::operationLog(ui->dateEdit->date().toString(QStringLiteral("yyyy-MM-dd")),
                                                 ui->dateEdit_2->date().toString(QStringLiteral("yyyy-MM-dd")),
                                                 ui->lineEdit->text()));
}

void showLogDlg::on_toolButton_2_clicked()
{
    close();
}
