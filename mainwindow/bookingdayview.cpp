#include "bookingdayview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kHeader = 40;     // stylist names
constexpr int kAxis = 56;       // times of day
constexpr int kRow = 22;        // one quarter of an hour
constexpr int kMinColumn = 120;
constexpr int kQuarter = 15;

int minutesOf(const QString &hhmm, int fallback)
{
    if (hhmm == QLatin1String("24:00"))
        return 24 * 60;
    const QTime t = QTime::fromString(hhmm, QStringLiteral("HH:mm"));
    return t.isValid() ? t.hour() * 60 + t.minute() : fallback;
}

} // namespace

BookingDayView::BookingDayView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor BookingDayView::stateColour(const QString &state)
{
    using namespace BookingState;
    if (state == text(kArrived))
        return QColor(240, 160, 48);
    if (state == text(kDone))
        return QColor(60, 179, 113);
    if (state == text(kNoShow))
        return QColor(192, 80, 77);
    if (state == text(kCancelled))
        return QColor(170, 170, 170);
    return QColor(77, 133, 219); // 已预约
}

void BookingDayView::setHours(const QString &opens, const QString &closes)
{
    m_opensMinutes = minutesOf(opens, 9 * 60) / kQuarter * kQuarter;
    m_closesMinutes = qMax(m_opensMinutes + kQuarter, minutesOf(closes, 21 * 60));
    m_cursorRow = qBound(0, m_cursorRow, rows() - 1);
    // Every quarter hour keeps its height: the scroll area scrolls instead.
    setMinimumSize(sizeHint());
    update();
}

void BookingDayView::setColumns(const QList<Column> &columns)
{
    m_columns = columns;
    m_cursorColumn = qBound(0, m_cursorColumn, qMax(0, m_columns.size() - 1));
    setMinimumSize(sizeHint());
    update();
}

void BookingDayView::setBlocks(const QList<BookingBlock> &blocks)
{
    const QString kept = m_selected >= 0 && m_selected < m_blocks.size() ? m_blocks.at(m_selected).bookingId : QString();
    const int keptLine = m_selected >= 0 && m_selected < m_blocks.size() ? m_blocks.at(m_selected).line : 0;
    m_blocks.clear();
    // Cancelled bookings give their time back: they are not drawn over it.
    for (const BookingBlock &b : blocks)
        if (b.state != BookingState::text(BookingState::kCancelled))
            m_blocks << b;
    m_selected = -1;
    for (int i = 0; i < m_blocks.size(); ++i)
        if (m_blocks.at(i).bookingId == kept && m_blocks.at(i).line == keptLine)
            m_selected = i;
    update();
    emit selectionChanged();
}

int BookingDayView::rows() const
{
    return qMax(1, (m_closesMinutes - m_opensMinutes + kQuarter - 1) / kQuarter);
}

QSize BookingDayView::sizeHint() const
{
    return QSize(kAxis + qMax(1, m_columns.size()) * kMinColumn, kHeader + rows() * kRow + 1);
}

static int columnWidth(int width, int columns)
{
    return columns <= 0 ? kMinColumn : qMax(kMinColumn, (width - kAxis) / columns);
}

QDateTime BookingDayView::rowTime(int column, int row) const
{
    const QDate day = column >= 0 && column < m_columns.size() ? m_columns.at(column).date : QDate::currentDate();
    return QDateTime(day, QTime(0, 0)).addSecs(qint64(m_opensMinutes + row * kQuarter) * 60);
}

QDateTime BookingDayView::cursorTime() const
{
    return rowTime(m_cursorColumn, m_cursorRow);
}

void BookingDayView::setCursor(int column, const QDateTime &time)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_cursorColumn = column;
    const int minutes = time.time().hour() * 60 + time.time().minute();
    m_cursorRow = qBound(0, (minutes - m_opensMinutes) / kQuarter, rows() - 1);
    update();
    emit cursorMoved(slotRect(m_cursorColumn, cursorTime()));
}

int BookingDayView::columnAt(int x) const
{
    if (x < kAxis || m_columns.isEmpty())
        return -1;
    const int c = (x - kAxis) / columnWidth(width(), m_columns.size());
    return c < m_columns.size() ? c : -1;
}

