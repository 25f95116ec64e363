#ifndef HANDOVERSLIP_H
#define HANDOVERSLIP_H

#include "ownerfigures.h"
#include "takingsread.h"

#include <QString>

class QPrinter;
class QWidget;

// The slip a cashier hands over with the drawer: the shift's takings of this
// desk (sales and top-ups per method), its refunds and voids with who allowed
// them, the cash taken and the cash counted. Printed on the receipt paper.
struct HandoverSlip
{
    QString shopName;
    QString desk;
    QString operatorName;
    QString from;
    QString to;
    Takings takings;
    QList<Reversal> reversals;
    bool cashCounted = false;
    qint64 countedCashCents = 0;

    // The figures of the desk's shift, read as the handover reads them.
    static HandoverSlip read(const QString &desk, const QString &operatorName, const QString &from,
                             const QString &to, bool cashCounted, qint64 countedCashCents);

    qint64 refundsCents() const;
    qint64 voidsCents() const;
    int count(const QString &kind) const;

    QString html() const;
    void render(QPrinter *printer, const QString &paper) const;
    bool savePdf(const QString &paper, const QString &path, QString *error = nullptr) const;
    void preview(QWidget *parent) const;
};

#endif
