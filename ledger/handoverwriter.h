#ifndef HANDOVERWRITER_H
#define HANDOVERWRITER_H

#include "ledgertypes.h"
#include "takingsread.h"

// One shift handed over at one desk: the takings of that desk from the
// shift's start to the handover, and the cash counted in its drawer.
struct Handover
{
    QString desk;
    QString operatorName; // the operator handing over
    QString from;         // yyyy-MM-dd hh:mm:ss, inclusive
    QString to;           // the moment of handover, inclusive
    bool cashCounted = false;
    qint64 countedCashCents = 0;
};

// Writes a handover (交班): its row in jiaoban with the desk, the detail
// lines of jiaobanmingxi in the order the history lists them, and "交班" in
// the log, with a registered document number, in one transaction.
class HandoverWriter
{
public:
    // Where the desk's current shift begins: the second after its last
    // handover (a sale of that second was handed over with it). A handover
    // written before handovers carried a desk ended every desk's shift. Before
    // a desk's first handover: its first takings or the newest login,
    // whichever is earlier; without either, the beginning of today.
    static QString shiftStart(const QString &desk);
    static LedgerResult write(const Handover &h);
    // The detail lines of a handover, as written: caption or method, amount.
    static QList<MethodTakings> detailLines(const Takings &t, bool cashCounted, qint64 countedCashCents);
};

#endif
