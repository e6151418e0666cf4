#include "search/name_matching.h"

#include <gtest/gtest.h>

#include "search/query_parser.h"

namespace quillory {
namespace {

TEST(WildcardMatch, Table) {
    const struct {
        const char* pattern;
        const char* subject;
        bool expected;
    } rows[] = {
        {"README.TXT", "README.TXT", true},
        {"README.TXT", "XREADME.TXT", false},
        {"README.TXT", "README.TXTX", false},
        {"*.*", "Makefile", true},  // a dot is appended to a subject without one
        {"*.", "Makefile", true},
        {"*.", "a.txt", false},
        {"a*", "a", true},
        {"a**", "a", false},  // the subject is used up before the last star
        {"ab?", "ab", true},
        {"ab?", "abc", true},
        {"ab?", "abcd", true},         // whatever remains after the last run is accepted
        {"*ab?d", "xabcabed", false},  // a backtracking matcher would take the second 'ab'
        {"*ab?d", "xabcd", true},
        {"*a*b", "xaybzb", true},
        {"*a*b", "xaybzbc", false},
        {"*b*b", "abcb", true},
        {"*bc*bc", "abcbc", true},
        {"*bcbc", "abcbcbc", true},  // the last run only needs to end the subject
        {"a*a", "a", false},
        {"a*a", "aa", true},
        {"*", "", false},  // an empty subject ends every pattern character with false
        {"*", "x", true},
        {"?", "x", true},
        {"??", "x", false},
        {"?*", "x", false},
        {"*.MP3", "SONG.MP3", true},
        {"*.MP3", "SONG.MP3.BAK", false},
        {"*.MP3", "SONG.MP3X", false},
        {"*.MP3", "MP3", false},
        {"*MP3*", "X.MP3.Y", true},
        {"x?z", "xaz", true},
        {"x?z", "xz", false},
        {"?.txt", "ä.txt", true},  // ? takes one character of two bytes
        {"??.txt", "ä.txt", false},
        {"?.txt", "\xff.txt", true},  // an invalid byte is one character
        {"a.b?", "a.b", true},
        {"*/readme.txt", "/home/u/readme.txt", true},
        {"", "anything", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WildcardMatch(row.subject, row.pattern), row.expected)
            << "pattern '" << row.pattern << "' subject '" << row.subject << "'";
    }
}

TEST(FindWholeWord, Table) {
    const struct {
        const char* term;
        const char* text;
        size_t expected;
    } rows[] = {
        {"abc", "my abc.txt", 4},
        {"abc", "abc_1", 1},
        {"abc", "xabcx", 0},
        {"abc", "abc1", 0},  // a digit is a word character
        {"abc", "1abc", 0},
        {"abc", "xabc abc", 6},  // the scan goes on after a failed position
        {"abc", "abc", 1},
        {"abc", "ab", 0},
        {"ÄRGER", "DER ÄRGER", 5},
        {"ÄRGER", "XÄRGER", 0},
        {"ARGER", "ÄRGER", 0},    // Ä is a letter, so it joins the word
        {"STRA", "STRAßE", 1},    // ß has one case form only: it delimits
        {"ABC", "日本ABC語", 7},  // uncased characters delimit
        {"ABC", "ıABC", 0},       // dotless ı has two case forms: a word character
        {"ABC",
         "\xff"
         "ABC\xc3",
         2},  // invalid bytes delimit
        {"ABC", "ÉABC", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FindWholeWord(row.term, row.text), row.expected) << row.term << " in " << row.text;
    }
}

TEST(IsWordDelimiter, Table) {
    const struct {
        int32_t cp;
        bool expected;
    } rows[] = {
        {'a', false},   {'Z', false},   {'0', false},   {'9', false}, {' ', true},
        {'_', true},    {'-', true},    {'.', true},    {'/', true},  {'\\', true},
        {0xE4, false},  {0xC9, false},  {0xDF, true},    // ß
        {0x131, false}, {0x65E5, true}, {0x0663, true},  // Arabic-Indic digit: not 0-9, no case
        {-1, true},
    };
    for (const auto& row : rows) EXPECT_EQ(IsWordDelimiter(row.cp), row.expected) << row.cp;
}

TEST(IsPatternTerm, Table) {
    const struct {
        const char* term;
        bool expected;
    } rows[] = {
        {"readme.txt", true}, {"readme", false}, {".txt", false}, {"readme.", false}, {"..x", false},
        {"a*", true},         {"?", true},       {"a.b.", true},  {"a..", true},      {".a.b", false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsPatternTerm(row.term), row.expected) << row.term;
}

struct QueryRow {
    const char* query;
    const char* subject;
    bool caseSensitive;
    bool wholeWords;
    bool expected;
};

TEST(MatchesQuery, Table) {
    const QueryRow rows[] = {
        {"", "anything", false, false, true},
        {" ,; ", "anything", false, false, true},
        {"abc", "xabcx", false, false, true},
        {"abc", "xabcx", false, true, false},
        {"abc", "my abc.txt", false, true, true},
        {"abc", "abc_1", false, true, true},
        {"abc", "abc1", false, true, false},
        {"readme.txt", "README.TXT", false, false, true},
        {"readme.txt", "README.TXT", true, false, false},
        {"readme.txt", "/home/u/README.TXT", false, false, false},  // a pattern matches whole subjects
        {"*/readme.txt", "/home/u/README.TXT", false, false, true},
        {"readme.txt", "README.TXT", false, true, true},  // whole words does not act on patterns
        {"foo bar", "xbarx", false, false, true},
        {"foo bar", "xfoo", false, false, true},
        {"foo bar", "baz", false, false, false},
        {"foo +\"bar\" -\"tmp\"", "foo_bar", false, false, true},
        {"foo +\"bar\" -\"tmp\"", "foo_bar.tmp", false, false, false},
        {"foo +\"bar\" -\"tmp\"", "foo", false, false, false},
        {"-\"tmp\"", "file.txt", false, false, true},
        {"-\"tmp\"", "file.tmp", false, false, false},
        {"+\"a\" b", "b", false, false, true},      // (a) or b
        {"a b +\"c\"", "b_c", false, false, true},  // (a or b) and c, no precedence
        {"a b +\"c\"", "a", false, false, false},
        {"a +\"b\" c", "c", false, false, true},  // (a and b) or c
        {"-\"a\" -\"b\"", "b", false, false, false},
        {"-\"a\" b", "a", false, false, false},  // (not a) or b: the OR needs b here
        {"-\"a\" b", "ab", false, false, true},
        {"-\"a\" b", "x", false, false, true},
        {"ärger", "ÄRGER.TXT", false, false, true},
        {"ÄRGER", "ärger.txt", false, false, true},
        {"ärger", "ÄRGER.TXT", true, false, false},
        {"é", "CAFÉ", false, false, true},
        {"straße", "STRASSE", false, false, false},  // ß stays ß: no folding to SS
        {"straße", "Straße", false, false, true},
        {"i", "ı", false, false, true},   // dotless ı upper-cases to I
        {"i", "İ", false, false, false},  // dotted İ stays İ
        {"\xff",
         "a\xff"
         "b",
         false, false, true},                // an invalid name survives and is matched by bytes
        {"\xa4", "ä", false, false, false},  // never half a character
        {"\xc3", "ä", false, false, false},
        {"\xc3",
         "\xc3"
         "a",
         false, false, true},
        {"*.mp3", "Song.MP3", false, false, true},
        {"*.mp3", "Song.MP3", true, false, false},
    };
    for (const auto& row : rows) {
        TSearchOptions options;
        options.CaseSensitive = row.caseSensitive;
        options.WholeWords = row.wholeWords;
        TWordList words;
        ParseQuery(row.query, row.caseSensitive, false, words);
        EXPECT_EQ(MatchesQuery(row.subject, words, options), row.expected)
            << "query '" << row.query << "' subject '" << row.subject << "' case " << row.caseSensitive
            << " words " << row.wholeWords;
    }
}

TEST(MatchesQuery, EvaluatesEveryTermWithoutShortCutInBooleanMode) {
    // A single AND NOT term turns every non-match into a match, whatever came before.
    TWordList words;
    ParseQuery("x -\"y\"", false, false, words);
    QueryMatcher matcher(words, TSearchOptions{});
    std::vector<size_t> evaluated;
    const bool result = matcher.Combine([&](size_t i) {
        evaluated.push_back(i);
        return false;
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(evaluated, (std::vector<size_t>{0, 1}));
}

TEST(CompiledTerm, CopyKeepsItsOwnLiteralRuns) {
    CompiledTerm original("*AB?CD", TTermOperator::opOr, true);
    CompiledTerm copy = original;
    original = CompiledTerm("*XY?ZW", TTermOperator::opOr, true);
    std::string scratch;
    EXPECT_TRUE(WildcardMatchCompiled("QABXCD", copy, scratch));
    EXPECT_FALSE(WildcardMatchCompiled("QXYXZW", copy, scratch));
}

}  // namespace
}  // namespace quillory
