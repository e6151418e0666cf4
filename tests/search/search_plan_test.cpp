#include "search/search_plan.h"

#include <gtest/gtest.h>

#include "search/query_parser.h"

namespace quillory {
namespace {

TEST(SearchPlan, RequiredTextsAreOnlyThoseEveryMatchContains) {
    const struct {
        const char* query;
        std::vector<std::string> literals;
        bool splitsAtFolder;
    } rows[] = {
        {"", {}, true},
        {"abc", {"ABC"}, true},
        {"abc def", {}, true},  // either term may match
        {"abc +\"de\"", {"ABC", "DE"}, true},
        {"abc def +\"gh\"", {"GH"}, true},  // (abc or def) and gh
        {"abc +\"de\" fg", {}, true},       // ... or fg
        {"-\"abc\"", {}, true},
        {"-\"abc\" +\"de\"", {"DE"}, true},
        {"abc -\"de\" -\"fg\"", {"ABC"}, true},
        {"*.mp3", {"MP3"}, false},  // the dot may be the appended one
        {"*.", {}, false},
        {"read?me.t*xt", {"READ"}, false},  // the longest dot-free piece
        {"*", {}, false},
        {"a/b", {"A/B"}, false},
    };
    for (const auto& row : rows) {
        TWordList words;
        ParseQuery(row.query, false, false, words);
        const SearchPlan plan = MakeSearchPlan(QueryMatcher(words, TSearchOptions{}));
        EXPECT_EQ(plan.requiredLiterals, row.literals) << row.query;
        EXPECT_EQ(plan.requiredLiteral, row.literals.empty() ? "" : row.literals.front()) << row.query;
        EXPECT_EQ(plan.splitsAtFolder, row.splitsAtFolder) << row.query;
    }
}

TEST(SearchPlan, ScansForTheRarestRequiredText) {
    TWordList words;
    ParseQuery("common +\"rare\"", false, false, words);
    SearchPlan plan = MakeSearchPlan(QueryMatcher(words, TSearchOptions{}));
    EXPECT_EQ(plan.requiredLiteral, "COMMON");
    std::string names;
    for (int i = 0; i < 100; ++i) names += "COMMON" + std::to_string(i) + '\0';
    names += std::string("RARE COMMON") + '\0';
    ChooseRarestLiteral(plan, names);
    EXPECT_EQ(plan.requiredLiteral, "RARE");
}

}  // namespace
}  // namespace quillory
