#ifndef ADDTAOCANXIANGMUDLG_H
#define ADDTAOCANXIANGMUDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

namespace Ui { class addtaocanxiangmuDlg; }
class ctrlUiClass;

// One line of a package: a service item with its number of uses and price.
// Used by the package dialog and by the package renewal, which receive the
// line through DlgSend ("添加数据" for "temptaocanxiangmuliebiao", eight values;
// in mode 2 preceded by "删除数据" of the old line by xiangmuID).
class addtaocanxiangmuDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addtaocanxiangmuDlg(QWidget *parent = nullptr);
    ~addtaocanxiangmuDlg() override;

    // mode 1 = add a line, 2 = change the line given as row (a row of
    // "套餐明细临时列表": code, name, list price, uses, discounted price,
    // line total, care cycle, remark).
    void setData(int mode, const QStringList &row);
    // A new line for the service item of this code, as if it had been typed:
    // what a renewal of an item the member already holds starts from.
    void presetItem(const QString &code);

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // ... pick the service item
    void on_lineEdit_editingFinished();
    void recomputeTotal();

private:
    void showItem(const QStringList &item);
    bool lookUpTypedCode();

    Ui::addtaocanxiangmuDlg *ui;
    ctrlUiClass *m_ctrl;
    int m_mode = 1;
    QString m_oldCode; // the line being changed (mode 2)
    QString m_category;
};

#endif
