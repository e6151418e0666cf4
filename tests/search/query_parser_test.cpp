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
         {{"REPORT", TTermOperator::opOr, false},
          {"MY FILE", TTermOperator::opOr, false},
          {"2011", TTermOperator::opAnd, false},
          {"TMP", TTermOperator::opAndNot, false}},
         false},
        {"a b c",
         false,
         false,
         {{"A", TTermOperator::opOr, false},
          {"B", TTermOperator::opOr, false},
          {"C", TTermOperator::opOr, false}},
         true},
        {";;  ,a,, ", false, false, {{"A", TTermOperator::opOr, false}}, true},
        {"+abc", false, false, {{"+ABC", TTermOperator::opOr, false}}, true},
        {"-abc", false, false, {{"-ABC", TTermOperator::opOr, false}}, true},
        {"ab\"cd", false, false, {{"AB\"CD", TTermOperator::opOr, false}}, true},
        {"\"abc\"def",
         false,
         false,
         {{"ABC", TTermOperator::opOr, false}, {"DEF", TTermOperator::opOr, false}},
         true},
        {"\"abc\"+\"def\"",
         false,
         false,
         {{"ABC", TTermOperator::opOr, false}, {"DEF", TTermOperator::opAnd, false}},
         false},
        {"abc \"def", false, false, {{"ABC", TTermOperator::opOr, false}}, true},
        {"abc \"def\" \"ghi",
         false,
         false,
         {{"ABC", TTermOperator::opOr, false}, {"DEF", TTermOperator::opOr, false}},
         true},
        {"\"\"", false, false, {}, true},
        {"+\"\"", false, false, {}, true},
        {"+\"\" x",
         false,
         false,
         {{"X", TTermOperator::opOr, false}},
         true},  // the marker is lost with the empty term
        {" , ; ", false, false, {}, true},
        {"", false, false, {}, true},
        {"a\tb", false, false, {{"A\tB", TTermOperator::opOr, false}}, true},  // a tab belongs to the term
        {"\"a,b;c d\"", false, false, {{"A,B;C D", TTermOperator::opOr, false}}, true},
        {"Foo *.Mp3",
         true,
         false,
         {{"Foo", TTermOperator::opOr, false}, {"*.Mp3", TTermOperator::opOr, true}},
         true},
        {"Foo -\"Bar\"",
         false,
         true,
         {{"Foo", TTermOperator::opOr, false}, {"Bar", TTermOperator::opAndNot, false}},
         false},
        {"readme.txt readme .txt readme. ..x a?",
         false,
         false,
         {{"README.TXT", TTermOperator::opOr, true},
          {"README", TTermOperator::opOr, false},
          {".TXT", TTermOperator::opOr, false},
          {"README.", TTermOperator::opOr, false},
          {"..X", TTermOperator::opOr, false},
          {"A?", TTermOperator::opOr, true}},
         true},
        {"Enter file name or wildcards",
         false,
         false,
         {{"ENTER", TTermOperator::opOr, false},
          {"FILE", TTermOperator::opOr, false},
          {"NAME", TTermOperator::opOr, false},
          {"OR", TTermOperator::opOr, false},
          {"WILDCARDS", TTermOperator::opOr, false}},
         true},
        {"straße ärger ı",
         false,
         false,
         {{"STRAßE", TTermOperator::opOr, false},
          {"ÄRGER", TTermOperator::opOr, false},
          {"I", TTermOperator::opOr, false}},
         true},
        {"a\xff"
         "b",
         false,
         false,
         {{"A\xff"
           "B",
           TTermOperator::opOr, false}},
         true},
        {"-\"x\"", false, false, {{"X", TTermOperator::opAndNot, false}}, false},
        {"+-\"x\"", false, false, {{"+-\"X\"", TTermOperator::opOr, false}}, true},
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
