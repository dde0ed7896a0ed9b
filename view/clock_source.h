// Where the timed capture reads the time: the system clock, or a test's clock.
#pragma once

namespace zarp {

using StampSource = int (*)();

// The current millisecond stamp (0 .. 999,999).
int CurrentStamp();

// Replaces the clock (null restores the system clock); returns the previous one.
StampSource SetStampSourceForTesting(StampSource source);

}  // namespace zarp
