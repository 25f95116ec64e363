#ifndef UNSETTLEDOUTCOMES_H
#define UNSETTLEDOUTCOMES_H

#include "ledgertypes.h"

#include <functional>
#include <optional>

// An operation whose COMMIT went out but whose answer was lost, while the shop
// could not be reached to ask whether it landed. The cashier is told that the
// outcome is not known and tries again from the same window: that next try of
// the same operation (the same basket, the same typed top-up) first learns from
// the books whether the earlier one landed. Landed: it is answered saved, under
// its own document, and nothing is written again. Not landed: it is written,
// once. Kept per desk (in this program), by a key the writer gives the operation.
class UnsettledOutcomes
{
public:
    // Settles the earlier try of `key` and, unless it had landed, runs the
    // operation (retried on conflict); an unknown outcome of this try is kept
    // for the next one. `what` starts the cashier's sentence ("保存消费记录失败").
    static LedgerResult run(const QString &key, const QString &what, const std::function<LedgerResult()> &operation);

    // The earlier try of `key`, settled from the books: nothing when there is
    // none or it did not land (the operation is to be written now); saved, with
    // its document and the notice, when it landed; not saved with the reason
    // when the shop still cannot be reached (the try stays unsettled).
    static std::optional<LedgerResult> settle(const QString &key, const QString &what);

    static bool pending(const QString &key);
    // Whether a try of `key` in this program ended with its outcome unknown
    // (settled since or not): only such a try can land behind the books' back.
    static bool wasUnknown(const QString &key);
    // The document the unsettled try of `key` wrote, if it landed.
    static QString documentOf(const QString &key);

    // The cashier's sentences.
    static QString landedNotice(const QString &documentId);
    static QString unknownText(const QString &what);
    static QString stillUnknownText(const QString &what);
};

#endif
