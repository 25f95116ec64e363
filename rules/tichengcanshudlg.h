#ifndef TICHENGCANSHUDLG_H
#define TICHENGCANSHUDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui {
class tichengcanshuDlg;
}

// "提成方式设置": the method and the three mode values of one employee type.
// Answers its opener (the commission settings dialog) with DlgSend(QVariant)
// carrying [employee type, method, 轮单 value, 点单 value, 其他 value].
class tichengcanshuDlg : public QDialog
{
    Q_OBJECT
public:
    explicit tichengcanshuDlg(QWidget *parent = nullptr);
    ~tichengcanshuDlg() override;

    // row of "提成策略明细临时表": type, method, then percentage and amount of
    // 轮单, 点单 and 其他 in turn
    void init(const QStringList &row);

signals:
    void DlgSend(QVariant value);

private slots:
    void on_comboBox_currentTextChanged(const QString &method);
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出

private:
    Ui::tichengcanshuDlg *ui;
    ctrlUiClass m_ctrl;
};

#endif
