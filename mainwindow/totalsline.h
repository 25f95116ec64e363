#ifndef TOTALSLINE_H
#define TOTALSLINE_H

#include <QLabel>
#include <QPointer>
#include <QStringList>

class ctrlUiClass;
class QTableView;

// The "合计" line under a statistics list: the number of rows and the sums of
// its money and count columns, computed by one aggregate statement over what
// the list's statement selects (all of it, not only the rows fetched so far).
// Recomputed whenever the list is re-run.
class TotalsLine : public QLabel
{
    Q_OBJECT
public:
    // Puts itself under the table (in the table's place in its layout or splitter).
    TotalsLine(ctrlUiClass *ctrl, const QString &viewName, QTableView *table);

    // Whether a column of this caption is summed: amounts, counts, points.
    static bool isTotalled(const QString &caption);

    void recompute();

private:
    ctrlUiClass *m_ctrl;
    QString m_view;
    QPointer<QTableView> m_table;
};

#endif
