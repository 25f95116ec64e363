#ifndef ADDCHANPINDLG_H
#define ADDCHANPINDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

namespace Ui { class addchanpinDlg; }
class ctrlUiClass;

// Creates and edits products (table chanpin). A new product is handed over
// together with its zero stock movement, in one transaction.
class addchanpinDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addchanpinDlg(QWidget *parent = nullptr);
    ~addchanpinDlg() override;

    // mode 1 = new, 2 = edit; row = the selected row of "产品管理"
    // (ID, name, barcode, category, unit, size (guige), 时价商品, purchase
    // price, selling price, floor price, remark). A new product starts as a copy.
    void setData(int mode, const QStringList &row);

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // ... 产品类型
    void on_toolButton_4_clicked(); // ... 产品单位

private:
    Ui::addchanpinDlg *ui;
    ctrlUiClass *m_ctrl;
    int m_mode = 1;
    QString m_oldId;
};

#endif
