#ifndef ADDHUIYUANDLG_H
#define ADDHUIYUANDLG_H

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

class QDateEdit;

namespace Ui {
class addhuiyuandlg;
}

// Member registration with card issue (mode 1), or the personal data of an
// existing member (mode 2).
class addhuiyuandlg : public QDialog
{
    Q_OBJECT
public:
    explicit addhuiyuandlg(QWidget *parent = nullptr);
    ~addhuiyuandlg() override;

    // mode 1 = new member (row ignored), 2 = edit the row of the member list.
    void setup(int mode, const QStringList &row);
    // The card issue's document, once one was saved.
    QString documentId() const { return m_documentId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

public slots:
    void DlgRecv(const QString &key, const QVariant &value);

private slots:
    void on_toolButton_clicked();   // 保存
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // commission employee picker
    void on_toolButton_4_clicked(); // card type editor
    void on_comboBox_3_currentTextChanged(const QString &cardType);
    void on_comboBox_4_currentTextChanged(const QString &package);

private:
    void fillAdvisers();
    void fillCardTypes();
    QString adviserId() const;
    void selectAdviser(const QString &id, const QString &name);
    bool validateCommon();
    void saveNew();
    bool issueCard(); // with the payment dialog's answer; false when refused
    void saveEdit();
    static void setDateFromText(QDateEdit *edit, const QString &text, QDate *shown);
    QString dateForSave(QDateEdit *edit, const QDate &shown, const QString &stored) const;

    Ui::addhuiyuandlg *ui;
    ctrlUiClass m_ctrl;
    int m_mode = 1;
    bool m_ready = false;
    QString m_documentId;
    QStringList m_adviserIds;  // employee IDs, parallel to comboBox_2
    QStringList m_packageIds;  // package codes, parallel to comboBox_4 ("无" last)
    QStringList m_payment;     // the payment dialog's answer
    bool m_issued = false;
    bool m_cardFound = false;  // the card type lookup gave exactly one row
    // What edit mode loaded, so untouched dates are written back as they were.
    QString m_storedBirthday, m_storedExpiry;
    QDate m_shownBirthday, m_shownExpiry;
};

#endif
