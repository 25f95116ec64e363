#ifndef ELIDEDLABEL_H
#define ELIDEDLABEL_H

#include <QLabel>

// A one-line label that gives way when its row is too narrow: the end of the
// text turns into "…" and the whole text is in the tooltip. Two of them side
// by side in the status bar share a 1366-pixel screen instead of pushing each
// other off it.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

#endif
