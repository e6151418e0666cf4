#include "search/bool_builder_rows.h"

#include <gtest/gtest.h>

#include "search/query_parser.h"

namespace quillory {
namespace {

// The builder's round trip: raw parse, rows filled, rows edited, rows collected, text built.
std::string Edit(std::string_view searchText, const std::function<void(TBoolRows&)>& edit,
                 TBoolRows* shown = nullptr) {
    TWordList words;
    ParseQuery(searchText, false, true, words);
    TWordList copy = words;
    TBoolRows rows;
    FillRows(copy, rows);
    if (shown != nullptr) *shown = rows;
    edit(rows);
    CollectRows(rows, copy);
    return BuildText(copy);
}

TEST(BoolBuilderRows, Table) {
    const struct {
        const char* searchText;
        std::function<void(TBoolRows&)> edit;
        const char* expected;
    } rows[] = {
        {"a b", [](TBoolRows&) {}, "a b"},
        {"a b",
         [](TBoolRows& r) {
             r.OperatorIndex[1] = 1; /* the "+" entry */
         },
         "a +\"b\""},
        {"a b",
         [](TBoolRows& r) {
             r.OperatorIndex[1] = 1;  // the "+" entry of the operator list
             r.OperatorIndex[0] = 2;  // the "-" entry
         },
         "-\"a\" +\"b\""},
        {"", [](TBoolRows& r) { r.Texts[0] = "my file"; }, "\"my file\""},
        {"", [](TBoolRows& r) { r.Texts[0] = "a,b"; }, "a,b"},
        {"a b c d", [](TBoolRows& r) { r.Texts[1].clear(); }, "a c d"},
        {"a b c d e f", [](TBoolRows&) {}, "a b c d e f"},
        {"a b c d e f", [](TBoolRows& r) { ResetRows(r); }, "e f"},
        {"a b c d e f", [](TBoolRows& r) { r.Texts[3] = "z"; }, "a b c z e f"},
        {"x", [](TBoolRows& r) { r.Texts[3] = "w"; }, "x w"},
        {"x", [](TBoolRows& r) { r.OperatorIndex[0] = 7; }, "x"},  // not an operator: OR
        {"Foo", [](TBoolRows&) {}, "Foo"},
    };
    for (const auto& row : rows) EXPECT_EQ(Edit(row.searchText, row.edit), row.expected) << row.searchText;
}

TEST(BoolBuilderRows, FillShowsTheFirstFourTermsAsTyped) {
    TBoolRows shown;
    Edit(
        "Mixed +\"Case\" c d e", [](TBoolRows&) {}, &shown);
    EXPECT_EQ(shown.Texts, (std::array<std::string, 4>{"Mixed", "Case", "c", "d"}));
    EXPECT_EQ(shown.OperatorIndex, (std::array<int, 4>{0, 1, 0, 0}));
    Edit(
        "a b", [](TBoolRows&) {}, &shown);
    EXPECT_EQ(shown.Texts, (std::array<std::string, 4>{"a", "b", "", ""}));
}

TEST(BoolBuilderRows, QuotedRowParsesBackToOneTerm) {
    const std::string text = Edit("", [](TBoolRows& r) { r.Texts[0] = "my file"; });
    TWordList words;
    ParseQuery(text, false, true, words);
    ASSERT_EQ(words.TermCount, 1);
    EXPECT_EQ(words.Terms[0], "my file");
    const std::string bare = Edit("", [](TBoolRows& r) { r.Texts[0] = "a,b"; });
    ParseQuery(bare, false, true, words);
    EXPECT_EQ(words.TermCount, 2);
}

}  // namespace
}  // namespace quillory
