#include "receipts/receiptdlg.h"
#include "ui_receiptdlg.h"

#include "receipt.h"
#include "receipts/receiptlayout.h"
#include "receipts/receiptprinter.h"
#include "receiptsettings.h"
#include "receipts/receiptsettingsdlg.h"

#include "ctrluiclass.h"
#include "operatorsession.h"
#include "prompt.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

receiptdlg::receiptdlg(QWidget *parent)
    : QDialog(parent), ui(new Ui::receiptdlg), m_printer(new QPrinter(QPrinter::HighResolution)), m_preview(nullptr)
{
    ui->setupUi(this);
    m_preview = new QPrintPreviewWidget(m_printer, ui->widget_preview);
    m_preview->setObjectName(QStringLiteral("printPreview"));
    ui->layout_preview->addWidget(m_preview);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, &receiptdlg::paint);
    const QSignalBlocker block(ui->comboBox_paper);
    ui->comboBox_paper->addItems(ReceiptLayout::papers());
    ui->comboBox_paper->setCurrentText(ReceiptSettings::load().paper);
    ui->toolButton_settings->setEnabled(operatorSession().xitongshezhi == QStringLiteral("是"));
    // From the keys: Ctrl+P prints, Ctrl+S saves the PDF, Escape closes.
    ui->toolButton_print->setShortcut(QKeySequence(QKeySequence::Print));
    ui->toolButton_pdf->setShortcut(QKeySequence(QKeySequence::Save));
    ui->toolButton_print->setToolTip(QStringLiteral("打印（Ctrl+P）"));
    ui->toolButton_pdf->setToolTip(QStringLiteral("另存为PDF（Ctrl+S）"));
    ui->toolButton_close->setToolTip(QStringLiteral("关闭（Esc）"));
}

receiptdlg::~receiptdlg()
{
    delete ui;
    delete m_printer;
}

void receiptdlg::setup(const QString &documentId)
{
    m_documentId = documentId;
    ui->label_document->setText(documentId);
    m_preview->updatePreview();
    m_preview->fitInView(); // the whole receipt, however long the roll
}

void receiptdlg::paint(QPrinter *printer)
{
    const Receipt receipt = Receipt::of(m_documentId);
    ReceiptLayout::render(printer, receipt, receipt.shop, ui->comboBox_paper->currentText());
}

void receiptdlg::on_comboBox_paper_currentIndexChanged(int)
{
    m_preview->updatePreview();
}

void receiptdlg::on_toolButton_print_clicked()
{
    QPrintDialog ask(m_printer, this);
    if (ask.exec() != QDialog::Accepted)
        return;
    paint(m_printer);
}

void receiptdlg::on_toolButton_pdf_clicked()
{
    const QString path = Prompt::saveFileName(this, QStringLiteral("另存为PDF"),
                                              QDir::home().filePath(m_documentId + QStringLiteral(".pdf")),
                                              QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    QString error;
    if (ReceiptPrinter::savePdf(m_documentId, ui->comboBox_paper->currentText(), path, &error))
        ctrlUiClass::showInfo(QStringLiteral("小票已保存为") + QDir::toNativeSeparators(path), this);
    else
        ctrlUiClass::showInfo(error, this);
}

void receiptdlg::on_toolButton_settings_clicked()
{
    receiptsettingsdlg dlg(this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    // The paper just chosen is the one shown.
    const QSignalBlocker block(ui->comboBox_paper);
    ui->comboBox_paper->setCurrentText(ReceiptSettings::load().paper);
    m_preview->updatePreview();
    m_preview->fitInView();
}

void receiptdlg::on_toolButton_close_clicked()
{
    reject();
}
