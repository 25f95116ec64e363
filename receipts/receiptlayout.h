#ifndef RECEIPTLAYOUT_H
#define RECEIPTLAYOUT_H

#include <QString>
#include <QStringList>

class QPrinter;
struct Receipt;
struct ReceiptSettings;

// Lays a receipt out for a 58 mm or 80 mm roll (one page as long as the
// receipt) or for A4, and paints it on any printer: a real one, a PDF file or
// the preview.
class ReceiptLayout
{
public:
    static QStringList papers(); // "58mm", "80mm", "A4"
    static QString html(const Receipt &receipt, const ReceiptSettings &settings, const QString &paper);
    static void render(QPrinter *printer, const Receipt &receipt, const ReceiptSettings &settings,
                       const QString &paper);
    // Any slip of the desk laid out as HTML, on a roll cut to its length or on A4.
    static void renderHtml(QPrinter *printer, const QString &html, const QString &paper);
};

#endif
