#ifndef ADDYUANGONGDLG_H
#define ADDYUANGONGDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

namespace Ui { class addyuangongDlg; }
class ctrlUiClass;

// Creates and edits employees (table yuangong) through "添加数据"/"修改数据".
class addyuangongDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addyuangongDlg(QWidget *parent = nullptr);
    ~addyuangongDlg() override;

    // mode 1 = new, 2 = edit; row = the selected row of "员工管理"
    // (ID, name, type, phone, disabled, remark). A new employee starts as a copy.
    void setData(int mode, const QStringList &row);

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // ... 员工类别

private:
    Ui::addyuangongDlg *ui;
    ctrlUiClass *m_ctrl;
    int m_mode = 1;
    QString m_oldId;
};

#endif
