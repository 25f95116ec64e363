#ifndef OPERATORWRITER_H
#define OPERATORWRITER_H

#include "ledgertypes.h"

// Writes of the operator rows that are not the generic add and change of the
// operator editor: a password stored with its log row, in one transaction.
class OperatorWriter
{
public:
    // Stores `stored` (the hashed form) as the operator's password and logs
    // `logText` by `byOperator` (no log row for an empty text: the silent
    // upgrade of an old stored form). Refused when no such operator exists.
    static LedgerResult storePassword(const QString &name, const QString &stored, const QString &byOperator,
                                      const QString &logText);
};

#endif
