#ifndef TAOCANSELECTDLG_H
#define TAOCANSELECTDLG_H

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <QVariant>

namespace Ui { class taocanselectDlg; }
class ctrlUiClass;

// Package picker of the package renewal: copies the items of the chosen package
// into temphuiyuantaocan for one member and closes (accepted). It sends no reply;
// the opener reads the working table afterwards. Closing without a choice
// (取消, Escape) rejects and writes nothing.
class taocanselectDlg : public QDialog
{
    Q_OBJECT
public:
    explicit taocanselectDlg(QWidget *parent = nullptr);
    ~taocanselectDlg() override;

    void setData(const QString &huiyuanID);

signals:
    void DlgSend(QString key, QVariant value); // never emitted; kept for the common wiring

private slots:
    void on_toolButton_3_clicked(); // 确定
    void on_toolButton_4_clicked(); // 取消
    void on_tableView_doubleClicked(const QModelIndex &index);

private:
    void choose();

    Ui::taocanselectDlg *ui;
    ctrlUiClass *m_ctrl;
    QString m_huiyuanID;
};

#endif
