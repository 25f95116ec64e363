#include "periodfilter.h"

#include <QComboBox>
#include <QDateEdit>
#include <QSignalBlocker>

namespace {
const QString kOther = QStringLiteral("其他");
const QString kAll = QStringLiteral("所有");

QDate quarterStart(const QDate &day)
{
    return QDate(day.year(), (day.month() - 1) / 3 * 3 + 1, 1);
}
} // namespace

PeriodFilter::PeriodFilter(QComboBox *period, QDateEdit *from, QDateEdit *to, QObject *parent)
    : QObject(parent), m_period(period), m_from(from), m_to(to)
{
    connect(m_period, &QComboBox::currentTextChanged, this, &PeriodFilter::periodChosen);
    connect(m_from, &QDateEdit::dateChanged, this, &PeriodFilter::dateEdited);
    connect(m_to, &QDateEdit::dateChanged, this, &PeriodFilter::dateEdited);
}

bool PeriodFilter::range(const QString &period, const QDate &today, QDate *from, QDate *to)
{
    QDate a, b;
    const auto week = [&](const QDate &day) {
        const QDate monday = day.addDays(1 - day.dayOfWeek());
        a = qMax(monday, QDate(day.year(), 1, 1));
        b = qMin(monday.addDays(6), QDate(day.year(), 12, 31));
    };
    const QDate month(today.year(), today.month(), 1);
    if (period == QStringLiteral("今天")) {
        a = b = today;
    } else if (period == QStringLiteral("昨天")) {
        a = b = today.addDays(-1);
    } else if (period == QStringLiteral("本周")) {
        week(today);
    } else if (period == QStringLiteral("上周")) {
        week(today.addDays(-7));
    } else if (period == QStringLiteral("本月")) {
        a = month;
        b = month.addMonths(1).addDays(-1);
    } else if (period == QStringLiteral("上月")) {
        a = month.addMonths(-1);
        b = month.addDays(-1);
    } else if (period == QStringLiteral("本季")) {
        a = quarterStart(today);
        b = a.addMonths(3).addDays(-1);
    } else if (period == QStringLiteral("上季")) {
        b = quarterStart(today).addDays(-1);
        a = quarterStart(b);
    } else if (period == QStringLiteral("本年")) {
        a = QDate(today.year(), 1, 1);
        b = QDate(today.year(), 12, 31);
    } else if (period == QStringLiteral("上年")) {
        a = QDate(today.year() - 1, 1, 1);
        b = QDate(today.year() - 1, 12, 31);
    } else {
        return false;
    }
    *from = a;
    *to = b;
    return true;
}

QDateEdit *PeriodFilter::dateEdit(const QString &objectName)
{
    auto *edit = new QDateEdit(QDate::currentDate());
    edit->setObjectName(objectName);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setMinimumWidth(128);
    return edit;
}

void PeriodFilter::select(const QString &period)
{
    const int i = m_period->findText(period);
    if (i < 0)
        return;
    if (i == m_period->currentIndex())
        periodChosen(); // the dates may belong to an older day
    else
        m_period->setCurrentIndex(i);
}

void PeriodFilter::periodChosen()
{
    const QString period = m_period->currentText();
    const bool all = period == kAll;
    m_from->setEnabled(!all);
    m_to->setEnabled(!all);
    QDate from, to;
    if (!range(period, QDate::currentDate(), &from, &to))
        return; // "其他" keeps the dates typed, "所有" ignores them
    const QSignalBlocker a(m_from), b(m_to);
    m_from->setDate(from);
    m_to->setDate(to);
}

void PeriodFilter::dateEdited()
{
    const QString period = m_period->currentText();
    if (period == kOther || period == kAll)
        return;
    const int other = m_period->findText(kOther);
    if (other < 0)
        return;
    const QSignalBlocker block(m_period);
    m_period->setCurrentIndex(other);
}
