#include "visitwarninglabel.h"

#include "visitnotes.h"

VisitWarningLabel::VisitWarningLabel(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("label_visitWarnings"));
    setWordWrap(true);
    setStyleSheet(QStringLiteral("color:rgb(192,0,0);font-weight:bold"));
    hide();
}

void VisitWarningLabel::showFor(const QString &memberId)
{
    showWarnings(VisitNotes::warnings(memberId));
}

void VisitWarningLabel::showWarnings(const QStringList &w)
{
    setText(w.isEmpty() ? QString() : QStringLiteral("⚠ 注意：") + w.join(QStringLiteral("；")));
    setToolTip(w.join(QLatin1Char('\n')));
    setVisible(!w.isEmpty());
}
