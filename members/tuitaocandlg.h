#ifndef TUITAOCANDLG_H
#define TUITAOCANDLG_H

#include <QDialog>
#include <QVariant>

#include "ctrluiclass.h"
#include "refundwriter.h"

namespace Ui {
class tuitaocandlg;
}

// 退套餐: unused uses of one package item returned for what they cost the member.
class tuitaocandlg : public QDialog
{
    Q_OBJECT
public:
    explicit tuitaocandlg(QWidget *parent = nullptr);
    ~tuitaocandlg() override;

    // Lists the member's items with uses left; `itemId` is chosen when held.
    void setup(const QString &memberId, const QString &itemId = QString());
    QString documentId() const { return m_documentId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_comboBox_item_currentIndexChanged(int index);
    void on_lineEdit_uses_textChanged(const QString &text);
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    Ui::tuitaocandlg *ui;
    ctrlUiClass m_ctrl;
    QString m_memberId;
    QString m_documentId;
    QList<PackageQuote> m_items; // in the combo's order
    PackageQuote currentQuote() const;
};

#endif
