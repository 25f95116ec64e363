#ifndef RECEIPTDLG_H
#define RECEIPTDLG_H

#include <QDialog>

namespace Ui {
class receiptdlg;
}
class QPrinter;
class QPrintPreviewWidget;

// The receipt preview: choose the paper, print, or save as PDF.
class receiptdlg : public QDialog
{
    Q_OBJECT
public:
    explicit receiptdlg(QWidget *parent = nullptr);
    ~receiptdlg() override;

    void setup(const QString &documentId);

private slots:
    void on_comboBox_paper_currentIndexChanged(int index);
    void on_toolButton_print_clicked();
    void on_toolButton_pdf_clicked();
    void on_toolButton_settings_clicked();
    void on_toolButton_close_clicked();
    void paint(QPrinter *printer);

private:
    Ui::receiptdlg *ui;
    QPrinter *m_printer;
    QPrintPreviewWidget *m_preview;
    QString m_documentId;
};

#endif
