#ifndef ADDDLG_H
#define ADDDLG_H

#include <QDialog>
#include <QString>

namespace Ui { class addDlg; }
class ctrlUiClass;

// Adds one entry to a named list of table leibie.
class addDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addDlg(QWidget *parent = nullptr);
    ~addDlg() override;

    void setData(const QString &listName);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出

private:
    Ui::addDlg *ui;
    ctrlUiClass *m_ctrl;
    QString m_list;
};

#endif
