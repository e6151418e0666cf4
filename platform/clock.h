#pragma once
// The program's two clocks, each injectable so tests can play time forward by hand. Every
// reading of the time goes through here.
//
// TickSource measures durations: milliseconds of a steady clock that never goes back when the
// wall clock is set. DateClock tells the current local date and time as a DateTime value, for
// what is stored or shown (the end of a rescan, a log line's date).

#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/date_time.h"

namespace quillory {

using TickSource = std::function<int64_t()>;
using DateClock = std::function<DateTime()>;

// A moment of the system's steady clock, for the deadlines of waits on the system.
using SteadyTime = std::chrono::steady_clock::time_point;
SteadyTime SteadyNow();

// Milliseconds of the same clock since an unspecified start.
int64_t SteadyTickCount();

// The same clock read coarsely (it moves in steps of a few milliseconds) and for a fraction of
// the cost: for pacing that asks the time once per item of a walk of millions.
int64_t CoarseTickCount();

// The current local date and time: the system's DateClock.
DateTime NowDateTime();

}  // namespace quillory
