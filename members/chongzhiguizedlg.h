#ifndef CHONGZHIGUIZEDLG_H
#define CHONGZHIGUIZEDLG_H

#include <QDialog>

namespace Ui {
class chongzhiguizedlg;
}

// 充值规则: the tiers "充 X 送 Y" (and points) of one card type, edited as a
// table and saved whole.
class chongzhiguizedlg : public QDialog
{
    Q_OBJECT
public:
    explicit chongzhiguizedlg(QWidget *parent = nullptr);
    ~chongzhiguizedlg() override;
    void setup(const QString &cardType);

private slots:
    void on_comboBox_cardType_currentTextChanged(const QString &text);
    void on_toolButton_addTier_clicked();
    void on_toolButton_removeTier_clicked();
    void on_toolButton_save_clicked();
    void on_toolButton_close_clicked();

private:
    Ui::chongzhiguizedlg *ui;
};

#endif
