#ifndef HUIYUANKASHENGJIDLG_H
#define HUIYUANKASHENGJIDLG_H

#include <QDialog>

#include "cardupgrade.h"
#include "ctrluiclass.h"

namespace Ui {
class huiyuankashengjidlg;
}

// 会员卡升级: the member keeps the card and changes its type. The amount due,
// the value credited and its bonus follow from the chosen type and the shop's
// rule, shown before payment; the writer prices it again inside its transaction.
class huiyuankashengjidlg : public QDialog
{
    Q_OBJECT
public:
    explicit huiyuankashengjidlg(QWidget *parent = nullptr);
    ~huiyuankashengjidlg() override;

    void setup(const QString &memberId);
    QString documentId() const { return m_documentId; }

private slots:
    void on_comboBox_newType_currentTextChanged(const QString &text);
    void on_toolButton_ok_clicked();
    void on_toolButton_cancel_clicked();

private:
    void showHistory();

    Ui::huiyuankashengjidlg *ui;
    ctrlUiClass m_ctrl;
    QString m_memberId;
    QString m_documentId;
    CardUpgradeQuote m_quote;
};

#endif
