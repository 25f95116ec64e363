#include "pickersearch.h"

#include <QKeyEvent>
#include <QTableView>

bool PickerSearch::walkList(QTableView *view, int rows, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Down && key != Qt::Key_Up)
        return false;
    if (rows > 0) {
        const int now = view->currentIndex().isValid() ? view->currentIndex().row() : -1;
        view->selectRow(qBound(0, now + (key == Qt::Key_Down ? 1 : -1), rows - 1));
    }
    return true;
}
