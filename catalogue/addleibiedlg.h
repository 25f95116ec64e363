#ifndef ADDLEIBIEDLG_H
#define ADDLEIBIEDLG_H

#include <QDialog>
#include <QString>

namespace Ui { class addleibieDlg; }
class ctrlUiClass;

// Keeps the entries of one named list of table leibie ("项目类型", "产品类型",
// "产品单位", "员工类别"). Writes leibie itself; sends no requests.
class addleibieDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addleibieDlg(QWidget *parent = nullptr);
    ~addleibieDlg() override;

    void setData(const QString &listName);
    QString listName() const { return m_list; }

private slots:
    void on_toolButton_clicked();   // 添加
    void on_toolButton_2_clicked(); // 删除
    void on_toolButton_3_clicked(); // 确定
    void on_toolButton_4_clicked(); // 退出

private:
    Ui::addleibieDlg *ui;
    ctrlUiClass *m_ctrl;
    QString m_list;
};

#endif
