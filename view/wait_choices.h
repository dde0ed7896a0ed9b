// The fifteen waits a capture can have: one row a command, walked by the handlers and
// the tests alike.
#pragma once
#include "../res/resource.h"

namespace zarp {

struct WaitChoice {
    unsigned id;
    int ms;
};

// 0x8015 lies between 12 and 13 seconds and is no command: the identifiers skip it.
constexpr WaitChoice kWaitChoices[] = {
    {ID_WAIT_1, 1000},   {ID_WAIT_2, 2000},   {ID_WAIT_3, 3000},   {ID_WAIT_4, 4000},   {ID_WAIT_5, 5000},
    {ID_WAIT_6, 6000},   {ID_WAIT_7, 7000},   {ID_WAIT_8, 8000},   {ID_WAIT_9, 9000},   {ID_WAIT_10, 10000},
    {ID_WAIT_11, 11000}, {ID_WAIT_12, 12000}, {ID_WAIT_13, 13000}, {ID_WAIT_14, 14000}, {ID_WAIT_15, 15000},
};
static_assert(ID_WAIT_12 == 0x8014 && ID_WAIT_13 == 0x8016, "0x8015 is no wait command");

// The wait of a command of the table, 0 for any other.
constexpr int WaitMsOf(unsigned id) {
    for (const WaitChoice& c : kWaitChoices)
        if (c.id == id) return c.ms;
    return 0;
}

}  // namespace zarp
