// The one-pass case-insensitive scan against the plain rule: upper-case the whole text, then
// look for the word.

#include <gtest/gtest.h>

#include <random>

#include "platform/text.h"
#include "search/ascii_scan.h"

namespace quillory {
namespace {

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
}

const std::vector<std::string> kPieces = {
    "a", "A", "b", "B", "ab",     "z",      "Z",      "@",    "`",    "[", "{",
    "_", ".", " ", "0", "\xff",   "ä",      "Ä",      "ı",    "ſ",    "ß", "\xe2\x84\xaa",
    "k", "K", "s", "S", "report", "REPORT", "RePoRt", "\xc4", "\xb1", "I"};

std::string RandomText(std::mt19937& rng, int maxPieces) {
    std::uniform_int_distribution<int> count(0, maxPieces);
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::string s;
    for (int n = count(rng); n > 0; --n) s += kPieces[pick(rng)];
    return s;
}

TEST(AsciiScan, FindEqualsSearchInTheAsciiUpperCasedText) {
    std::mt19937 rng(4242);
    size_t found = 0;
    for (int q = 0; q < 20000; ++q) {
        const std::string text = RandomText(rng, 30);  // long enough for whole 16-byte blocks
        const std::string needle = AsciiUpper(RandomText(rng, 3));
        const size_t expected = AsciiUpper(text).find(needle);
        const char* hit = FindAsciiUpper(text.data(), text.size(), needle);
        const size_t got = hit == nullptr ? std::string::npos : static_cast<size_t>(hit - text.data());
        ASSERT_EQ(got, expected) << "text '" << text << "' needle '" << needle << "'";
        if (expected != std::string::npos) ++found;
    }
    EXPECT_GT(found, 2000u);
}

TEST(AsciiScan, BothCasesOfLettersOnlyAndNoLowerCaseNeedle) {
    // OR-ing the case bit must not let '@' stand for '`' or '[' for '{'.
    EXPECT_EQ(FindAsciiUpper("`[{", 3, "@"), nullptr);
    EXPECT_EQ(FindAsciiUpper("{{{{{{{{{{{{{{{{{{{{", 20, "[["), nullptr);
    const std::string text = "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxquarterly";
    EXPECT_EQ(FindAsciiUpper(text.data(), text.size(), "QUARTERLY"), text.data() + 36);
    // No upper-cased text holds a lower-case letter.
    EXPECT_EQ(FindAsciiUpper(text.data(), text.size(), "quarterly"), nullptr);
    EXPECT_EQ(FindAsciiUpper(text.data(), text.size(), ""), text.data());
    // Bytes of 0x80 and above compare as they are.
    EXPECT_EQ(FindAsciiUpper("\xc3\xa4", 2, "\xc3\x84"), nullptr);
}

TEST(AsciiScan, OnlyDotlessIAndLongSUpperCaseIntoAscii) {
    // The rule that lets the scan rule names out from their stored bytes.
    std::vector<char32_t> found;
    for (char32_t cp = 0x80; cp <= 0x10FFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        if (text::UpperCodePoint(cp) < 0x80) found.push_back(cp);
    }
    EXPECT_EQ(found, (std::vector<char32_t>{0x131, 0x17F}));
}

struct MayHoldRow {
    const char* name;
    const char* literal;  // upper-cased
    bool mayHold;
};

TEST(AsciiScan, NamesRuledOutOnlyWhenTheyCannotHoldTheWord) {
    const MayHoldRow rows[] = {
        {"Quarterly report.pdf", "REPORT", true},
        {"rEpOrT", "REPORT", true},
        {"repor", "REPORT", false},
        {"ſtar", "STAR", true},  // long s upper-cases to S
        {"BıG", "BIG", true},    // dotless i upper-cases to I
        {"\xe2\x84\xaa"
         "elvin",
         "KELVIN", false},  // the Kelvin sign stays itself
        {"kelvin", "KELVIN", true},
        {"Straße", "STRASSE", false},  // ß has no one-character upper case
        {"straße", "STRAßE", true},
        {"café", "CAFÉ", true},  // a word beyond ASCII: any name beyond ASCII may hold it
        {"cafe", "CAFÉ", false},
        {"a\xff"
         "b",
         "A\xff"
         "B",
         true},
        {"abc", "\xff", false},
        {"i", "İ", false},
        {"anything", "", true},
    };
    for (const MayHoldRow& row : rows) {
        EXPECT_EQ(NameMayHoldUpper(row.name, row.literal), row.mayHold) << row.name << " / " << row.literal;
        // Never wrong in the direction that would lose a match.
        if (text::UpperCase(row.name).find(row.literal) != std::string::npos) {
            EXPECT_TRUE(NameMayHoldUpper(row.name, row.literal)) << row.name;
        }
    }
}

TEST(AsciiScan, MarkingAllNamesAtOnceEqualsAskingEachName) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> gapPick(0, 3);
    for (int q = 0; q < 2000; ++q) {
        const std::string literal = text::UpperCase(RandomText(rng, 2));
        // Names laid out in one buffer with gaps that hold the word too: a hit in a gap or
        // across a name's end belongs to no name.
        std::string buffer;
        std::vector<std::pair<size_t, size_t>> spans;
        for (int n = 0; n < 40; ++n) {
            const int gap = gapPick(rng);
            if (gap == 1) buffer += literal;
            if (gap == 2) buffer += "\xc4";
            const std::string name = RandomText(rng, 6);
            spans.emplace_back(buffer.size(), name.size());
            buffer += name;
        }
        std::vector<std::string_view> names;
        for (const auto& [start, size] : spans) names.emplace_back(buffer.data() + start, size);
        std::vector<uint8_t> marks;
        MarkNamesMayHoldUpper(names, literal, marks);
        ASSERT_EQ(marks.size(), names.size());
        for (size_t k = 0; k < names.size(); ++k) {
            ASSERT_EQ(marks[k] != 0, NameMayHoldUpper(names[k], literal))
                << "name '" << names[k] << "' literal '" << literal << "'";
            if (text::UpperCase(names[k]).find(literal) != std::string::npos) {
                ASSERT_NE(marks[k], 0);
            }
        }
    }
}

