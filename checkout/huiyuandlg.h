#ifndef HUIYUANDLG_H
#define HUIYUANDLG_H

#include <QDialog>
#include <QModelIndex>
#include <QStringList>
#include <QVariant>

#include "pickersearch.h"
#include "viewfilter.h"

namespace Ui { class huiyuanDlg; }
class ctrlUiClass;
class QTimer;

// Generic row picker over a TableView entry of dbset.xml ("会员选择", "员工管理",
// "服务项目选择", ...). Answers once with the view name as key and the chosen
// row (every column, as text) as a QStringList, then closes.
class huiyuanDlg : public QDialog
{
    Q_OBJECT
public:
    explicit huiyuanDlg(QWidget *parent = nullptr);
    ~huiyuanDlg() override;

    // View name (also the reply key and the window title) and the text appended
    // to the view's base SELECT (" " for none).
    void setData(const QString &viewName, const QString &suffix);
    // The same with its conditions bound (the member search of the front desk).
    void setData(const QString &viewName, const ViewFilter &filter);

    QString viewName() const { return m_name; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void DlgSend(QString key, QVariant value);

private:
    void open(const QString &viewName); // the title, the search field and the list's columns

private slots:
    void on_toolButton_clicked();   // 选中
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_toolButton_2_clicked(); // 取消
    void on_lineEdit_returnPressed();
    void search(); // the list for the text typed so far

private:
    void reply();

    Ui::huiyuanDlg *ui;
    ctrlUiClass *m_ctrl;
    QString m_name;
    PickerSearch m_search{QString()};
    QTimer *m_typing = nullptr;
};

#endif
