#include "platform/date_time.h"

#include <cmath>

namespace quillory {

namespace {
constexpr int64_t kMsPerDay = 86'400'000;

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Civil date of a day number counted from 1970-01-01 (H. Hinnant's algorithm).
void CivilFromUnixDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}
}  // namespace

int64_t DaysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(month > 2 ? month - 3 : month + 9) + 2) / 5 +
                         static_cast<unsigned>(day) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468 + kUnixEpochDay;
}

DateTime EncodeDateTime(const DateTimeParts& p) {
    if (p.year < 1 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 ||
        p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 || p.minute < 0 || p.minute > 59 ||
        p.second < 0 || p.second > 59 || p.millisecond < 0 || p.millisecond > 999) {
        return 0;
    }
    const auto days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day));
    const double time =
        static_cast<double>(((p.hour * 60 + p.minute) * 60 + p.second) * 1000 + p.millisecond) /
        static_cast<double>(kMsPerDay);
    // Before day 0 the fraction still counts forward from midnight, as the day number's
    // sign does not apply to it.
    return days >= 0 ? days + time : days - time;
}

DateTimeParts DecodeDateTime(DateTime value) {
    if (!IsValidDateTime(value)) return DateTimeParts{};
    int64_t days;
    int64_t ms;
    if (value >= 0) {
        const auto total = std::llround(value * static_cast<double>(kMsPerDay));
        days = total / kMsPerDay;
        ms = total % kMsPerDay;
    } else {
        days = static_cast<int64_t>(std::trunc(value));
        ms = std::llround(std::fabs(value - static_cast<double>(days)) * static_cast<double>(kMsPerDay));
        if (ms >= kMsPerDay) ms = kMsPerDay - 1;
    }
    DateTimeParts p;
    CivilFromUnixDays(days - kUnixEpochDay, p.year, p.month, p.day);
    p.millisecond = static_cast<int>(ms % 1000);
    const int64_t seconds = ms / 1000;
    p.second = static_cast<int>(seconds % 60);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.hour = static_cast<int>(seconds / 3600);
    return p;
}

DateTime DateTimeFromTm(const std::tm& tm, int millisecond) {
    return EncodeDateTime({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                           tm.tm_sec > 59 ? 59 : tm.tm_sec, millisecond});
}

bool LocalCalendarTime(int64_t unixSeconds, std::tm& tm) {
    const auto t = static_cast<std::time_t>(unixSeconds);
    if (static_cast<int64_t>(t) != unixSeconds) return false;
    return localtime_r(&t, &tm) != nullptr;
}

void ReloadTimeZone() {
    tzset();
}

}  // namespace quillory
