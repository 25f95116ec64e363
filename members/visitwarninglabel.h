#ifndef VISITWARNINGLABEL_H
#define VISITWARNINGLABEL_H

#include <QLabel>

// The member's warnings from the visit notes (过敏 and the like), in red,
// wherever the member is chosen: the member panel and the checkout. Hidden
// when the member has none.
class VisitWarningLabel : public QLabel
{
    Q_OBJECT
public:
    explicit VisitWarningLabel(QWidget *parent = nullptr);
    void showFor(const QString &memberId);
    // The warnings already read (VisitNotes::warnings' list).
    void showWarnings(const QStringList &warnings);
};

#endif
