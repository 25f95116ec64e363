#ifndef TAOCANYOUXIAOQIDLG_H
#define TAOCANYOUXIAOQIDLG_H

#include <QDialog>

#include "packageexpiry.h"

namespace Ui {
class taocanyouxiaoqidlg;
}

// 套餐有效期: a member's package item extended to a new date (an operator
// with the settings right allows it), and the shop's two settings: whether
// expired uses may still be used, and how far ahead 每日提醒 looks.
class taocanyouxiaoqidlg : public QDialog
{
    Q_OBJECT
public:
    explicit taocanyouxiaoqidlg(QWidget *parent = nullptr);
    ~taocanyouxiaoqidlg() override;
    void setup(const QString &memberId, const QString &memberName, const QString &itemId = QString());

private slots:
    void on_comboBox_item_currentIndexChanged(int index);
    void on_toolButton_extend_clicked();
    void on_toolButton_saveSettings_clicked();
    void on_toolButton_close_clicked();

private:
    Ui::taocanyouxiaoqidlg *ui;
    QString m_memberId;
    QList<HeldPackageItem> m_items;
};

#endif
