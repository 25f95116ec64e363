#ifndef TOPUPOFFERHINT_H
#define TOPUPOFFERHINT_H

#include <QLabel>

class QLineEdit;

// The top-up dialog's 充值规则: as the amount paid in is typed, the bonus of
// the tier it reaches is put into the bonus field and the offer is shown
// beside it, before payment. The cashier may lower the bonus; the writer
// refuses a higher one without the settings right.
class TopUpOfferHint : public QLabel
{
    Q_OBJECT
public:
    TopUpOfferHint(QWidget *dialog, QLineEdit *paidIn, QLineEdit *bonus, const QString &memberId);

private:
    void paidInChanged(const QString &text);
    QLineEdit *m_bonus;
    QString m_memberId;
};

#endif
