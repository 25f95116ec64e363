#ifndef HUIYUANKACHONGCHI_H
#define HUIYUANKACHONGCHI_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

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
    void setup(const QStringList &member);

    // The document of the last saved operation (empty until one is saved).
    QString documentId() const { return m_documentId; }

signals:
    void DlgSend(const QString &key, const QVariant &value);

private slots:
    void on_lineEdit_textChanged(const QString &text);
    void on_lineEdit_2_textChanged(const QString &text);
    void on_toolButton_clicked();   // 付款
    void on_toolButton_2_clicked(); // 退出
    void on_toolButton_3_clicked(); // 联合付款 (hidden)

private:
    void updateCredited();

    Ui::huiyuankachongchi *ui;
    ctrlUiClass m_ctrl;
    QString m_documentId;
};

#endif
