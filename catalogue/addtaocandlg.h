#ifndef ADDTAOCANDLG_H
#define ADDTAOCANDLG_H

#include <QDialog>
#include <QModelIndex>
#include <QStringList>
#include <QVariant>

namespace Ui { class addtaocanDlg; }
class ctrlUiClass;

// Edits one package: its header and its lines, kept as the connection's
// working lines (PackageLines) while the dialog is open. "保存" writes the
// package with CatalogueBook and asks the opener to refresh its lists.
class addtaocanDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addtaocanDlg(QWidget *parent = nullptr);
    ~addtaocanDlg() override;

    // mode 1 = new, 2 = edit; row = the selected row of "套餐列表"
    // (code, name, validity, price, remark, ...).
    void setData(int mode, const QStringList &row);

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    // Requests of the line dialog, carried out on the working lines.
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // 修改
    void on_toolButton_4_clicked(); // 添加
    void on_toolButton_5_clicked(); // 删除
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void openLine(int mode, const QStringList &row);
    void reloadLines();

    Ui::addtaocanDlg *ui;
    ctrlUiClass *m_ctrl;
    int m_mode = 1;
    QString m_oldCode; // the package being edited, as stored
};

#endif
