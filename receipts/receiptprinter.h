#ifndef RECEIPTPRINTER_H
#define RECEIPTPRINTER_H

#include <QString>

class QWidget;

// The receipt of any document a writer returned (sale, void, card issue,
// top-up, renewal, repayment, refund), printed, previewed or saved as PDF.
class ReceiptPrinter
{
public:
    // Right after a document was written: prints it when the shop set
    // "结账后自动打印", else does nothing. `tenderedCents` ≥ 0 prints the change.
    static void afterDocument(QWidget *parent, const QString &documentId, qint64 tenderedCents = -1);
    // The 打印 key: the preview, with the paper, print and save-as-PDF.
    static void preview(QWidget *parent, const QString &documentId);
    // Writes the receipt as a PDF file; false with *error when it could not.
    static bool savePdf(const QString &documentId, const QString &paper, const QString &path,
                        QString *error = nullptr);
};

#endif
