#ifndef CONFLICTRETRY_H
#define CONFLICTRETRY_H

#include "ledgertypes.h"

#include <functional>

// Runs one whole operation of the rules layer; when it failed only because
// another desk's transaction got in its way (on a shop server: a write that
// did not queue for the desks' write lock, such as a desk of an older
// version's, or a deadlock with one), it is rolled back already and runs
// again from the start, re-reading everything. Each attempt is one transaction.
LedgerResult retryOnConflict(const std::function<LedgerResult()> &operation);

#endif
