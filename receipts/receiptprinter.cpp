#include "receipts/receiptprinter.h"

#include "receipt.h"
#include "receipts/receiptdlg.h"
#include "receipts/receiptlayout.h"
#include "receiptsettings.h"

#include "ctrluiclass.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>

void ReceiptPrinter::afterDocument(QWidget *parent, const QString &documentId, qint64 tenderedCents)
{
    if (!ReceiptSettings::load().autoPrint)
        return;
    const Receipt receipt = Receipt::of(documentId, tenderedCents);
    if (!receipt.found)
        return;
    if (QPrinterInfo::defaultPrinter().isNull()) {
        ctrlUiClass::showInfo(QStringLiteral("没有找到打印机，小票未打印。单据已保存，可以在会员消费或会员交费列表中"
                                             "选中该单据后按“打印”补打。"),
                              parent);
        return;
    }
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    printer.setDocName(documentId);
    ReceiptLayout::render(&printer, receipt, receipt.shop, receipt.shop.paper);
}

void ReceiptPrinter::preview(QWidget *parent, const QString &documentId)
{
    const Receipt receipt = Receipt::of(documentId);
    if (!receipt.found) {
        ctrlUiClass::showInfo(QStringLiteral("请先选择一张单据"), parent);
        return;
    }
    receiptdlg dlg(parent);
    dlg.setup(documentId);
    dlg.exec();
}

bool ReceiptPrinter::savePdf(const QString &documentId, const QString &paper, const QString &path, QString *error)
{
    const Receipt receipt = Receipt::of(documentId);
    if (!receipt.found) {
        if (error)
            *error = QStringLiteral("找不到单据") + documentId;
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setDocName(documentId);
    ReceiptLayout::render(&printer, receipt, receipt.shop, paper);
    // QPrinter reports no failure of its own: the file tells.
    if (QFile(path).size() > 0)
        return true;
    if (error)
        *error = QStringLiteral("PDF文件未能写入：") + path;
    return false;
}
