#include "clock_source.h"
#include <windows.h>
#include <sys/timeb.h>
#include "capture_clock.h"

namespace zarp {
namespace {
int SystemStamp() {
    __timeb64 tb{};
    _ftime64(&tb);
    return MillisecondStamp(tb.time, tb.millitm);
}
StampSource g_source = &SystemStamp;
unsigned long long SystemTick() { return ::GetTickCount64(); }
TickSource g_tick = &SystemTick;
}  // namespace

int CurrentStamp() { return g_source(); }
unsigned long long CurrentTick() { return g_tick(); }

TickSource SetTickSourceForTesting(TickSource source) {
    TickSource previous = g_tick;
    g_tick = source ? source : &SystemTick;
    return previous;
}

StampSource SetStampSourceForTesting(StampSource source) {
    StampSource previous = g_source;
    g_source = source ? source : &SystemStamp;
    return previous;
}

}  // namespace zarp
