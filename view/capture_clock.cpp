#include "capture_clock.h"

namespace zarp {

int MillisecondStamp(int64_t seconds, int millis) { return (int)(seconds % 1000) * 1000 + millis; }

int StampOnRequestScale(int startStamp, int nowStamp) {
    return startStamp > nowStamp ? nowStamp + kStampCycle : nowStamp;
}

}  // namespace zarp
