#ifndef CONFLICTRETRY_H
#define CONFLICTRETRY_H

#include "ledgertypes.h"

#include <functional>

// Runs one whole operation of the rules layer; when it failed only because
// another desk's transaction got in its way (possible on a shop server, where
// desks do not queue for one write lock), it is rolled back already and runs
// again from the start, re-reading everything. Each attempt is one transaction.
LedgerResult retryOnConflict(const std::function<LedgerResult()> &operation);

#endif
