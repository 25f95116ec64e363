#include "booking.h"

namespace BookingState {
const char kBooked[] = "已预约";
const char kArrived[] = "已到店";
const char kDone[] = "已完成";
const char kCancelled[] = "已取消";
const char kNoShow[] = "爽约";

QString text(const char *state)
{
    return QString::fromUtf8(state);
}

bool holdsTime(const QString &state)
{
    return state == text(kBooked) || state == text(kArrived) || state == text(kDone);
}
} // namespace BookingState

const char kBookingSources[] = "电话、到店、其他";