QDateTime BookingDayView::timeAt(int column, int y) const
{
    const int row = qBound(0, (y - kHeader) / kRow, rows() - 1);
    return rowTime(column, row);
}

int BookingDayView::columnOf(const BookingBlock &b) const
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns.at(c).day.employeeId == b.employeeId && m_columns.at(c).date == b.start.date())
            return c;
    return -1;
}

QRect BookingDayView::slotRect(int column, const QDateTime &time) const
{
    const int w = columnWidth(width(), m_columns.size());
    const int minutes = time.time().hour() * 60 + time.time().minute();
    const int row = (minutes - m_opensMinutes) / kQuarter;
    return QRect(kAxis + column * w, kHeader + row * kRow, w, kRow);
}

QRect BookingDayView::blockRect(int block) const
{
    if (block < 0 || block >= m_blocks.size())
        return QRect();
    const BookingBlock &b = m_blocks.at(block);
    const int c = columnOf(b);
    if (c < 0)
        return QRect();
    const int w = columnWidth(width(), m_columns.size());
    const int from = b.start.time().hour() * 60 + b.start.time().minute();
    const int top = kHeader + (qMax(from, m_opensMinutes) - m_opensMinutes) * kRow / kQuarter;
    const int bottom = kHeader + (qMin(from + b.minutes, m_closesMinutes) - m_opensMinutes) * kRow / kQuarter;
    return QRect(kAxis + c * w + 2, top + 1, w - 4, qMax(kRow / 2, bottom - top - 2));
}

int BookingDayView::blockAt(const QPoint &p) const
{
    for (int i = m_blocks.size() - 1; i >= 0; --i)
        if (blockRect(i).contains(p))
            return i;
    return -1;
}

int BookingDayView::blockAtCursor() const
{
    const QDateTime t = cursorTime();
    for (int i = 0; i < m_blocks.size(); ++i) {
        const BookingBlock &b = m_blocks.at(i);
        if (columnOf(b) == m_cursorColumn && b.start <= t && t < b.start.addSecs(qint64(b.minutes) * 60))
            return i;
    }
    return -1;
}

void BookingDayView::selectBooking(const QString &bookingId)
{
    for (int i = 0; i < m_blocks.size(); ++i)
        if (m_blocks.at(i).bookingId == bookingId) {
            m_selected = i;
            const int c = columnOf(m_blocks.at(i));
            if (c >= 0)
                setCursor(c, m_blocks.at(i).start);
            update();
            emit selectionChanged();
            return;
        }
}

