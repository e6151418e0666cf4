#pragma once
// Durations as the user sees them: hours, minutes and seconds, H:MM:SS.

#include <cstdint>
#include <string>

namespace quillory {

// Hours (not padded, may exceed 23), minutes and seconds with two digits: 0:02:07, 27:00:05.
// A negative count shows as 0:00:00.
std::string DurationText(int64_t seconds);

// Milliseconds to whole seconds, rounded to the nearest; halves go to the even second.
int64_t RoundedSeconds(int64_t milliseconds);

}  // namespace quillory
