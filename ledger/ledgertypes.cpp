#include "ledgertypes.h"

const char kWalkInId[] = "0000";
const char kCardMethod[] = "储蓄卡";
