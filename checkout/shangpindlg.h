#ifndef SHANGPINDLG_H
#define SHANGPINDLG_H

#include <QDialog>
#include <QVariant>

#include "ctrluiclass.h"
#include "pickersearch.h"

class FuwuxiaofeiDlg;
class QTimer;

namespace Ui { class shangpinDlg; }

// Item picker of the checkout: lists the service items or the products and
// hands the chosen row to the line editor.
class shangpinDlg : public QDialog
{
    Q_OBJECT
public:
    explicit shangpinDlg(QWidget *parent = nullptr);
    ~shangpinDlg() override;

    // mode is "服务项目选择" or "产品选择": window title and view name alike;
    // typed is the search text to start with.
    void setup(const QString &cardName, const QString &mode, const QString &saleId,
               const QString &typed = QString());
    // The item whose code (or barcode) is exactly the text goes into the sale
    // at once, quantity 1, priced and checked as the line editor does. False
    // when no single item has that code; true when one has (the line was
    // added, or refused with its message).
    bool addByCode(const QString &typed);
    // Built ahead of its first use, while the checkout waits for the cashier: its
    // list bound and read for `mode`, its line editor made, both styled and laid out.
    void prepare(const QString &mode);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_tableView_clicked(const QModelIndex &index);
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_toolButton_clicked();
    void on_toolButton_2_clicked();
    void on_lineEdit_returnPressed();

private:
    void bind(const QString &mode);
    void pickCurrent();
    FuwuxiaofeiDlg *lineEditor();
    void search();
    QStringList rowOf(const QString &code);

    Ui::shangpinDlg *ui;
    ctrlUiClass m_db;
    QString m_cardName;
    QString m_mode;
    QString m_saleId;
    PickerSearch m_search{QString()};
    QTimer *m_typing = nullptr;
    FuwuxiaofeiDlg *m_editor = nullptr; // kept for the next line
};

#endif
