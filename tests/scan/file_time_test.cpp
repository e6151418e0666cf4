#include "scan/file_time.h"

#include <gtest/gtest.h>

#include <ctime>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

// Seconds since 1970 of a UTC civil time.
int64_t Utc(int y, int mo, int d, int h, int mi, int s) {
    return (DaysFromCivil(y, mo, d) - kUnixEpochDay) * 86400 + h * 3600 + mi * 60 + s;
}

DateTime Local(int y, int mo, int d, int h, int mi, int s) {
    return EncodeDateTime({y, mo, d, h, mi, s, 0});
}

// Sets TZ for one test and makes the C library read it.
class ScopedZone {
  public:
    explicit ScopedZone(const char* zone) : env_("TZ", zone) { tzset(); }
    ~ScopedZone() { tzset(); }

  private:
    test::ScopedEnv env_;
};

TEST(FileTimeToDate, LocalTimeEvenSecondsAndYearRange) {
    // Central European rules written out, so no time-zone data is needed.
    ScopedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const struct {
        int64_t seconds;
        bool ok;
        DateTime expected;
    } rows[] = {
        // The first local second of 1980 is 23:00 UTC the day before.
        {Utc(1979, 12, 31, 23, 0, 0), true, Local(1980, 1, 1, 0, 0, 0)},
        {Utc(1979, 12, 31, 22, 59, 59), false, 0},
        {Utc(1975, 1, 1, 12, 0, 0), false, 0},
        {0, false, 0},
        {-1, false, 0},
        // Odd seconds go down to even ones; fractions are dropped.
        {Utc(2020, 1, 15, 10, 20, 7), true, Local(2020, 1, 15, 11, 20, 6)},
        {Utc(2020, 1, 15, 10, 20, 59), true, Local(2020, 1, 15, 11, 20, 58)},
        // Summer time: two hours ahead.
        {Utc(2020, 7, 1, 12, 0, 1), true, Local(2020, 7, 1, 14, 0, 0)},
        // The last representable local second, and the next one.
        {Utc(2107, 12, 31, 22, 59, 59), true, Local(2107, 12, 31, 23, 59, 58)},
        {Utc(2107, 12, 31, 23, 0, 0), false, 0},
        {int64_t{1} << 40, false, 0},
    };
    LocalTimeConverter converter;
    for (const auto& row : rows) {
        DateTime slow = -1;
        DateTime fast = -1;
        EXPECT_EQ(FileTimeToDate({row.seconds, 999'999'999}, slow), row.ok) << row.seconds;
        EXPECT_EQ(converter.Convert({row.seconds, 0}, fast), row.ok) << row.seconds;
        if (row.ok) {
            EXPECT_DOUBLE_EQ(slow, row.expected) << row.seconds;
            EXPECT_EQ(fast, slow) << row.seconds;
        } else {
            EXPECT_EQ(slow, -1) << "untouched on failure";
            EXPECT_EQ(converter.Date({row.seconds, 0}), 0);
        }
    }
}

TEST(FileTimeToDate, UtcZoneAtThe1980Edge) {
    ScopedZone zone("UTC0");
    DateTime value = 0;
    ASSERT_TRUE(FileTimeToDate({Utc(1980, 1, 1, 0, 0, 0), 0}, value));
    EXPECT_EQ(value, 29221);  // 1 January 1980 in days since 30 December 1899
    EXPECT_FALSE(FileTimeToDate({Utc(1979, 12, 31, 23, 59, 59), 0}, value));
}

TEST(FileTimeToDate, AcrossDaylightSavingChanges) {
    ScopedZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    // 2021-03-28: 02:00 local becomes 03:00 at 01:00 UTC; 2021-10-31: 03:00 becomes 02:00.
    EXPECT_EQ(LocalTimeConverter().Date({Utc(2021, 3, 28, 0, 59, 58), 0}), Local(2021, 3, 28, 1, 59, 58));
    EXPECT_EQ(LocalTimeConverter().Date({Utc(2021, 3, 28, 1, 0, 0), 0}), Local(2021, 3, 28, 3, 0, 0));
    EXPECT_EQ(LocalTimeConverter().Date({Utc(2021, 10, 31, 0, 59, 58), 0}), Local(2021, 10, 31, 2, 59, 58));
    EXPECT_EQ(LocalTimeConverter().Date({Utc(2021, 10, 31, 1, 0, 0), 0}), Local(2021, 10, 31, 2, 0, 0));

    // The day-by-day cache agrees with the plain conversion everywhere, the change days
    // included, whatever order the times come in.
    LocalTimeConverter converter;
    const int64_t from = Utc(2021, 3, 20, 0, 0, 0);
    const int64_t to = Utc(2021, 11, 10, 0, 0, 0);
    int checked = 0;
    for (int64_t t = from; t < to; t += 997) {
        for (const int64_t s : {t, to - (t - from)}) {
            DateTime expected = 0;
            ASSERT_TRUE(FileTimeToDate({s, 0}, expected));
            ASSERT_EQ(converter.Date({s, 0}), expected) << s;
            ++checked;
        }
    }
    EXPECT_GT(checked, 40000);
}

TEST(FileTimeToDate, ConverterReadsTheZoneWhenMade) {
    const int64_t t = Utc(2022, 1, 10, 12, 0, 0);
    DateTime utc = 0;
    DateTime tokyo = 0;
    {
        ScopedZone zone("UTC0");
        utc = LocalTimeConverter().Date({t, 0});
    }
    {
        ScopedZone zone("JST-9");
        tokyo = LocalTimeConverter().Date({t, 0});
    }
    EXPECT_DOUBLE_EQ(tokyo - utc, 9.0 / 24.0);
}

}  // namespace
}  // namespace quillory
