#include "clock_source.h"
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
}  // namespace

int CurrentStamp() { return g_source(); }

StampSource SetStampSourceForTesting(StampSource source) {
    StampSource previous = g_source;
    g_source = source ? source : &SystemStamp;
    return previous;
}

}  // namespace zarp
