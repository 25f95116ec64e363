#ifndef GUADANDLG_H
#define GUADANDLG_H

#include <QDialog>
#include <QModelIndex>
#include <QVariant>

namespace Ui { class guadanDlg; }
class ctrlUiClass;

// 解挂: the shop's held bills (member, time, total, operator), oldest first.
// Answers once with "解挂" and the chosen held bill's number, then closes; the
// opener resumes it into a checkout.
class guadanDlg : public QDialog
{
    Q_OBJECT
public:
    explicit guadanDlg(QWidget *parent = nullptr);
    ~guadanDlg() override;

    int billCount() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_toolButton_clicked();   // 取单
    void on_toolButton_2_clicked(); // 删除挂单
    void on_toolButton_3_clicked(); // 取消
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void reload();
    QString currentId() const;

    Ui::guadanDlg *ui;
    ctrlUiClass *m_ctrl;
};

#endif
