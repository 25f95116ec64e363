#ifndef CUXIAOCANSHUDLG_H
#define CUXIAOCANSHUDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui {
class cuxiaocanshuDlg;
}

// The promotion of one member type. Answers its opener (the promotion settings
// dialog) with DlgSend(QVariant) carrying [member type, method, value], the value
// being the ratio or the fixed final price as typed (checked, normalised).
class cuxiaocanshuDlg : public QDialog
{
    Q_OBJECT
public:
    explicit cuxiaocanshuDlg(QWidget *parent = nullptr);
    ~cuxiaocanshuDlg() override;

    // row of "促销策略明细临时表": member type, price, method, ratio, final price
    void init(const QStringList &row);

signals:
    void DlgSend(QVariant value);

private slots:
    void on_comboBox_currentTextChanged(const QString &method);
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出

private:
    Ui::cuxiaocanshuDlg *ui;
    ctrlUiClass m_ctrl;
    double m_price = 0;
};

#endif
