#ifndef HUIYUANKACHONGCHI_H
#define HUIYUANKACHONGCHI_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

struct PaymentPart;
struct MemberSummary;

namespace Ui {
class huiyuankachongchi;
}

// Balance top-up of a member's stored-value card.
class huiyuankachongchi : public QDialog
{
    Q_OBJECT
public:
    explicit huiyuankachongchi(QWidget *parent = nullptr);
    ~huiyuankachongchi() override;

    // [member ID, name, balance, phone]; shorter lists leave the labels alone.
    // ID, name, balance, phone (as a list row shows them).
    void setup(const QStringList &member);
    void setMember(const MemberSummary &member);

    // The document of the last saved operation (empty until one is saved).
    QString documentId() const { return m_documentId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_lineEdit_textChanged(const QString &text);
    void on_lineEdit_2_textChanged(const QString &text);
    void on_toolButton_clicked();   // 付款
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // 联合付款: part by card terminal, part in cash
    void onCombinedPayment(const QString &key, const QVariant &value);

private:
    void updateCredited();
    // The checks and the save shared by 付款 and 联合付款; payments empty = all
    // of 实际付款 by the chosen method.
    bool save(const QList<PaymentPart> &payments);

    Ui::huiyuankachongchi *ui;
    ctrlUiClass m_ctrl;
    QString m_documentId;
};

#endif
