// The timed capture's millisecond stamp, its wrap every 1000 seconds, and the
// strictly-greater wait rule.
#include <gtest/gtest.h>

#include <cstdint>

#include "view/capture_clock.h"

namespace {

using zarp::MillisecondStamp;
using zarp::StampOnRequestScale;
using zarp::WaitHasPassed;

TEST(CaptureClock, StampKeepsSecondsWithinTheCycle) {
    struct Case {
        int64_t seconds;
        int millis;
        int stamp;
    } cases[] = {
        {0, 0, 0},
        {1, 0, 1000},
        {250, 0, 250000},
        {251, 1, 251001},
        {999, 999, 999999},
        {1000, 0, 0},                   // the cycle wraps here
        {1001, 5, 1005},
        {1700000123, 456, 123456},      // a present-day time of day in seconds
        {5000000000123LL, 7, 123007},   // seconds past the 32-bit range
    };
    for (const Case& c : cases)
        EXPECT_EQ(MillisecondStamp(c.seconds, c.millis), c.stamp) << c.seconds << " s + " << c.millis << " ms";
}

TEST(CaptureClock, StampOnRequestScaleAddsACycleOnlyAfterAWrap) {
    struct Case {
        int start, now, onScale;
    } cases[] = {
        {250000, 251000, 251000},
        {999500, 700, 1000700},
        {5000, 5000, 5000},          // same stamp: no wrap, elapsed 0
        {0, 999999, 999999},
        {1, 0, 1000000},
        {999999, 0, 1000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StampOnRequestScale(c.start, c.now), c.onScale) << c.start << " -> " << c.now;
}

// The poll as the view does it: bring the stamp onto the request's scale, then compare.
bool Fires(int start, int nowStamp, int wait) {
    return WaitHasPassed(start, StampOnRequestScale(start, nowStamp), wait);
}

TEST(CaptureClock, WaitMustBeStrictlyExceeded) {
    struct Case {
        int wait, start, now;
        bool fires;
    } cases[] = {
        {1000, 250000, 251000, false},  // exactly the wait
        {1000, 250000, 251001, true},
        {1000, 999500, 700, true},      // wrapped: 1000700 - 999500 = 1200
        {1000, 999500, 500, false},     // wrapped: exactly 1000
        {1000, 999500, 501, true},
        {1000, 999999, 999, false},
        {1000, 999999, 1000, true},
        {0, 5000, 5000, false},         // equal stamps are 0 ms apart, not a whole cycle
        {0, 5000, 5001, true},
        {3000, 5000, 5000, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Fires(c.start, c.now, c.wait), c.fires)
            << "wait " << c.wait << ", request " << c.start << ", tick " << c.now;
}

// Drives the whole chain from a running clock: for requests placed on both sides of
// the wrap, the first tick that fires is exactly wait + 1 ms after the request.
TEST(CaptureClock, FirstFiringTickIsOneMillisecondAfterTheWait) {
    const int64_t cycleStart = int64_t{1700000} * 1000;  // a time whose seconds are a multiple of 1000
    const int64_t requests[] = {cycleStart, cycleStart + 250000, cycleStart + 998999,
                                cycleStart + 999500, cycleStart + 999999, cycleStart + 1000000};
    const int waits[] = {0, 1, 999, 1000, 5000};
    for (int64_t requestMs : requests) {
        for (int wait : waits) {
            const int start = MillisecondStamp(requestMs / 1000, (int)(requestMs % 1000));
            int firstFiring = -1;
            for (int t = 0; t <= wait + 3; ++t) {
                const int64_t nowMs = requestMs + t;
                if (Fires(start, MillisecondStamp(nowMs / 1000, (int)(nowMs % 1000)), wait)) {
                    firstFiring = t;
                    break;
                }
            }
            EXPECT_EQ(firstFiring, wait + 1) << "request stamp " << start << ", wait " << wait;
        }
    }
}

}  // namespace
