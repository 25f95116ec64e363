#include "dayendtimeedit.h"

namespace {
const QString kDayEndText = QStringLiteral("24:00");
}

DayEndTimeEdit::DayEndTimeEdit(QWidget *parent) : QTimeEdit(parent)
{
    setDisplayFormat(QStringLiteral("HH:mm"));
}

QString DayEndTimeEdit::hhmm(const QTime &t)
{
    return t == dayEnd() ? kDayEndText : t.toString(QStringLiteral("HH:mm"));
}

QTime DayEndTimeEdit::timeOf(const QString &text)
{
    return text == kDayEndText ? dayEnd() : QTime::fromString(text, QStringLiteral("HH:mm"));
}

QString DayEndTimeEdit::textFromDateTime(const QDateTime &dt) const
{
    return dt.time() == dayEnd() ? kDayEndText : QTimeEdit::textFromDateTime(dt);
}

QDateTime DayEndTimeEdit::dateTimeFromText(const QString &text) const
{
    if (text == kDayEndText)
        return QDateTime(date(), dayEnd());
    return QTimeEdit::dateTimeFromText(text);
}

QValidator::State DayEndTimeEdit::validate(QString &input, int &pos) const
{
    if (input == kDayEndText)
        return QValidator::Acceptable;
    // "24:" on the way to 24:00 as it is typed over the hours.
    if (kDayEndText.startsWith(input) && input.startsWith(QLatin1String("24")))
        return QValidator::Intermediate;
    return QTimeEdit::validate(input, pos);
}

void DayEndTimeEdit::stepBy(int steps)
{
    const bool hours = currentSection() == HourSection;
    if (time() == dayEnd()) {
        if (steps >= 0)
            return;
        // One step down from 24:00 is 23:00 or 23:59.
        setTime(hours ? QTime(23, 0) : QTime(23, 59));
        if (steps + 1 != 0)
            QTimeEdit::stepBy(steps + 1);
        return;
    }
    const int seconds = time().msecsSinceStartOfDay() / 1000 + steps * (hours ? 3600 : 60);
    if (steps > 0 && seconds >= 24 * 3600) {
        setTime(dayEnd());
        return;
    }
    QTimeEdit::stepBy(steps);
}

QAbstractSpinBox::StepEnabled DayEndTimeEdit::stepEnabled() const
{
    if (time() == dayEnd())
        return StepDownEnabled;
    return QTimeEdit::stepEnabled() | StepUpEnabled;
}
