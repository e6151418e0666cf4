#include <gtest/gtest.h>

#include "platform/date_time.h"
#include "results/attributes_text.h"
#include "results/result_columns.h"
#include "results/size_text.h"
#include "tests/results/result_builder.h"

namespace quillory {
namespace {

TEST(SizeText, ThresholdsUnitsAndHalfEvenRounding) {
    const LocaleFormats us = LocaleFormats::ForLocale("en_US");
    ASSERT_EQ(us.ThousandsSeparator(), ",");
    const struct {
        int64_t size;
        const char* text;
    } rows[] = {
        {0, "0 bytes"},
        {1, "1 bytes"},
        {999, "999 bytes"},
        {1000, "1,000 bytes"},
        {99999, "99,999 bytes"},
        {100000, "98 KB"},
        {100864, "98 KB"},   // 98.5 -> even 98
        {101888, "100 KB"},  // 99.5 -> even 100
        {101376, "99 KB"},   // 99.0
        {1048576, "1,024 KB"},
        {102398975, "99,999 KB"},
        {102400000, "98 MB"},  // 100000 KB is not below the threshold
        {5368709120, "5,120 MB"},
        {214748364800, "200 GB"},
        {109951162777600, "102,400 GB"},
        {INT64_MAX, "8,589,934,592 GB"},
        {-5, "-5 bytes"},
    };
    for (const auto& row : rows) EXPECT_EQ(SizeText(row.size, us), row.text) << row.size;
}

TEST(SizeText, RoundsAtEveryStepNotOnce) {
    const LocaleFormats us = LocaleFormats::ForLocale("en_US");
    // 104332800 bytes = 101887.5 KB -> 101888 (even) -> 99.5 MB -> 100 MB; rounding the exact
    // value once would give 99.
    EXPECT_EQ(SizeText(104332800, us), "100 MB");
    // 99999.5 MB after the KB step rounds to 100000 MB (even), which goes on to GB.
    EXPECT_EQ(SizeText(104857075712, us), "98 GB");
    EXPECT_EQ(SizeText(102399488, us), "98 MB");
}

TEST(GroupDigits, SeparatorOfTheLocale) {
    const LocaleFormats us = LocaleFormats::ForLocale("en_US");
    const LocaleFormats de = LocaleFormats::ForLocale("de_DE.UTF-8");
    ASSERT_EQ(de.ThousandsSeparator(), ".");
    const struct {
        int64_t value;
        const char* us;
        const char* de;
    } rows[] = {
        {0, "0", "0"},
        {12, "12", "12"},
        {123, "123", "123"},
        {1234, "1,234", "1.234"},
        {123456, "123,456", "123.456"},
        {1234567, "1,234,567", "1.234.567"},
        {-1234567, "-1,234,567", "-1.234.567"},
        {INT64_MIN, "-9,223,372,036,854,775,808", "-9.223.372.036.854.775.808"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(GroupDigits(row.value, us), row.us);
        EXPECT_EQ(GroupDigits(row.value, de), row.de);
    }
    EXPECT_EQ(SizeText(99999, de), "99.999 bytes");
}

TEST(AttributesText, FixedOrderAndNormalOnlyForTheExactValue) {
    const struct {
        uint32_t attributes;
        const char* text;
    } rows[] = {
        {0x21, "ARCHIVE | READONLY"},
        {0x80, "NORMAL"},
        {0x81, "READONLY"},
        {0x2000, ""},
        {0, ""},
        {0x10, "DIRECTORY"},
        {0x12, "DIRECTORY | HIDDEN"},
        {0x410, "DIRECTORY"},  // the link bit has no name of its own
        {0x4 | 0x1 | 0x2, "HIDDEN | READONLY | SYSTEM"},
        {0x1000 | 0x100 | 0x800, "COMPRESSED | OFFLINE | TEMPORARY"},
        {0x1FB7, "ARCHIVE | COMPRESSED | DIRECTORY | HIDDEN | OFFLINE | READONLY | SYSTEM | TEMPORARY"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AttributesText(row.attributes), row.text) << std::hex << row.attributes;
}

TEST(ColumnTexts, RowTextsInColumnOrder) {
    const LocaleFormats us = LocaleFormats::ForLocale("en_US");
    EntryList results;
    const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 30, 0, 0});
    const DateTime midnight = EncodeDateTime({2024, 3, 5, 0, 0, 0, 0});
    test::AddResult(results, {"song.mp3", "/music/", 100864, noon});
    TMyItem& folder = test::AddResult(results, {"docs", "/home/", 0, midnight, kAttrDirectory});
    folder.IconIndex = -1;
    results[0].IconIndex = 7;

    ResultRowTexts row;
    ASSERT_TRUE(ColumnTexts(results, 0, us, row));
    EXPECT_EQ(row.caption, "song.mp3");
    EXPECT_EQ(row.subItems[0], "/music/");
    EXPECT_EQ(row.subItems[1], "98 KB");
    EXPECT_EQ(row.subItems[2], "3/5/24 12:30:00\u202fPM");
    EXPECT_EQ(row.subItems[3], "mp3");
    EXPECT_EQ(row.imageIndex, 7);

    ASSERT_TRUE(ColumnTexts(results, 1, us, row));
    EXPECT_EQ(row.subItems[1], "0 bytes");
    EXPECT_EQ(row.subItems[2], "3/5/24");  // midnight: the date alone
    EXPECT_EQ(row.subItems[3], "Folder");
    EXPECT_EQ(row.imageIndex, 0);

    const LocaleFormats de = LocaleFormats::ForLocale("de_DE");
    EXPECT_EQ(ResultColumnText(results[0], ResultColumn::Date, de), "05.03.24 12:30:00");
    EXPECT_EQ(ResultColumnText(results[1], ResultColumn::Date, de), "05.03.24");

    // An index at or beyond the result count leaves the row untouched, spare slots included.
    results.Truncate(1);
    ResultRowTexts untouched;
    untouched.caption = "keep";
    EXPECT_FALSE(ColumnTexts(results, 1, us, untouched));
    EXPECT_FALSE(ColumnTexts(results, 5, us, untouched));
    EXPECT_EQ(untouched.caption, "keep");
}

// Characters that hide or reorder text show as their code points in the list's names,
// folders and extensions; the entry, and so every export and clipboard text, keeps its bytes.
TEST(ResultColumnText, FormatAndControlCharactersShowAsCodes) {
    EntryList results;
    const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 30, 0, 0});
    test::AddResult(results, {"rtl\u202Etxt.exe", "/in\u2067box\u2069/", 1, noon});
    test::AddResult(results, {"a\nb\x7f\xc2\x85\u200B\u2028\uFEFF.t\u202Ext", "/ok/", 1, noon});
    test::AddResult(results,
                    {"\u05E9\u05DC\u05D5\u05DD \u0645\u200C\u06CC \U0001F469\u200D\U0001F4BB bad\xff.txt",
                     "/caf\xc3\xa9/", 1, noon});
    const LocaleFormats us = LocaleFormats::ForLocale("en_US");
    EXPECT_EQ(ResultColumnText(results[0], ResultColumn::Name, us), "rtl<U+202E>txt.exe");
    EXPECT_EQ(ResultColumnText(results[0], ResultColumn::Folder, us), "/in<U+2067>box<U+2069>/");
    EXPECT_EQ(ResultColumnText(results[1], ResultColumn::Name, us),
              "a<U+000A>b<U+007F><U+0085><U+200B><U+2028><U+FEFF>.t<U+202E>xt");
    EXPECT_EQ(ResultColumnText(results[1], ResultColumn::Ext, us), "t<U+202E>xt");
    // Hebrew, Persian with its non-joiner, an emoji joined by ZWJ and a byte that is no UTF-8.
    EXPECT_EQ(ResultColumnText(results[2], ResultColumn::Name, us), std::string(results[2].Name()));
    EXPECT_EQ(ResultColumnText(results[2], ResultColumn::Folder, us), "/caf\xc3\xa9/");
    ResultRowTexts row;
    ASSERT_TRUE(ColumnTexts(results, 0, us, row));
    EXPECT_EQ(row.caption, "rtl<U+202E>txt.exe");
    EXPECT_EQ(row.subItems[0], "/in<U+2067>box<U+2069>/");
    EXPECT_EQ(EntryFullPath(results[0]), "/in\u2067box\u2069/rtl\u202Etxt.exe");
}

}  // namespace
}  // namespace quillory
