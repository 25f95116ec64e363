#ifndef TUICHUZHIDLG_H
#define TUICHUZHIDLG_H

#include <QDialog>
#include <QVariant>

#include "accountbooks.h"
#include "ctrluiclass.h"

namespace Ui {
class tuichuzhidlg;
}

// 退储值: part or all of a member's card balance paid back by a method: the
// balance shown as paid value, bonus and debt, the refundable amount proposed.
class tuichuzhidlg : public QDialog
{
    Q_OBJECT
public:
    explicit tuichuzhidlg(QWidget *parent = nullptr);
    ~tuichuzhidlg() override;

    void setup(const QString &memberId);
    QString documentId() const { return m_documentId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_lineEdit_paidBack_textEdited(const QString &text);
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    Ui::tuichuzhidlg *ui;
    ctrlUiClass m_ctrl;
    QString m_documentId;
    StoredValue m_value; // as the dialog opened; the writer reads it again
};

#endif
