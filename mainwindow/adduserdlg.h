#ifndef ADDUSERDLG_H
#define ADDUSERDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui {
class addUserDlg;
}

// Adds an operator or changes an operator's rights ("用户管理" page).
class addUserDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addUserDlg(QWidget *parent = nullptr);
    ~addUserDlg() override;

    // mode 1 = new operator, 2 = change; row = a row of the "用户管理" list
    // (name, two amounts, five rights, disabled flag).
    void setData(int mode, const QStringList &row);

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出

private:
    Ui::addUserDlg *ui;
    ctrlUiClass m_ctrl;
    int m_mode = 1;
};

#endif
