// Where the timed capture reads the time: the system clocks, or a test's clocks.
#pragma once

namespace zarp {

using StampSource = int (*)();
using TickSource = unsigned long long (*)();

// The current millisecond stamp (0 .. 999,999), from the wall clock.
int CurrentStamp();
// Milliseconds since the system started: never set back, never stepped.
unsigned long long CurrentTick();

// Replace a clock (null restores the system's); return the previous one.
StampSource SetStampSourceForTesting(StampSource source);
TickSource SetTickSourceForTesting(TickSource source);

}  // namespace zarp
