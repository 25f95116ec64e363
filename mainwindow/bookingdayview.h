#ifndef BOOKINGDAYVIEW_H
#define BOOKINGDAYVIEW_H

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QWidget>

#include "booking.h"

// The grid of the appointment book: one column per stylist of a day (or per
// day of one stylist's week), one row per quarter of an hour across the
// shop's opening hours, each booked item a block coloured by its state. The
// time outside a column's working hours is shaded, so free slots show at a
// glance; on today's grid a red line marks the time.
//
// A click on a free slot asks to book there, a block dragged to another
// slot asks to move there, a double-click opens the block's booking. From the
// keyboard: the arrows move the cursor slot, Enter books there or opens the
// block under it, Ctrl with the arrows moves the block under the cursor.
class BookingDayView : public QWidget
{
    Q_OBJECT
public:
    // A stylist's working day, drawn under a title.
    struct Column
    {
        WorkingDay day;
        QDate date;
        QString title;
    };

    explicit BookingDayView(QWidget *parent = nullptr);

    void setHours(const QString &opens, const QString &closes);
    void setColumns(const QList<Column> &columns);
    void setBlocks(const QList<BookingBlock> &blocks);
    const QList<Column> &columns() const { return m_columns; }
    const QList<BookingBlock> &blocks() const { return m_blocks; }

    // The cursor slot: its column, and the start of its quarter hour.
    int cursorColumn() const { return m_cursorColumn; }
    QDateTime cursorTime() const;
    void setCursor(int column, const QDateTime &time);
    // The block under the cursor, or -1.
    int blockAtCursor() const;
    // The block chosen last (clicked or under the cursor), or -1.
    int selectedBlock() const { return m_selected; }
    void selectBooking(const QString &bookingId);

    // Where a slot and a block are drawn (for tests and the sheet).
    QRect slotRect(int column, const QDateTime &time) const;
    QRect blockRect(int block) const;

    static QColor stateColour(const QString &state);
    QSize sizeHint() const override;

signals:
    void freeSlotChosen(const QString &employeeId, const QDateTime &start);
    void blockOpened(const QString &bookingId);
    void blockMoved(const QString &bookingId, int line, const QString &employeeId, const QDateTime &start);
    void selectionChanged();
    // The cursor slot moved there: the scroll area keeps it in sight.
    void cursorMoved(const QRect &slot);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int rows() const;
    int columnAt(int x) const;
    QDateTime timeAt(int column, int y) const;
    int blockAt(const QPoint &p) const;
    int columnOf(const BookingBlock &b) const;
    QDateTime rowTime(int column, int row) const;
    void moveCursorBy(int columns, int rows);

    QList<Column> m_columns;
    QList<BookingBlock> m_blocks;
    int m_opensMinutes = 9 * 60;
    int m_closesMinutes = 21 * 60;
    int m_cursorColumn = 0;
    int m_cursorRow = 0;
    int m_selected = -1;
    int m_pressed = -1;       // block under the mouse press
    QPoint m_pressAt;
    bool m_dragging = false;
    QPoint m_dragAt;
    bool m_pressedFree = false;
};

#endif
