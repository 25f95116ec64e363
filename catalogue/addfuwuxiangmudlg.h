#ifndef ADDFUWUXIANGMUDLG_H
#define ADDFUWUXIANGMUDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

namespace Ui { class addfuwuxiangmuDlg; }
class ctrlUiClass;

// Creates and edits service items (table fuwuxiangmu) through
// "添加数据"/"修改数据".
class addfuwuxiangmuDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addfuwuxiangmuDlg(QWidget *parent = nullptr);
    ~addfuwuxiangmuDlg() override;

    // mode 1 = new, 2 = edit; row = the selected row of "服务项目列表"
    // (14 columns in the table's order). A new item starts as a copy.
    void setData(int mode, const QStringList &row);

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // ... 项目类型

private:
    Ui::addfuwuxiangmuDlg *ui;
    ctrlUiClass *m_ctrl;
    int m_mode = 1;
    QString m_oldId;
};

#endif
