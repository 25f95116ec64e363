#ifndef TEXTLIMITS_H
#define TEXTLIMITS_H

#include <QString>
#include <QStringList>

// How much of a typed text the shop keeps. A name fits a list column and one
// receipt line, a reason or a remark a few lines of a slip; a longer text is
// refused with a message, never cut without a word. The writers ask here, so
// a text is bounded the same whichever window or tool typed it.
namespace TextLimits {

constexpr int kName = 30;    // a member's, a customer's or an item's name
constexpr int kReason = 100; // why money is given back, a sale voided, a booking cancelled
constexpr int kRemark = 200; // remarks and addresses
constexpr int kNote = 1000;  // one paragraph of a member's visit note (never printed on a slip)

// "" when the text (as it will be stored, trimmed) fits, else "<caption>不能超过N个字".
QString refusal(const QString &caption, const QString &text, int limit);

// The first refusal of several (caption, text, limit) checks, "" when all fit.
struct Check
{
    QString caption;
    QString text;
    int limit;
};
QString firstRefusal(std::initializer_list<Check> checks);

} // namespace TextLimits

#endif
