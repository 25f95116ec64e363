#ifndef SHOUQUANDLG_H
#define SHOUQUANDLG_H

#include <QDialog>

namespace Ui {
class shouquandlg;
}

// Money going back out of the shop needs an operator with the settings right:
// the one at work, or one who stands beside them and types their password.
class shouquandlg : public QDialog
{
    Q_OBJECT
public:
    explicit shouquandlg(QWidget *parent = nullptr);
    ~shouquandlg() override;

    // The operator who allows it: the one logged in when they hold the right,
    // else whoever confirms in this dialog; empty when nobody did.
    static QString authorizer(QWidget *parent);
    // Always asks for the password, also of the operator at work: for an
    // exception they allow on purpose (a refund above its price).
    static QString confirmer(QWidget *parent);

    QString confirmedBy() const { return m_confirmed; }

private slots:
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    Ui::shouquandlg *ui;
    QString m_confirmed;
};

#endif
