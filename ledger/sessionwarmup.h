#ifndef SESSIONWARMUP_H
#define SESSIONWARMUP_H

#include "ledgertypes.h"

// On a shop server, the first sales of a session would pay for what the session
// has not done yet: the summaries' trigger functions compiled and their
// statements planned, the writer's statements prepared (15–45 ms for the first
// sale against 2 for the tenth). Right after the login, two sales are written
// the way the counter writes them (a walk-in's in cash, a member's on the card
// and in cash, a stylist credited) and rolled back: nothing of them lands, and
// the customer's sale finds the session ready. The member at the desk is read
// six times first, so that the server has settled on its plans. On a shop file there is nothing
// to warm: it does nothing. Best effort: a sale that cannot be written (no
// service item, another desk in the way) only leaves the session as it was.
class SessionWarmUp
{
public:
    // How many warm-up sales were written (and rolled back).
    static int run(const QString &operatorName);
};

#endif
