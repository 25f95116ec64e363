#ifndef CHANPINRUKUDLG_H
#define CHANPINRUKUDLG_H

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <QVariant>

#include "pickersearch.h"

namespace Ui { class chanpinrukuDlg; }
class ctrlUiClass;
class QTimer;

// Puts a stock-in or stock-out document together: double-click a product to
// add a line, double-click a line to correct it. Lines are written as they
// are saved (through the opener), each in its own transaction.
class chanpinrukuDlg : public QDialog
{
    Q_OBJECT
public:
    explicit chanpinrukuDlg(QWidget *parent = nullptr);
    ~chanpinrukuDlg() override;

    // kind: "入库明细" (stock-in) or "出库明细" (stock-out).
    void setData(const QString &kind);
    QString documentId() const { return m_docId; }

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_tableView_doubleClicked(const QModelIndex &index);   // product -> new line
    void on_tableView_2_doubleClicked(const QModelIndex &index); // line -> correct it
    void on_toolButton_clicked();                                // 完成
    void searchEntered();                                        // code or barcode -> new line

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void reload();
    void addLineFor(const QStringList &productRow);
    ViewFilter linesFilter() const;

    Ui::chanpinrukuDlg *ui;
    ctrlUiClass *m_ctrl;
    QString m_kind;
    QString m_docId;
    bool m_docRegistered = false;
    QString m_today;
    PickerSearch m_search{QStringLiteral("产品信息")};
    QTimer *m_typing = nullptr;
};

#endif
