#ifndef SHOWLOGDLG_H
#define SHOWLOGDLG_H

#include <QDialog>

#include "ctrluiclass.h"

namespace Ui {
class showLogDlg;
}

// Browses the operation log by date range and keyword.
class showLogDlg : public QDialog
{
    Q_OBJECT
public:
    explicit showLogDlg(QWidget *parent = nullptr);
    ~showLogDlg() override;

private slots:
    void on_toolButton_139_clicked(); // 查询
    void on_toolButton_2_clicked();   // 退出

private:
    Ui::showLogDlg *ui;
    ctrlUiClass m_ctrl;
};

#endif
