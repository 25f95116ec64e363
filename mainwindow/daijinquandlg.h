#ifndef DAIJINQUANDLG_H
#define DAIJINQUANDLG_H

#include <QDialog>

#include "ctrluiclass.h"

namespace Ui {
class daijinquandlg;
}

// 代金券: the shop's numbered vouchers with what is issued, used and still
// owed (合计 and export like every list), their issue or sale in batches,
// their void, and whether a partly used one keeps its rest.
class daijinquandlg : public QDialog
{
    Q_OBJECT
public:
    explicit daijinquandlg(QWidget *parent = nullptr);
    ~daijinquandlg() override;
    QString lastDocument() const { return m_last; }

private slots:
    void on_toolButton_issue_clicked();
    void on_toolButton_search_clicked();
    void on_toolButton_void_clicked();
    void on_toolButton_saveSetting_clicked();
    void on_toolButton_export_clicked();
    void on_toolButton_close_clicked();

private:
    Ui::daijinquandlg *ui;
    ctrlUiClass m_ctrl;
    QString m_last;
};

#endif