void BookingDayView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(241, 243, 246));
    const int w = columnWidth(width(), m_columns.size());
    const int n = rows();
    const QFont base = font();

    // Columns: working time white, the rest shaded.
    for (int c = 0; c < m_columns.size(); ++c) {
        const Column &col = m_columns.at(c);
        const int x = kAxis + c * w;
        p.fillRect(QRect(x, kHeader, w, n * kRow), QColor(225, 228, 232));
        if (col.day.working) {
            const int from = qMax(minutesOf(col.day.start, m_opensMinutes), m_opensMinutes);
            const int to = qMin(minutesOf(col.day.end, m_closesMinutes), m_closesMinutes);
            if (to > from)
                p.fillRect(QRect(x, kHeader + (from - m_opensMinutes) * kRow / kQuarter, w,
                                 (to - from) * kRow / kQuarter),
                           Qt::white);
        }
    }
    // Rows and the times of day.
    for (int r = 0; r <= n; ++r) {
        const int y = kHeader + r * kRow;
        const int minutes = m_opensMinutes + r * kQuarter;
        p.setPen(minutes % 60 == 0 ? QColor(190, 195, 200) : QColor(225, 228, 232));
        p.drawLine(kAxis, y, kAxis + m_columns.size() * w, y);
        if (minutes % 30 == 0 && r < n) {
            p.setPen(QColor(90, 90, 90));
            p.drawText(QRect(0, y, kAxis - 6, kRow), Qt::AlignRight | Qt::AlignVCenter,
                       QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10,
                                                                                             QLatin1Char('0')));
        }
    }
    p.setPen(QColor(190, 195, 200));
    for (int c = 0; c <= m_columns.size(); ++c)
        p.drawLine(kAxis + c * w, 0, kAxis + c * w, kHeader + n * kRow);

    // The blocks.
    for (int i = 0; i < m_blocks.size(); ++i) {
        const QRect r = blockRect(i);
        if (r.isNull())
            continue;
        const BookingBlock &b = m_blocks.at(i);
        QColor fill = stateColour(b.state);
        p.setPen(i == m_selected ? QPen(QColor(20, 20, 20), 2) : QPen(fill.darker(130)));
        p.setBrush(fill);
        p.drawRoundedRect(r, 4, 4);
        p.setPen(Qt::white);
        QStringList marks;
        if (b.birthdaySoon)
            marks << QStringLiteral("生日");
        if (b.packageRunningOut)
            marks << QStringLiteral("套餐将用完");
        const QString first = b.customerName + QStringLiteral("  ") + b.itemName;
        const QString second = b.state + (marks.isEmpty() ? QString() : QStringLiteral(" · ") + marks.join(QStringLiteral(" · ")));
        const QRect inner = r.adjusted(5, 2, -5, -2);
        if (inner.height() >= 2 * kRow - 6) {
            p.drawText(QRect(inner.left(), inner.top(), inner.width(), kRow - 4), Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(first, Qt::ElideRight, inner.width()));
            p.drawText(QRect(inner.left(), inner.top() + kRow - 4, inner.width(), kRow - 4),
                       Qt::AlignLeft | Qt::AlignVCenter, p.fontMetrics().elidedText(second, Qt::ElideRight, inner.width()));
        } else {
            p.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(first + QStringLiteral("  ") + second, Qt::ElideRight, inner.width()));
        }
    }

    // The cursor slot, and where a dragged block would land.
    if (!m_columns.isEmpty()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(24, 189, 155), hasFocus() ? 2 : 1, Qt::DashLine));
        p.drawRect(slotRect(m_cursorColumn, cursorTime()).adjusted(1, 1, -1, -1));
    }
    if (m_dragging && m_pressed >= 0) {
        const int c = columnAt(m_dragAt.x());
        if (c >= 0) {
            const BookingBlock &b = m_blocks.at(m_pressed);
            const QRect target = slotRect(c, timeAt(c, m_dragAt.y()));
            p.setPen(QPen(Qt::black, 1, Qt::DashLine));
            p.setBrush(QColor(0, 0, 0, 40));
            p.drawRect(QRect(target.left() + 2, target.top(), target.width() - 4, b.minutes * kRow / kQuarter));
        }
    }

    // The names stay in sight at the top of what the scroll area shows.
    const int top = qMax(0, visibleRegion().boundingRect().top());
    for (int c = 0; c < m_columns.size(); ++c) {
        const Column &col = m_columns.at(c);
        const int x = kAxis + c * w;
        p.fillRect(QRect(x, top, w, kHeader), QColor(234, 247, 255));
        p.setPen(QColor(190, 195, 200));
        p.drawRect(QRect(x, top, w, kHeader));
        p.setPen(QColor(40, 40, 40));
        QFont bold = base;
        bold.setBold(true);
        p.setFont(bold);
        p.drawText(QRect(x + 4, top + 2, w - 8, kHeader / 2), Qt::AlignCenter, col.title);
        p.setFont(base);
        p.setPen(QColor(110, 110, 110));
        p.drawText(QRect(x + 4, top + kHeader / 2, w - 8, kHeader / 2 - 2), Qt::AlignCenter,
                   col.day.working ? col.day.start + QStringLiteral("–") + col.day.end : QStringLiteral("休息"));
    }
    p.fillRect(QRect(0, top, kAxis, kHeader), QColor(241, 243, 246));

    // Now, on today's columns.
    const QDateTime now = QDateTime::currentDateTime();
    const int minutes = now.time().hour() * 60 + now.time().minute();
    if (minutes >= m_opensMinutes && minutes <= m_closesMinutes) {
        const int y = kHeader + (minutes - m_opensMinutes) * kRow / kQuarter;
        p.setPen(QPen(QColor(230, 30, 30), 2));
        for (int c = 0; c < m_columns.size(); ++c)
            if (m_columns.at(c).date == now.date())
                p.drawLine(kAxis + c * w, y, kAxis + (c + 1) * w, y);
    }
}

