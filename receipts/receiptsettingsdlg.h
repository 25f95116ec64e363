#ifndef RECEIPTSETTINGSDLG_H
#define RECEIPTSETTINGSDLG_H

#include <QDialog>

namespace Ui {
class receiptsettingsdlg;
}

// The shop's name, address and phone on every receipt, the paper, and whether
// a receipt prints by itself after each checkout.
class receiptsettingsdlg : public QDialog
{
    Q_OBJECT
public:
    explicit receiptsettingsdlg(QWidget *parent = nullptr);
    ~receiptsettingsdlg() override;

private slots:
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    Ui::receiptsettingsdlg *ui;
};

#endif
