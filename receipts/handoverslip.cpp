#include "receipts/handoverslip.h"

#include "amounts.h"
#include "receipts/receiptlayout.h"
#include "receiptsettings.h"

#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString row(const QString &left, const QString &right, bool bold = false)
{
    const QString l = bold ? QStringLiteral("<b>") + esc(left) + QStringLiteral("</b>") : esc(left);
    const QString r = bold ? QStringLiteral("<b>") + esc(right) + QStringLiteral("</b>") : esc(right);
    return QStringLiteral("<tr><td>") + l + QStringLiteral("</td><td align=\"right\">") + r
           + QStringLiteral("</td></tr>");
}

QString methods(const QString &title, const QList<MethodTakings> &lines, qint64 total)
{
    QString h = row(title, centsShown(total), true);
    for (const MethodTakings &m : lines)
        h += row(QStringLiteral("　") + (m.method.isEmpty() ? QStringLiteral("（未注明）") : m.method),
                 centsShown(m.cents));
    return h;
}

const QString kRule = QStringLiteral("<hr/>");

} // namespace

HandoverSlip HandoverSlip::read(const QString &desk, const QString &operatorName, const QString &from,
                                const QString &to, bool cashCounted, qint64 countedCashCents)
{
    HandoverSlip s;
    s.shopName = ReceiptSettings::load().shopName;
    s.desk = desk;
    s.operatorName = operatorName;
    s.from = from;
    s.to = to;
    s.takings = TakingsRead::period(from, to, desk);
    s.reversals = OwnerFigures::reversals(from, to, desk);
    s.cashCounted = cashCounted;
    s.countedCashCents = countedCashCents;
    return s;
}

qint64 HandoverSlip::refundsCents() const
{
    qint64 t = 0;
    for (const Reversal &r : reversals)
        if (r.kind != QStringLiteral("作废"))
            t += r.cents;
    return t;
}

qint64 HandoverSlip::voidsCents() const
{
    qint64 t = 0;
    for (const Reversal &r : reversals)
        if (r.kind == QStringLiteral("作废"))
            t += r.cents;
    return t;
}

int HandoverSlip::count(const QString &kind) const
{
    int n = 0;
    for (const Reversal &r : reversals)
        if (kind.isEmpty() ? r.kind != QStringLiteral("作废") : r.kind == kind)
            ++n;
    return n;
}

QString HandoverSlip::html() const
{
    QString h = QStringLiteral("<div align=\"center\"><b>") + esc(shopName) + QStringLiteral("</b><br/><b>交班单</b></div>");
    h += QStringLiteral("<table width=\"100%\">");
    h += row(QStringLiteral("收银台"), desk) + row(QStringLiteral("交班人"), operatorName)
         + row(QStringLiteral("开始"), from) + row(QStringLiteral("结束"), to);
    h += QStringLiteral("</table>") + kRule + QStringLiteral("<table width=\"100%\">");
    h += methods(QStringLiteral("消费收银"), takings.sales, takings.salesCents());
    h += methods(QStringLiteral("充值交费"), takings.payments, takings.paymentsCents());
    h += QStringLiteral("</table>") + kRule + QStringLiteral("<table width=\"100%\">");
    h += row(QStringLiteral("退款 %1 笔").arg(count(QString())), centsShown(refundsCents()), true);
    h += row(QStringLiteral("作废 %1 笔").arg(count(QStringLiteral("作废"))), centsShown(voidsCents()), true);
    for (const Reversal &r : reversals)
        h += row(QStringLiteral("　") + r.kind + QLatin1Char(' ') + r.time.mid(11, 5) + QLatin1Char(' ')
                     + (r.memberName.isEmpty() ? r.memberId : r.memberName) + QStringLiteral(" 确认：")
                     + r.authorizedBy,
                 centsShown(r.cents));
    h += QStringLiteral("</table>") + kRule + QStringLiteral("<table width=\"100%\">");
    h += row(QStringLiteral("收银总计"), centsShown(takings.totalCents()), true);
    h += row(QStringLiteral("实际收入"), centsShown(takings.realCents()));
    h += row(QStringLiteral("虚拟收入（储蓄卡）"), centsShown(takings.virtualCents()));
    const qint64 cash = takings.methodCents(QStringLiteral("现金"));
    h += row(QStringLiteral("现金收入"), centsShown(cash), true);
    if (cashCounted) {
        const qint64 difference = countedCashCents - cash;
        h += row(QStringLiteral("实点现金"), centsShown(countedCashCents));
        h += row(QStringLiteral("现金差额"), centsShown(difference)
                                                 + (difference < 0   ? QStringLiteral("（短款）")
                                                    : difference > 0 ? QStringLiteral("（长款）")
                                                                     : QString()));
    } else {
        h += row(QStringLiteral("实点现金"), QStringLiteral("未清点"));
    }
    h += QStringLiteral("</table>") + kRule;
    h += QStringLiteral("<p>交班人签字：</p><p>接班人签字：</p>");
    return h;
}

void HandoverSlip::render(QPrinter *printer, const QString &paper) const
{
    ReceiptLayout::renderHtml(printer, html(), paper);
}

bool HandoverSlip::savePdf(const QString &paper, const QString &path, QString *error) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    render(&printer, paper);
    if (QFile(path).size() > 0)
        return true;
    if (error)
        *error = QStringLiteral("PDF文件未能写入：") + path;
    return false;
}

void HandoverSlip::preview(QWidget *parent) const
{
    const QString paper = ReceiptSettings::load().paper;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("交班单 ") + to);
    QPrintPreviewDialog dlg(&printer, parent);
    dlg.setObjectName(QStringLiteral("handoverSlipPreview"));
    dlg.setWindowTitle(QStringLiteral("交班单"));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [this, &paper](QPrinter *p) { render(p, paper); });
    dlg.exec();
}
