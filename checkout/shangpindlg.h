#ifndef SHANGPINDLG_H
#define SHANGPINDLG_H

#include <QDialog>
#include <QVariant>

#include "ctrluiclass.h"

namespace Ui { class shangpinDlg; }

// Item picker of the checkout: lists the service items or the products and
// hands the chosen row to the line editor.
class shangpinDlg : public QDialog
{
    Q_OBJECT
public:
    explicit shangpinDlg(QWidget *parent = nullptr);
    ~shangpinDlg() override;

    // mode is "服务项目选择" or "产品选择": window title and view name alike.
    void setup(const QString &cardName, const QString &mode, const QString &saleId);

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void DlgRecv(QString key, QVariant value);

private slots:
    void on_tableView_clicked(const QModelIndex &index);
    void on_tableView_doubleClicked(const QModelIndex &index);
    void on_toolButton_clicked();
    void on_toolButton_2_clicked();

private:
    void pickCurrent();

    Ui::shangpinDlg *ui;
    ctrlUiClass m_db;
    QString m_cardName;
    QString m_mode;
    QString m_saleId;
};

#endif
