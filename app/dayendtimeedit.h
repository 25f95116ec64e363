#ifndef DAYENDTIMEEDIT_H
#define DAYENDTIMEEDIT_H

#include <QTimeEdit>

// A time edit for where something ends: besides 00:00–23:59 it holds the end
// of the day, shown and typed as 24:00 (a shop open until midnight). A plain
// QTimeEdit cannot show 24:00 and turned it into 23:59, so saving the window
// unchanged moved the closing time. The end of the day is kept as 23:59:59,
// a time the HH:mm display cannot otherwise reach.
class DayEndTimeEdit : public QTimeEdit
{
    Q_OBJECT
public:
    explicit DayEndTimeEdit(QWidget *parent = nullptr);

    static QTime dayEnd() { return QTime(23, 59, 59); }
    // "HH:mm", or "24:00" for the end of the day.
    static QString hhmm(const QTime &t);
    static QTime timeOf(const QString &hhmm);

    QString hhmm() const { return hhmm(time()); }
    void setHhmm(const QString &text) { setTime(timeOf(text)); }

    void stepBy(int steps) override;

protected:
    QString textFromDateTime(const QDateTime &dt) const override;
    QDateTime dateTimeFromText(const QString &text) const override;
    QValidator::State validate(QString &input, int &pos) const override;
    StepEnabled stepEnabled() const override;
};

#endif
