#ifndef LOGDLG_H
#define LOGDLG_H

#include <QDialog>

#include "ctrluiclass.h"

namespace Ui { class logDlg; }

// The stored form of a new or changed password: a salted PBKDF2 hash (passwordhash.h).
QString encodePassword(const QString &password);

// Whether a typed password matches the stored form of an operator (either form).
bool verifyPassword(const QString &typed, const QString &stored);

// The login every session passes through; a successful login fills operatorSession().
class logDlg : public QDialog
{
    Q_OBJECT
public:
    explicit logDlg(QWidget *parent = nullptr);
    ~logDlg() override;

private slots:
    void on_toolButton_3_clicked(); // 登录
    void on_toolButton_4_clicked(); // 退出
    void on_toolButton_clicked();

private:
    Ui::logDlg *ui;
    ctrlUiClass m_ctrl;
};

#endif
