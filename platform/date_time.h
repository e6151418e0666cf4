#pragma once
// The program's date-time value: a double counting days since 30 December 1899 00:00 local
// time, the fraction being the time of day. 0 stands for a time that could not be converted.

#include <cmath>
#include <cstdint>
#include <ctime>

namespace quillory {

using DateTime = double;

// Day number of 1 January 1970 in this count.
inline constexpr int kUnixEpochDay = 25569;

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Returns 0 when a field is out of range (month 13, 30 February, hour 24 ...).
DateTime EncodeDateTime(const DateTimeParts& parts);
// A value that is no number or lies outside the years 1 to 9999 decodes as 0 does.
DateTimeParts DecodeDateTime(DateTime value);

// Whether `value` is a finite date-time within the years 1 to 9999. (Day -693593 is
// 0001-01-01, its time of day counting forward into the fraction; day 2958466 is 10000-01-01.)
// Inline: every record of a database read asks it three times.
inline bool IsValidDateTime(DateTime value) {
    return std::isfinite(value) && value > -693594.0 && value < 2958466.0;
}

// Day number of a civil date (proleptic Gregorian), 1899-12-30 being day 0.
int64_t DaysFromCivil(int year, int month, int day);

// The local wall-clock time of `tm` (as filled by localtime_r) as a date-time value.
DateTime DateTimeFromTm(const std::tm& tm, int millisecond = 0);

// The local calendar time of `unixSeconds` (seconds since 1970-01-01 00:00 UTC) by the time
// zone last read; false when the system cannot work it out.
bool LocalCalendarTime(int64_t unixSeconds, std::tm& tm);

// Reads the time zone anew (TZ, /etc/localtime), for the conversions that follow.
void ReloadTimeZone();

}  // namespace quillory
