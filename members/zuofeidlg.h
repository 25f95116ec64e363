#ifndef ZUOFEIDLG_H
#define ZUOFEIDLG_H

#include <QDialog>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui {
class zuofeidlg;
}

// 作废消费单: shows what voiding the sale gives back and asks for the reason.
class zuofeidlg : public QDialog
{
    Q_OBJECT
public:
    explicit zuofeidlg(QWidget *parent = nullptr);
    ~zuofeidlg() override;

    // Why the sale cannot be voided, or "" when the dialog is ready.
    QString setup(const QString &saleId);
    QString documentId() const { return m_documentId; }
    // The sale's member, whose the reversing document is too.
    QString memberId() const { return m_memberId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    Ui::zuofeidlg *ui;
    ctrlUiClass m_ctrl;
    QString m_saleId;
    QString m_memberId;
    QString m_documentId;
};

#endif
