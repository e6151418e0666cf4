#pragma once
// The program's two clocks, each injectable so tests can play time forward by hand.
//
// TickSource measures durations: milliseconds of a steady clock that never goes back when the
// wall clock is set. DateClock tells the current local date and time as a DateTime value, for
// what is stored or shown (the end of a rescan, a log line's date).

#include <cstdint>
#include <functional>

#include "platform/date_time.h"

namespace quillory {

using TickSource = std::function<int64_t()>;
using DateClock = std::function<DateTime()>;

// Milliseconds of the system's steady clock since an unspecified start.
int64_t SteadyTickCount();

// The same clock read coarsely (it moves in steps of a few milliseconds) and for a fraction of
// the cost: for pacing that asks the time once per item of a walk of millions.
int64_t CoarseTickCount();

}  // namespace quillory
