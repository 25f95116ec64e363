#include "receipts/bookingsheet.h"

#include "bookingbook.h"
#include "workinghours.h"

#include <QFile>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

QList<BookingSheet::Line> BookingSheet::lines(const QDate &date, const QString &employeeId)
{
    QList<Line> out;
    out << Line{Line::Title, {QStringLiteral("预约表  %1").arg(date.toString(QStringLiteral("yyyy-MM-dd")))}};
    const QList<BookingBlock> blocks = BookingBook::day(date);
    for (const WorkingDay &d : WorkingHours::day(date)) {
        if (!employeeId.isEmpty() && d.employeeId != employeeId)
            continue;
        QList<BookingBlock> own;
        for (const BookingBlock &b : blocks)
            if (b.employeeId == d.employeeId && b.state != QStringLiteral("已取消"))
                own << b;
        if (own.isEmpty() && !d.working)
            continue;
        out << Line{Line::Stylist, {d.name + QLatin1Char(' ') + d.type + QStringLiteral("  ")
                                    + (d.working ? d.start + QStringLiteral("–") + d.end : QStringLiteral("休息"))}};
        out << Line{Line::Head, {QStringLiteral("时间"), QStringLiteral("顾客"), QStringLiteral("电话"),
                                 QStringLiteral("项目"), QStringLiteral("状态"), QStringLiteral("备注")}};
        for (const BookingBlock &b : own)
            out << Line{Line::Booking,
                        {b.start.toString(QStringLiteral("HH:mm")) + QStringLiteral("–")
                             + b.start.addSecs(qint64(b.minutes) * 60).toString(QStringLiteral("HH:mm")),
                         b.customerName, b.phone, b.itemName, b.state, b.remark}};
        if (own.isEmpty())
            out << Line{Line::Nothing, {QString(), QStringLiteral("（没有预约）")}};
    }
    return out;
}

void BookingSheet::render(QPagedPaintDevice *device, const QDate &date, const QString &employeeId)
{
    QPainter p(device);
    if (!p.isActive())
        return;
    const QRect page(0, 0, device->width(), device->height());
    const int line = qMax(12, page.height() / 48);
    QFont font = p.font();
    font.setPixelSize(line * 6 / 10);
    QFont title = font;
    title.setBold(true);
    title.setPixelSize(line * 8 / 10);
    const QList<int> columns = {0, 10, 30, 50, 68, 85}; // percent of the width
    int y = 0;
    const auto row = [&](const QStringList &cells) {
        if (y + line > page.height()) {
            device->newPage();
            y = 0;
        }
        for (int c = 0; c < cells.size() && c < columns.size(); ++c) {
            const int x = page.width() * columns.at(c) / 100;
            const int w = page.width() * ((c + 1 < columns.size() ? columns.at(c + 1) : 100) - columns.at(c)) / 100;
            p.drawText(QRect(x, y, w - 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(cells.at(c), Qt::ElideRight, w - 4));
        }
        y += line;
    };
    for (const Line &l : lines(date, employeeId)) {
        switch (l.kind) {
        case Line::Title:
            p.setFont(title);
            p.drawText(QRect(0, y, page.width(), line * 3 / 2), Qt::AlignLeft | Qt::AlignVCenter, l.cells.value(0));
            y += line * 2;
            break;
        case Line::Stylist:
            if (y > line * 2)
                y += line / 2; // a gap before every stylist but the first
            p.setFont(title);
            row(l.cells);
            p.setFont(font);
            break;
        default:
            row(l.cells);
        }
    }
}

void BookingSheet::preview(QWidget *parent, const QDate &date, const QString &employeeId)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setDocName(QStringLiteral("预约表 ") + date.toString(Qt::ISODate));
    QPrintPreviewDialog dlg(&printer, parent);
    dlg.setObjectName(QStringLiteral("bookingSheetPreview"));
    dlg.setWindowTitle(QStringLiteral("预约表 ") + date.toString(Qt::ISODate));
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, &dlg,
                     [&](QPrinter *p) { render(p, date, employeeId); });
    dlg.exec();
}

bool BookingSheet::savePdf(const QDate &date, const QString &employeeId, const QString &path, QString *error)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(path);
    render(&printer, date, employeeId);
    if (QFile(path).size() > 0)
        return true;
    if (error)
        *error = QStringLiteral("PDF文件未能写入：") + path;
    return false;
}
