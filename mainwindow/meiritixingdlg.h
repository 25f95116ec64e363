#ifndef MEIRITIXINGDLG_H
#define MEIRITIXINGDLG_H

#include <QDialog>
#include <QStringList>
#include <QVariant>

#include "ctrluiclass.h"

class QTableView;
namespace Ui { class meiritixingDlg; }

// "每日提醒": birthdays today and in the next 7 days, package items with 1 use or
// fewer left, cards expiring within 30 days, members not seen for 60 days, open
// debts of sales and payments, products at or below their low-stock level, and
// today's bookings not yet settled.
// Every list follows the search text, exports, and opens its member on the front
// desk by double-click (DlgSend "会员选择").
class meiritixingDlg : public QDialog
{
    Q_OBJECT
public:
    explicit meiritixingDlg(QWidget *parent = nullptr);
    ~meiritixingDlg() override;

    // The list names, in tab order.
    static QStringList listNames();
    // The lists that are reminders (the notice counts them), in tab order.
    static QStringList reminderLists();
    // How many rows each of them holds today (name -> count).
    static QList<QPair<QString, int>> counts(ctrlUiClass &ctrl);
    // "今日提醒：1位会员近期生日，…"; "" when every list is empty.
    static QString noticeText(ctrlUiClass &ctrl);
    static QString noticeText(const QList<QPair<QString, int>> &counts);

    int rowCount(const QString &list) const;

signals:
    void DlgSend(QString key, QVariant value);

private slots:
    void on_lineEdit_textChanged(const QString &text);
    void on_toolButton_export_clicked();
    void on_toolButton_close_clicked();

private:
    void openMember(const QString &list, int row);

    Ui::meiritixingDlg *ui;
    ctrlUiClass m_ctrl;
    QList<QTableView *> m_views;
};

#endif
