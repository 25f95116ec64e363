#ifndef CUXIAODLG_H
#define CUXIAODLG_H

#include <QDialog>
#include <QModelIndex>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui {
class cuxiaoDlg;
}

// "促销设置": the promotions of one item, edited in the working table
// tempcuxiaoshezhi and saved as a whole with the validity period: either one
// "所有会员" promotion or one promotion per card type.
class cuxiaoDlg : public QDialog
{
    Q_OBJECT
public:
    explicit cuxiaoDlg(QWidget *parent = nullptr);
    ~cuxiaoDlg() override;

    // mode 2 = edit; row = the item's row of "促销策略临时列表"
    // (ID, name, price, cost price, type, remark)
    void init(int mode, const QStringList &row);

    void done(int result) override;

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QVariant value); // a member type edited in cuxiaocanshuDlg

private slots:
    void on_radioButton_clicked();   // 所有会员统一优惠
    void on_radioButton_2_clicked(); // 指定会员类型优惠
    void on_comboBox_currentTextChanged(const QString &method);
    void on_toolButton_clicked();    // 修改
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_toolButton_2_clicked();  // 保存
    void on_toolButton_3_clicked();  // 退出

private:
    bool uniform() const;
    double price() const;
    void showDetail();
    void setUniformFields(const QString &method, const QString &ratio, const QString &finalPrice);
    bool save();
    void dropWorkTables();

    Ui::cuxiaoDlg *ui;
    ctrlUiClass m_ctrl;
    int m_linkGeneration = 0; // ShopLink::generation() when the working rows were filled
    int m_mode = 0;
    QString m_id;
    QString m_type;
    bool m_tablesDropped = false;
};

#endif
