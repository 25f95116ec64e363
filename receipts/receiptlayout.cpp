#include "receipts/receiptlayout.h"

#include "receipt.h"
#include "receiptsettings.h"

#include <QAbstractTextDocumentLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

namespace {

struct Paper
{
    double widthMm;
    double marginMm;
    double pointSize;
    bool roll;
};

Paper paperOf(const QString &name)
{
    if (name == QStringLiteral("58mm"))
        return {58, 2, 7.5, true};
    if (name == QStringLiteral("A4"))
        return {210, 15, 11, false};
    return {80, 3, 9, true};
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString pairs(const QList<Receipt::Pair> &rows)
{
    QString h;
    for (const Receipt::Pair &p : rows)
        h += QStringLiteral("<tr><td>") + esc(p.first) + QStringLiteral("</td><td align=\"right\">") + esc(p.second)
             + QStringLiteral("</td></tr>");
    return h;
}

const QString kRule = QStringLiteral("<hr/>");

// The stylist under the line they served, so the customer sees who did the work.
QString staffRow(const ReceiptLine &l, int columns)
{
    if (l.staff.isEmpty())
        return QString();
    return QStringLiteral("<tr><td colspan=\"%1\">　服务：").arg(columns) + esc(l.staff) + QStringLiteral("</td></tr>");
}

} // namespace

QStringList ReceiptLayout::papers()
{
    return {QStringLiteral("58mm"), QStringLiteral("80mm"), QStringLiteral("A4")};
}

QString ReceiptLayout::html(const Receipt &r, const ReceiptSettings &s, const QString &paperName)
{
    const bool narrow = paperName == QStringLiteral("58mm");
    QString h = QStringLiteral("<html><body>");
    h += QStringLiteral("<p align=\"center\"><b><span style=\"font-size:large\">")
         + esc(s.shopName.isEmpty() ? QStringLiteral("本店") : s.shopName) + QStringLiteral("</span></b>");
    if (!s.address.isEmpty())
        h += QStringLiteral("<br/>") + esc(s.address);
    if (!s.phone.isEmpty())
        h += QStringLiteral("<br/>电话：") + esc(s.phone);
    h += QStringLiteral("</p><p align=\"center\"><b>") + esc(r.title) + QStringLiteral("</b></p>");
    h += QStringLiteral("<table width=\"100%\">")
         + pairs({{QStringLiteral("单号"), r.documentId},
                  {QStringLiteral("时间"), r.time},
                  {QStringLiteral("操作员"), r.operatorName},
                  {QStringLiteral("会员"), r.memberId + QStringLiteral(" ") + r.memberName}})
         + QStringLiteral("</table>") + kRule;

    // On a 58 mm roll a line's name has a row of its own; wider paper keeps
    // the list price and the discount in columns.
    h += QStringLiteral("<table width=\"100%\" cellspacing=\"0\">");
    if (narrow) {
        h += QStringLiteral("<tr><th align=\"left\">项目</th><th align=\"right\">数量</th><th align=\"right\">单价</th>"
                            "<th align=\"right\">金额</th></tr>");
        for (const ReceiptLine &l : r.lines) {
            h += QStringLiteral("<tr><td colspan=\"4\">") + esc(l.name) + QStringLiteral("</td></tr>");
            h += QStringLiteral("<tr><td></td><td align=\"right\">") + esc(l.quantity)
                 + QStringLiteral("</td><td align=\"right\">") + esc(l.price) + QStringLiteral("</td><td align=\"right\">")
                 + esc(l.amount) + QStringLiteral("</td></tr>");
            if (!l.discount.isEmpty())
                h += QStringLiteral("<tr><td colspan=\"4\" align=\"right\">原价") + esc(l.listPrice)
                     + QStringLiteral(" 优惠") + esc(l.discount) + QStringLiteral("</td></tr>");
            h += staffRow(l, 4);
        }
    } else {
        h += QStringLiteral("<tr><th align=\"left\">项目</th><th align=\"right\">数量</th><th align=\"right\">原价</th>"
                            "<th align=\"right\">单价</th><th align=\"right\">优惠</th><th align=\"right\">金额</th></tr>");
        for (const ReceiptLine &l : r.lines)
            h += QStringLiteral("<tr><td>") + esc(l.name) + QStringLiteral("</td><td align=\"right\">") + esc(l.quantity)
                 + QStringLiteral("</td><td align=\"right\">") + esc(l.listPrice)
                 + QStringLiteral("</td><td align=\"right\">") + esc(l.price)
                 + QStringLiteral("</td><td align=\"right\">") + esc(l.discount)
                 + QStringLiteral("</td><td align=\"right\">") + esc(l.amount) + QStringLiteral("</td></tr>")
                 + staffRow(l, 6);
    }
    h += QStringLiteral("</table>") + kRule;
    h += QStringLiteral("<table width=\"100%\">") + pairs(r.totals) + QStringLiteral("</table>") + kRule;
    h += QStringLiteral("<table width=\"100%\"><tr><td colspan=\"2\"><b>") + esc(r.paymentsCaption)
         + QStringLiteral("</b></td></tr>") + pairs(r.payments)
         + QStringLiteral("</table>");
    if (!r.after.isEmpty())
        h += kRule + QStringLiteral("<table width=\"100%\">") + pairs(r.after) + QStringLiteral("</table>");
    for (const QString &n : r.notes)
        h += QStringLiteral("<p>") + esc(n) + QStringLiteral("</p>");
    h += QStringLiteral("<p align=\"center\">") + esc(r.closing) + QStringLiteral("</p></body></html>");
    return h;
}

void ReceiptLayout::render(QPrinter *printer, const Receipt &r, const ReceiptSettings &s, const QString &paperName)
{
    renderHtml(printer, html(r, s, paperName), paperName);
}

void ReceiptLayout::renderHtml(QPrinter *printer, const QString &html, const QString &paperName)
{
    const Paper paper = paperOf(paperName);
    QTextDocument doc;
    QFont font = doc.defaultFont();
    font.setPointSizeF(paper.pointSize);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setHtml(html);
    printer->setFullPage(false);
    printer->setPageMargins(QMarginsF(paper.marginMm, paper.marginMm, paper.marginMm, paper.marginMm),
                            QPageLayout::Millimeter);
    if (!paper.roll) {
        printer->setPageSize(QPageSize(QPageSize::A4));
        doc.print(printer);
        return;
    }
    // A roll is one page exactly as long as the receipt: lay it out at the
    // printer's resolution for the roll's width, then cut the page to fit.
    doc.documentLayout()->setPaintDevice(printer);
    const double dpi = printer->resolution();
    doc.setTextWidth((paper.widthMm - 2 * paper.marginMm) / 25.4 * dpi);
    const double heightMm = doc.size().height() / dpi * 25.4 + 2 * paper.marginMm + 2;
    printer->setPageSize(QPageSize(QSizeF(paper.widthMm, heightMm), QPageSize::Millimeter, QString(),
                                   QPageSize::ExactMatch));
    QPainter painter(printer);
    doc.drawContents(&painter);
}
