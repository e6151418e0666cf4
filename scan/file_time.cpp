#include "scan/file_time.h"

#include <ctime>

namespace quillory {

namespace {

constexpr int64_t kSecondsPerDay = 86'400;
constexpr double kMsPerDay = 86'400'000.0;
// Day numbers of the first and the last day a time may fall on.
const int64_t kFirstDay = DaysFromCivil(1980, 1, 1);
const int64_t kLastDay = DaysFromCivil(2107, 12, 31);

int64_t FloorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Day number and second of the day of a local time counted in seconds from 1970-01-01.
bool DateFromLocalSeconds(int64_t local, DateTime& value) {
    const int64_t unixDay = FloorDiv(local, kSecondsPerDay);
    const int64_t day = unixDay + kUnixEpochDay;
    if (day < kFirstDay || day > kLastDay) return false;
    int64_t second = local - unixDay * kSecondsPerDay;
    second -= second % 2;
    value = static_cast<double>(day) + static_cast<double>(second * 1000) / kMsPerDay;
    return true;
}

// Times this far outside 1980-2107 fail in every time zone (offsets stay within a day); they
// are refused before any arithmetic that could overflow.
bool FarOutside(int64_t seconds) {
    return seconds < 0 || seconds > int64_t{5'000'000'000};
}

bool LocalTm(int64_t seconds, std::tm& tm) {
    return LocalCalendarTime(seconds, tm);
}

}  // namespace

bool FileTimeToDate(FileTime time, DateTime& value) {
    std::tm tm{};
    if (FarOutside(time.seconds) || !LocalTm(time.seconds, tm)) return false;
    const int year = tm.tm_year + 1900;
    if (year < 1980 || year > 2107) return false;
    const int second = tm.tm_sec / 2 * 2;
    if (tm.tm_hour >= 24 || tm.tm_min >= 60 || second >= 60) return false;
    const auto day = static_cast<double>(DaysFromCivil(year, tm.tm_mon + 1, tm.tm_mday));
    const int64_t ms = int64_t{tm.tm_hour} * 3'600'000 + int64_t{tm.tm_min} * 60'000 + int64_t{second} * 1000;
    value = day + static_cast<double>(ms) / kMsPerDay;
    return true;
}

LocalTimeConverter::LocalTimeConverter() {
    ReloadTimeZone();
}

const LocalTimeConverter::Slot& LocalTimeConverter::Lookup(int64_t day) {
    Slot& slot = slots_[static_cast<uint64_t>(day) % kSlots];
    if (slot.day == day) return slot;
    slot.day = day;
    slot.uniform = false;
    std::tm first{};
    std::tm last{};
    const int64_t start = day * kSecondsPerDay;
    if (!LocalTm(start, first) || !LocalTm(start + kSecondsPerDay - 1, last)) return slot;
    if (first.tm_gmtoff != last.tm_gmtoff || first.tm_isdst != last.tm_isdst) return slot;
    slot.offset = static_cast<int32_t>(first.tm_gmtoff);
    // A zone with leap seconds does not follow the plain offset: compare with the rules once.
    DateTime byOffset = 0;
    DateTime byRules = 0;
    const bool a = DateFromLocalSeconds(start + slot.offset, byOffset);
    const bool b = FileTimeToDate({start, 0}, byRules);
    slot.uniform = a == b && byOffset == byRules;
    return slot;
}

bool LocalTimeConverter::Convert(FileTime time, DateTime& value) {
    if (FarOutside(time.seconds)) return false;
    const Slot& slot = Lookup(FloorDiv(time.seconds, kSecondsPerDay));
    if (!slot.uniform) return FileTimeToDate(time, value);
    return DateFromLocalSeconds(time.seconds + slot.offset, value);
}

}  // namespace quillory
