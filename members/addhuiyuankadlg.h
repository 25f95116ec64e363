#ifndef ADDHUIYUANKADLG_H
#define ADDHUIYUANKADLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui {
class addhuiyuankaDlg;
}

// Card type editor: what a card costs, what it credits, and the discount
// factors the checkout applies to its holders.
class addhuiyuankaDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addhuiyuankaDlg(QWidget *parent = nullptr);
    ~addhuiyuankaDlg() override;

    // mode 1 = new card type, 2 = edit the row of the card type list.
    void setup(int mode, const QStringList &row);

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出

private:
    Ui::addhuiyuankaDlg *ui;
    ctrlUiClass m_ctrl;
    int m_mode = 1;
};

#endif
