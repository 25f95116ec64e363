#ifndef PERIODFILTER_H
#define PERIODFILTER_H

#include <QDate>
#include <QObject>

class QComboBox;
class QDateEdit;

// Keeps a page's period combo and its two date edits telling the same story:
// choosing a period shows its first and last day, editing a date by hand
// selects "其他", and "所有" (no date limit) greys the dates out.
class PeriodFilter : public QObject
{
    Q_OBJECT
public:
    PeriodFilter(QComboBox *period, QDateEdit *from, QDateEdit *to, QObject *parent);

    // First and last day of a named period as the period filter of the lists
    // selects it (weeks begin on Monday and end with their year); false for
    // "其他", "所有" and names it does not know.
    static bool range(const QString &period, const QDate &today, QDate *from, QDate *to);

    // A date box of the pages' own kind: today, yyyy-MM-dd, with its calendar.
    static QDateEdit *dateEdit(const QString &objectName);

    // Selects the period and shows its dates.
    void select(const QString &period);

private:
    void periodChosen();
    void dateEdited();

    QComboBox *m_period;
    QDateEdit *m_from;
    QDateEdit *m_to;
};

#endif
