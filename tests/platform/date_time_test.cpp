#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/locale_formats.h"

namespace quillory {
namespace {

TEST(DateTime, DayCountAnchors) {
    EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(EncodeDateTime({1900, 1, 1, 0, 0, 0, 0}), 2.0);
    EXPECT_EQ(EncodeDateTime({1970, 1, 1, 0, 0, 0, 0}), 25569.0);
    EXPECT_EQ(EncodeDateTime({1980, 1, 1, 12, 0, 0, 0}), 29221.5);
    EXPECT_EQ(EncodeDateTime({2024, 2, 29, 6, 0, 0, 0}), 45351.25);
    EXPECT_EQ(EncodeDateTime({2023, 2, 29, 0, 0, 0, 0}), 0.0);  // no such day
    EXPECT_EQ(EncodeDateTime({2023, 1, 1, 24, 0, 0, 0}), 0.0);
}

TEST(DateTime, DecodeInvertsEncode) {
    for (const DateTimeParts p :
         {DateTimeParts{1980, 1, 1, 0, 0, 0, 0}, DateTimeParts{2107, 12, 31, 23, 59, 58, 0},
          DateTimeParts{2026, 12, 7, 4, 6, 11, 0}, DateTimeParts{2000, 2, 29, 13, 14, 15, 999}}) {
        const DateTimeParts q = DecodeDateTime(EncodeDateTime(p));
        EXPECT_EQ(std::tie(q.year, q.month, q.day, q.hour, q.minute, q.second, q.millisecond),
                  std::tie(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond));
    }
    const DateTimeParts zero = DecodeDateTime(0);
    EXPECT_EQ(std::tie(zero.year, zero.month, zero.day), std::make_tuple(1899, 12, 30));
}

TEST(LocaleFormats, TwoLocales) {
    const DateTime t = EncodeDateTime({2026, 12, 7, 4, 6, 11, 0});
    const LocaleFormats de = LocaleFormats::ForLocale("de_DE.UTF-8");
    EXPECT_EQ(DateText(t, de), "07.12.26 04:06:11");
    EXPECT_EQ(de.ThousandsSeparator(), ".");
    const LocaleFormats us = LocaleFormats::ForLocale("en_US");
    EXPECT_EQ(us.ShortDate(t), "12/7/26");
    EXPECT_EQ(us.LongTime(t).substr(0, 7), "4:06:11");
    EXPECT_TRUE(us.LongTime(t).ends_with("AM"));
    EXPECT_EQ(us.ThousandsSeparator(), ",");
}

TEST(DateText, MidnightShowsTheDateAloneAndZeroIs1899) {
    const LocaleFormats de = LocaleFormats::ForLocale("de_DE");
    EXPECT_EQ(DateText(EncodeDateTime({2026, 7, 12, 0, 0, 0, 0}), de), "12.07.26");
    EXPECT_EQ(DateText(EncodeDateTime({2026, 7, 12, 0, 0, 1, 0}), de), "12.07.26 00:00:01");
    EXPECT_EQ(DateText(0, de), "30.12.99");
}

TEST(LocaleFormats, EnvironmentPicksLcAllThenLcTimeThenLang) {
    const char* vars[] = {"LC_ALL", "LC_TIME", "LANG"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(vars[i]);
        had[i] = v != nullptr;
        if (v) saved[i] = v;
    }
    setenv("LC_ALL", "", 1);
    setenv("LC_TIME", "de_DE.UTF-8", 1);
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(LocaleFormats::FromEnvironment().LocaleName(), "de_DE");
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(LocaleFormats::FromEnvironment().LocaleName(), "en_US_POSIX");
    for (int i = 0; i < 3; ++i) {
        if (had[i]) {
            setenv(vars[i], saved[i].c_str(), 1);
        } else {
            unsetenv(vars[i]);
        }
    }
}

}  // namespace
}  // namespace quillory

namespace quillory {
namespace {

// A damaged file can hold any double: those that are no date decode as date 0 does.
TEST(DateTime, ValuesThatAreNoDateDecodeAsZero) {
    const DateTimeParts zero = DecodeDateTime(0);
    const auto same = [&](const DateTimeParts& p) {
        return p.year == zero.year && p.month == zero.month && p.day == zero.day && p.hour == zero.hour &&
               p.minute == zero.minute && p.second == zero.second && p.millisecond == zero.millisecond;
    };
    for (const double bad :
         {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
          -std::numeric_limits<double>::infinity(), 1e300, -1e300, 2958466.0, -693594.0, 9.3e18, -9.3e18}) {
        EXPECT_FALSE(IsValidDateTime(bad)) << bad;
        EXPECT_TRUE(same(DecodeDateTime(bad))) << bad;
    }
    // The first and the last moment of the years 1 to 9999 are dates.
    const DateTimeParts first = DecodeDateTime(-693593.0);
    EXPECT_EQ(first.year, 1);
    EXPECT_EQ(first.month, 1);
    EXPECT_EQ(first.day, 1);
    const DateTimeParts last = DecodeDateTime(EncodeDateTime({9999, 12, 31, 23, 59, 59, 999}));
    EXPECT_EQ(last.year, 9999);
    EXPECT_EQ(last.millisecond, 999);
    EXPECT_TRUE(IsValidDateTime(EncodeDateTime({9999, 12, 31, 23, 59, 59, 999})));
}

}  // namespace
}  // namespace quillory
