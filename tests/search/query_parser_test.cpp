#include "search/query_parser.h"

#include <gtest/gtest.h>

#include "search/search_history.h"

namespace quillory {
namespace {

struct ParsedTerm {
    std::string text;
    TTermOperator op;
    bool pattern;
};

std::vector<ParsedTerm> Terms(const TWordList& words) {
    std::vector<ParsedTerm> terms;
    for (size_t i = 0; i < words.TermCount; ++i) {
        terms.push_back({words.Terms[i], words.Operators[i], words.PatternFlags[i]});
    }
    return terms;
}

TEST(ParseQuery, Table) {
    const struct {
        std::string text;
        bool caseSensitive;
        bool raw;
        std::vector<ParsedTerm> terms;
        bool anyTermMode;
    } rows[] = {
        {"report, \"my file\"; +\"2011\" -\"tmp\"",
         false,
         false,
         {{"REPORT", opOr, false},
          {"MY FILE", opOr, false},
          {"2011", opAnd, false},
          {"TMP", opAndNot, false}},
         false},
        {"a b c", false, false, {{"A", opOr, false}, {"B", opOr, false}, {"C", opOr, false}}, true},
        {";;  ,a,, ", false, false, {{"A", opOr, false}}, true},
        {"+abc", false, false, {{"+ABC", opOr, false}}, true},
        {"-abc", false, false, {{"-ABC", opOr, false}}, true},
        {"ab\"cd", false, false, {{"AB\"CD", opOr, false}}, true},
        {"\"abc\"def", false, false, {{"ABC", opOr, false}, {"DEF", opOr, false}}, true},
        {"\"abc\"+\"def\"", false, false, {{"ABC", opOr, false}, {"DEF", opAnd, false}}, false},
        {"abc \"def", false, false, {{"ABC", opOr, false}}, true},
        {"abc \"def\" \"ghi", false, false, {{"ABC", opOr, false}, {"DEF", opOr, false}}, true},
        {"\"\"", false, false, {}, true},
        {"+\"\"", false, false, {}, true},
        {"+\"\" x", false, false, {{"X", opOr, false}}, true},  // the marker is lost with the empty term
        {" , ; ", false, false, {}, true},
        {"", false, false, {}, true},
        {"a\tb", false, false, {{"A\tB", opOr, false}}, true},  // a tab belongs to the term
        {"\"a,b;c d\"", false, false, {{"A,B;C D", opOr, false}}, true},
        {"Foo *.Mp3", true, false, {{"Foo", opOr, false}, {"*.Mp3", opOr, true}}, true},
        {"Foo -\"Bar\"", false, true, {{"Foo", opOr, false}, {"Bar", opAndNot, false}}, false},
        {"readme.txt readme .txt readme. ..x a?",
         false,
         false,
         {{"README.TXT", opOr, true},
          {"README", opOr, false},
          {".TXT", opOr, false},
          {"README.", opOr, false},
          {"..X", opOr, false},
          {"A?", opOr, true}},
         true},
        {"Enter file name or wildcards",
         false,
         false,
         {{"ENTER", opOr, false},
          {"FILE", opOr, false},
          {"NAME", opOr, false},
          {"OR", opOr, false},
          {"WILDCARDS", opOr, false}},
         true},
        {"straße ärger ı",
         false,
         false,
         {{"STRAßE", opOr, false}, {"ÄRGER", opOr, false}, {"I", opOr, false}},
         true},
        {"a\xff"
         "b",
         false,
         false,
         {{"A\xff"
           "B",
           opOr, false}},
         true},
        {"-\"x\"", false, false, {{"X", opAndNot, false}}, false},
        {"+-\"x\"", false, false, {{"+-\"X\"", opOr, false}}, true},
    };
    for (const auto& row : rows) {
        TWordList words;
        ParseQuery(row.text, row.caseSensitive, row.raw, words);
        const auto terms = Terms(words);
        ASSERT_EQ(terms.size(), row.terms.size()) << row.text;
        for (size_t i = 0; i < terms.size(); ++i) {
            EXPECT_EQ(terms[i].text, row.terms[i].text) << row.text << " term " << i;
            EXPECT_EQ(terms[i].op, row.terms[i].op) << row.text << " term " << i;
            EXPECT_EQ(terms[i].pattern, row.terms[i].pattern) << row.text << " term " << i;
        }
        EXPECT_EQ(words.AnyTermMode, row.anyTermMode) << row.text;
    }
}

TEST(ParseQuery, KeepsAtMost200Terms) {
    std::string text;
    for (int i = 0; i < 250; ++i) text += "w" + std::to_string(i) + " ";
    TWordList words;
    ParseQuery(text, true, false, words);
    ASSERT_EQ(words.TermCount, 200);
    EXPECT_EQ(words.Terms[0], "w0");
    EXPECT_EQ(words.Terms[199], "w199");
}

TEST(ParseQuery, RebuildsFromNothingEachTime) {
    TWordList words;
    ParseQuery("a +\"b\" c", false, false, words);
    ASSERT_EQ(words.TermCount, 3);
    EXPECT_FALSE(words.AnyTermMode);
    ParseQuery("x", false, false, words);
    EXPECT_EQ(words.TermCount, 1);
    EXPECT_TRUE(words.AnyTermMode);
    EXPECT_EQ(words.Terms[0], "X");
}

TEST(SearchHistory, MostRecentFirstNoDuplicatesAtMost20) {
    TSearchHistory history;
    history.RememberSearchText("x");
    history.RememberSearchText("y");
    history.RememberSearchText("x");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"x", "y"}));
    history.RememberSearchText("Foo");
    history.RememberSearchText("foo");
    history.RememberSearchText("");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"", "foo", "Foo", "x", "y"}));
    for (int i = 0; i < 25; ++i) history.RememberSearchText("t" + std::to_string(i));
    ASSERT_EQ(history.Items().size(), 20u);
    EXPECT_EQ(history.Items().front(), "t24");
    EXPECT_EQ(history.Items().back(), "t5");
}

TEST(SearchHistory, RemovesTheLastOfEqualStoredItemsAndRoundTripsText) {
    TSearchHistory history;
    history.SetText("a\r\nb\r\na\r\nc\r\n");
    history.RememberSearchText("a");
    EXPECT_EQ(history.Items(), (std::vector<std::string>{"a", "a", "b", "c"}));
    TSearchHistory copy;
    copy.SetText(history.Text());
    EXPECT_EQ(copy.Items(), history.Items());
}

}  // namespace
}  // namespace quillory