void BookingDayView::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    if (event->button() != Qt::LeftButton)
        return;
    m_pressAt = event->pos();
    m_pressed = blockAt(event->pos());
    m_dragging = false;
    m_pressedFree = false;
    const int c = columnAt(event->pos().x());
    if (c >= 0 && event->pos().y() >= kHeader)
        setCursor(c, timeAt(c, event->pos().y()));
    if (m_pressed >= 0) {
        m_selected = m_pressed;
        emit selectionChanged();
    } else if (c >= 0 && event->pos().y() >= kHeader) {
        m_pressedFree = true;
    }
    update();
}

void BookingDayView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressed < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    if (!m_dragging && (event->pos() - m_pressAt).manhattanLength() < 8)
        return;
    m_dragging = true;
    m_dragAt = event->pos();
    update();
}

void BookingDayView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int pressed = m_pressed;
    const bool dragged = m_dragging;
    const bool free = m_pressedFree;
    m_pressed = -1;
    m_dragging = false;
    m_pressedFree = false;
    update();
    const int c = columnAt(event->pos().x());
    if (dragged && pressed >= 0 && c >= 0 && event->pos().y() >= kHeader) {
        const BookingBlock b = m_blocks.at(pressed);
        const QDateTime to = timeAt(c, event->pos().y());
        if (to != b.start || m_columns.at(c).day.employeeId != b.employeeId)
            emit blockMoved(b.bookingId, b.line, m_columns.at(c).day.employeeId, to);
        return;
    }
    if (free && c >= 0 && blockAt(event->pos()) < 0)
        emit freeSlotChosen(m_columns.at(c).day.employeeId, timeAt(c, event->pos().y()));
}

void BookingDayView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int b = blockAt(event->pos());
    if (b >= 0)
        emit blockOpened(m_blocks.at(b).bookingId);
}

void BookingDayView::moveCursorBy(int columns, int rowsBy)
{
    if (m_columns.isEmpty())
        return;
    m_cursorColumn = qBound(0, m_cursorColumn + columns, m_columns.size() - 1);
    m_cursorRow = qBound(0, m_cursorRow + rowsBy, rows() - 1);
    const int under = blockAtCursor();
    if (under >= 0) {
        m_selected = under;
        emit selectionChanged();
    }
    update();
    emit cursorMoved(slotRect(m_cursorColumn, cursorTime()));
}

void BookingDayView::keyPressEvent(QKeyEvent *event)
{
    const bool moveBlock = event->modifiers() & Qt::ControlModifier;
    int dc = 0, dr = 0;
    switch (event->key()) {
    case Qt::Key_Left: dc = -1; break;
    case Qt::Key_Right: dc = 1; break;
    case Qt::Key_Up: dr = -1; break;
    case Qt::Key_Down: dr = 1; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int under = blockAtCursor();
        if (under >= 0)
            emit blockOpened(m_blocks.at(under).bookingId);
        else if (!m_columns.isEmpty())
            emit freeSlotChosen(m_columns.at(m_cursorColumn).day.employeeId, cursorTime());
        return;
    }
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (moveBlock) {
        // Ctrl+arrow: the block under the cursor goes a quarter hour or a stylist along.
        const int under = blockAtCursor();
        if (under < 0 || m_columns.isEmpty())
            return;
        const BookingBlock b = m_blocks.at(under);
        const int c = qBound(0, m_cursorColumn + dc, m_columns.size() - 1);
        const QDateTime start = b.start.addSecs(qint64(dr) * kQuarter * 60);
        moveCursorBy(dc, dr);
        emit blockMoved(b.bookingId, b.line, m_columns.at(c).day.employeeId,
                        dc != 0 ? QDateTime(m_columns.at(c).date, b.start.time()) : start);
        return;
    }
    moveCursorBy(dc, dr);
}
