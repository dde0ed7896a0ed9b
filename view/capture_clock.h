// The millisecond stamp of the timed capture and its elapsed-time rule. Platform-free.
#pragma once
#include <cstdint>

namespace zarp {

constexpr int kStampCycle = 1000000;  // the stamp counts milliseconds within 1000 seconds

// (whole seconds mod 1000) * 1000 + milliseconds: 0 .. 999,999.
int MillisecondStamp(int64_t seconds, int millis);

// The poll's stamp on the request's scale: one cycle is added when the stamp has
// wrapped since the request (now < start).
int StampOnRequestScale(int startStamp, int nowStamp);

// The wait has passed only when the elapsed time is strictly greater than the wait.
inline bool WaitHasPassed(int startStamp, int nowOnScale, int waitMs) { return nowOnScale - startStamp > waitMs; }
// The same rule on the monotonic millisecond count, which never wraps.
inline bool WaitHasPassed(unsigned long long startTick, unsigned long long nowTick, unsigned long long waitMs) {
    return nowTick - startTick > waitMs;
}

}  // namespace zarp
