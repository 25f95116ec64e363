#ifndef DAORUDLG_H
#define DAORUDLG_H

#include "openingimport.h"

#include <QDialog>
#include <QVariant>

namespace Ui {
class DaoruDlg;
}

// 导入: a shop's members (or service items, or products) from its own
// spreadsheet. The cashier picks the file, sees its first rows and how each
// column is taken, runs the check (nothing written) and imports; a long import
// shows its progress and can be cancelled, leaving nothing behind. Earlier
// imports are listed and can be taken back.
class DaoruDlg : public QDialog
{
    Q_OBJECT
public:
    explicit DaoruDlg(ImportKind kind, QWidget *parent = nullptr);
    ~DaoruDlg() override;

    // Reads the file as "选择文件…" does (for a file the opener already knows).
    bool loadFile(const QString &path);
    // The field key each column of the file is taken as ("" for none).
    QStringList mapping() const;
    void setMapping(int column, const QString &fieldKey);

signals:
    void DlgSend(QString key, QVariant value);

public slots:
    void reject() override;

private slots:
    void on_pushButton_choose_clicked();
    void on_pushButton_template_clicked();
    void on_pushButton_export_clicked();
    void on_pushButton_check_clicked();
    void on_pushButton_import_clicked();
    void on_pushButton_cancel_clicked();
    void on_pushButton_close_clicked();
    void on_pushButton_takeBack_clicked();
    void on_pushButton_exportImports_clicked();

private:
    OpeningImport build() const;
    void showProblems(const ImportCheck &check);
    void fillImports();
    void rememberMapping() const;
    void setBusy(bool busy);
    QString settingsGroup() const;
    QString askSavePath(const QString &caption, const QString &name);

    Ui::DaoruDlg *ui;
    class ctrlUiClass *m_ctrl;
    ImportKind m_kind;
    Sheet m_sheet;
    QString m_path;
    bool m_busy = false;
    bool m_cancelled = false;
};

#endif