// Names laid back to back, each followed by a NUL, as a catalogue stores them.
struct TerminatedNames {
    std::string bytes;
    std::vector<std::string> names;
    void Add(std::string_view name) {
        names.emplace_back(name);
        bytes.append(name).push_back('\0');
    }
    // The positions the scan must list: the names the one-name test does not rule out.
    std::vector<size_t> Expected(std::string_view literal) const {
        std::vector<size_t> expected;
        for (size_t k = 0; k < names.size(); ++k) {
            if (NameMayHoldUpper(names[k], literal)) expected.push_back(k);
        }
        return expected;
    }
};

// Both widths of the block scan (where the processor has the wider one) and the tail.
class TerminatedScan : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override { AllowWideScan(GetParam()); }
    void TearDown() override { AllowWideScan(true); }
};

TEST_P(TerminatedScan, ListsExactlyTheNamesThatMayHoldTheWord) {
    std::mt19937 rng(GetParam() ? 7 : 8);
    std::uniform_int_distribution<int> nameCount(0, 30);
    size_t listed = 0;
    std::vector<size_t> found;
    for (int q = 0; q < 3000; ++q) {
        const std::string literal = AsciiUpper(RandomText(rng, 2));
        if (!TerminatedScanApplies(literal)) continue;
        TerminatedNames t;
        // Names of every length (the empty one too), so that names, words and pairs straddle
        // the edges of 16- and 32-byte blocks.
        for (int n = nameCount(rng); n > 0; --n) t.Add(RandomText(rng, 8));
        ASSERT_EQ(FindTerminatedNamesMayHoldUpper(t.bytes, literal, found), t.names.size());
        ASSERT_EQ(found, t.Expected(literal)) << "literal '" << literal << "' in '" << t.bytes << "'";
        listed += found.size();
    }
    EXPECT_GT(listed, 3000u);
}

