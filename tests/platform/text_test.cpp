#include "platform/text.h"

#include <gtest/gtest.h>

namespace quillory::text {
namespace {

TEST(CaseMapping, CodePointsMapOneToOneAndInvalidBytesStay) {
    const struct {
        std::string in, upper, lower;
    } rows[] = {
        {"abcXYZ09_.", "ABCXYZ09_.", "abcxyz09_."},
        {"\xC3\xA4rger", "\xC3\x84RGER", "\xC3\xA4rger"},  // ä -> Ä
        {"caf\xC3\xA9", "CAF\xC3\x89", "caf\xC3\xA9"},     // é -> É
        {"stra\xC3\x9F"
         "e",
         "STRA\xC3\x9F"
         "E",
         "stra\xC3\x9F"
         "e"},                          // ß stays ß
        {"\xC4\xB1", "I", "\xC4\xB1"},  // dotless ı upper-cases to I
        {"\xC4\xB0", "\xC4\xB0", "i"},  // İ lower-cases to i
        {"\xCE\xA3\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3\xCE\xA3", "\xCF\x83\xCF\x83\xCF\x82"},  // Σσς
        {std::string("a\xFF"
                     "b\xC3",
                     4),
         std::string("A\xFF"
                     "B\xC3",
                     4),
         std::string("a\xFF"
                     "b\xC3",
                     4)},
        {"\xC0\xAF", "\xC0\xAF", "\xC0\xAF"},                             // overlong stays bytes
        {"\xF0\x9F\x98\x80x", "\xF0\x9F\x98\x80X", "\xF0\x9F\x98\x80x"},  // emoji untouched
        {"\xEF\xBD\x81", "\xEF\xBC\xA1", "\xEF\xBD\x81"},                 // fullwidth a -> A
    };
    for (const auto& row : rows) {
        EXPECT_EQ(UpperCase(row.in), row.upper) << row.in;
        EXPECT_EQ(LowerCase(row.in), row.lower) << row.in;
    }
}

TEST(DecodeCodePoint, ValidAndInvalidSequences) {
    const struct {
        std::string bytes;
        int32_t value;
        uint32_t length;
    } rows[] = {
        {"A", 'A', 1},
        {"\xC3\xA4", 0xE4, 2},
        {"\xE2\x82\xAC", 0x20AC, 3},
        {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\x80", -1, 1},  // continuation byte alone
        {"\xC3", -1, 1},  // cut short
        {"\xC3"
         "A",
         -1, 1},                      // bad continuation
        {"\xE0\x80\x80", -1, 1},      // overlong
        {"\xED\xA0\x80", -1, 1},      // surrogate
        {"\xF4\x90\x80\x80", -1, 1},  // above U+10FFFF
        {"\xFE", -1, 1},
    };
    for (const auto& row : rows) {
        const CodePoint cp = DecodeCodePoint(row.bytes.data(), row.bytes.data() + row.bytes.size());
        EXPECT_EQ(cp.value, row.value) << row.bytes;
        EXPECT_EQ(cp.length, row.length) << row.bytes;
    }
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA4"));
    EXPECT_FALSE(IsValidUtf8("bad \xFF"));
}

TEST(AppendCodePoint, RoundTripsEveryPlane) {
    for (char32_t cp : {U'a', U'\u00E4', U'\u20AC', U'\U0001F600', U'\U0010FFFF'}) {
        std::string s;
        AppendCodePoint(s, cp);
        const CodePoint back = DecodeCodePoint(s.data(), s.data() + s.size());
        EXPECT_EQ(back.value, static_cast<int32_t>(cp));
        EXPECT_EQ(back.length, s.size());
    }
}

}  // namespace
}  // namespace quillory::text
