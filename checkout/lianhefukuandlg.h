#ifndef LIANHEFUKUANDLG_H
#define LIANHEFUKUANDLG_H

#include <QDialog>
#include <QList>
#include <QStringList>
#include <QVariant>

namespace Ui { class lianhefukuanDlg; }
class QCheckBox;
class QLineEdit;

// Split payment over the five fixed methods. Writes nothing: "保存" answers the
// opener with "联合付款" and a redbctrlstruct {table = unpaid amount,
// fields = ticked method names, values = their amounts}, then closes.
class lianhefukuanDlg : public QDialog
{
    Q_OBJECT
public:
    explicit lianhefukuanDlg(QWidget *parent = nullptr);
    ~lianhefukuanDlg() override;

    // [amount due, amount unpaid, customer text, card balance]; fewer than four
    // values set nothing. A customer text whose member ID (after the colon) is
    // "0000" is the walk-in customer, who may not leave a debt.
    void setData(const QStringList &list);
    // Called by the opener while it handles "联合付款": the payment was refused or
    // failed, so the dialog stays open with the cashier's amounts.
    void keepOpen() { m_keepOpen = true; }
    // Money paid onto the card cannot come from the card: 储蓄卡 is not offered.
    void withoutCard();

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void checkboxClick();
    void on_lineEdit_textChanged(const QString &text);
    void on_lineEdit_2_textChanged(const QString &text);
    void on_lineEdit_3_textChanged(const QString &text);
    void on_lineEdit_4_textChanged(const QString &text);
    void on_lineEdit_5_textChanged(const QString &text);
    void on_toolButton_4_clicked(); // 保存
    void on_toolButton_5_clicked(); // 退出

private:
    bool isWalkIn() const;
    double due() const;
    double balance() const;
    // Due minus every ticked amount except the row given (-1: all rows).
    double unpaidWithout(int skipRow) const;
    void recompute();

    Ui::lianhefukuanDlg *ui;
    QList<QCheckBox *> m_boxes;
    QList<QLineEdit *> m_edits;
    bool m_adjusting = false;
    bool m_keepOpen = false;
};

#endif
