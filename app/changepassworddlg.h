#ifndef CHANGEPASSWORDDLG_H
#define CHANGEPASSWORDDLG_H

#include <QDialog>

namespace Ui { class ChangePasswordDlg; }

// "修改密码": an operator changes their own password (old password, new twice).
// At the first login with the default password the old one is already proven
// and the operator must choose a new one before the main window opens.
class ChangePasswordDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ChangePasswordDlg(QWidget *parent = nullptr);
    ~ChangePasswordDlg() override;

    void setOperator(const QString &name, bool firstLogin);

private slots:
    void on_saveButton_clicked();
    void on_cancelButton_clicked();

private:
    Ui::ChangePasswordDlg *ui;
    QString m_name;
    bool m_firstLogin = false;
};

#endif