TEST_P(TerminatedScan, WordsAndPairsAtBlockEdgesAndAcrossNames) {
    std::vector<size_t> found;
    for (size_t pad = 0; pad < 70; ++pad) {
        const std::string filler(pad, 'x');
        // A word split over two names belongs to neither.
        TerminatedNames split;
        split.Add(filler + "REPO");
        split.Add("RT" + filler);
        split.Add(filler + "rEpOrT");
        EXPECT_EQ(FindTerminatedNamesMayHoldUpper(split.bytes, "REPORT", found), 3u);
        EXPECT_EQ(found, (std::vector<size_t>{2})) << pad;
        // A dotless i (C4 B1) or long s (C5 BF) whose two bytes fall into two blocks; the lead
        // byte alone, or the second byte leading the next name, is no such character.
        TerminatedNames pairs;
        pairs.Add(filler + "\xc4");
        pairs.Add("\xb1" + filler);
        pairs.Add(filler + "ı");
        pairs.Add(filler);
        pairs.Add(filler + "ſ" + filler);
        pairs.Add(filler + "\xff\xc5");
        EXPECT_EQ(FindTerminatedNamesMayHoldUpper(pairs.bytes, "QQ", found), 6u);
        EXPECT_EQ(found, (std::vector<size_t>{2, 4})) << pad;
        EXPECT_EQ(found, pairs.Expected("QQ"));
        // A one-byte word, and a word as long as a whole name.
        EXPECT_EQ(FindTerminatedNamesMayHoldUpper(split.bytes, "T", found), 3u);
        EXPECT_EQ(found, (std::vector<size_t>{1, 2})) << pad;
        TerminatedNames whole;
        whole.Add(filler);
        whole.Add("Quarterly");
        whole.Add(filler + "quarterl");
        EXPECT_EQ(FindTerminatedNamesMayHoldUpper(whole.bytes, "QUARTERLY", found), 3u);
        EXPECT_EQ(found, (std::vector<size_t>{1})) << pad;
    }
}

TEST_P(TerminatedScan, NulInsideANameShowsInTheCount) {
    std::vector<size_t> found;
    const std::string bytes = std::string("ab\0REPORT\0x\0", 12);
    // Three names stored, but four NULs: the caller learns that the positions are not names.
    EXPECT_EQ(FindTerminatedNamesMayHoldUpper(std::string_view(bytes.data(), bytes.size()), "REPORT", found),
              3u);
    EXPECT_EQ(FindTerminatedNamesMayHoldUpper({}, "REPORT", found), 0u);
    EXPECT_TRUE(found.empty());
    EXPECT_FALSE(TerminatedScanApplies(""));
    EXPECT_FALSE(TerminatedScanApplies("CAFÉ"));
    EXPECT_FALSE(TerminatedScanApplies("report"));
    EXPECT_FALSE(TerminatedScanApplies(std::string_view("A\0B", 3)));
    EXPECT_TRUE(TerminatedScanApplies("REPORT 2.TXT"));
}

INSTANTIATE_TEST_SUITE_P(Widths, TerminatedScan, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Wide" : "Narrow";
                         });

TEST(AsciiScan, MarkingWithTheNarrowScanEqualsTheWideOne) {
    std::mt19937 rng(5);
    for (int q = 0; q < 500; ++q) {
        const std::string literal = text::UpperCase(RandomText(rng, 2));
        std::string buffer;
        std::vector<std::pair<size_t, size_t>> spans;
        for (int n = 0; n < 30; ++n) {
            buffer += "\xc4";
            const std::string name = RandomText(rng, 8);
            spans.emplace_back(buffer.size(), name.size());
            buffer += name;
        }
        std::vector<std::string_view> names;
        for (const auto& [start, size] : spans) names.emplace_back(buffer.data() + start, size);
        std::vector<uint8_t> wide;
        std::vector<uint8_t> narrow;
        MarkNamesMayHoldUpper(names, literal, wide);
        AllowWideScan(false);
        MarkNamesMayHoldUpper(names, literal, narrow);
        AllowWideScan(true);
        ASSERT_EQ(wide, narrow) << literal;
    }
}

}  // namespace
}  // namespace quillory
