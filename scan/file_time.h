#pragma once
// The conversion of a file time (UTC) to the program's date-time value: local time, the
// seconds taken down to an even number (the resolution the catalogue keeps), and no value
// at all for a time before 1 January 1980 or after 31 December 2107 local time.

#include <array>
#include <cstdint>

#include "platform/date_time.h"
#include "platform/directory_listing.h"

namespace quillory {

// Converts `time`; false (and `value` untouched) when it falls outside 1980-2107 in local time
// or the local time cannot be worked out. Uses the time zone as last set by tzset().
bool FileTimeToDate(FileTime time, DateTime& value);

// The same conversion for many times in a row. The walk converts three times per item; the
// local-time rules are looked up once per UTC day met (two lookups, one at each end of the
// day) instead of once per time, and a day in which the offset changes (a daylight-saving
// change) is converted time by time. Reads the time zone anew when it is made.
class LocalTimeConverter {
  public:
    LocalTimeConverter();
    bool Convert(FileTime time, DateTime& value);
    // Convert, with 0 for a time that cannot be converted.
    DateTime Date(FileTime time) {
        DateTime value = 0;
        return Convert(time, value) ? value : 0;
    }

  private:
    static constexpr size_t kSlots = 1024;
    struct Slot {
        int64_t day = INT64_MIN;
        int32_t offset = 0;    // seconds east of UTC
        bool uniform = false;  // the offset holds for the whole UTC day
    };
    const Slot& Lookup(int64_t day);
    std::array<Slot, kSlots> slots_;
};

}  // namespace quillory
