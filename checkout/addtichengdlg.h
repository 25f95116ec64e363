#ifndef ADDTICHENGDLG_H
#define ADDTICHENGDLG_H

#include <QDialog>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui { class addtichengDlg; }

// Assigns one commission employee to a sale line, proposing the rule stored
// for the item, the employee's type and the order mode.
class addtichengDlg : public QDialog
{
    Q_OBJECT
public:
    explicit addtichengDlg(QWidget *parent = nullptr);
    ~addtichengDlg() override;

    void setup(const QString &mode, const QString &itemId, qint64 baseCents, const QString &itemName,
               const QString &saleId, const QString &lineKey);

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_toolButton_3_clicked();
    void on_radioButton_clicked();
    void on_radioButton_2_clicked();
    void on_radioButton_3_clicked();
    void on_lineEdit_textChanged(const QString &text);
    void on_toolButton_clicked();
    void on_toolButton_2_clicked();

private:
    QString orderMode() const;
    void lookUpRule();
    void applyMethodState();

    Ui::addtichengDlg *ui;
    ctrlUiClass m_db;
    QString m_mode;
    QString m_itemId;
    qint64 m_baseCents = 0; // the amount a percentage is taken of: the line's amount
    QString m_itemName;
    QString m_saleId;
    QString m_lineKey;
    QString m_fixedAmount; // the rule's fixed amount, when the rule pays one
};

#endif
