#include "results/type_ahead.h"

#include <gtest/gtest.h>

#include "tests/results/result_builder.h"

namespace quillory {
namespace {

struct FakeClock {
    int64_t now = 10'000;
    TickSource Source() {
        return [this] { return now; };
    }
};

Collation IgnoreCase() {
    return Collation::ForLocale("en_US", CollationStrength::Secondary);
}

struct Key {
    char32_t key;
    uint64_t pauseMs;   // time since the previous key
    size_t focusAfter;  // expected focused row
    const char* typed;  // expected typed text
};

struct Sequence {
    const char* title;
    size_t focusBefore;
    std::vector<Key> keys;
};

// Rows 'Report', 'readme', 'Zeta' as in the list.
TEST(TypeAhead, KeySequences) {
    const Sequence sequences[] = {
        {"starts after the focus and wraps; a pause starts over",
         2,
         {{U'r', 1000, 0, "r"}, {U'r', 501, 1, "r"}, {U'r', 600, 0, "r"}}},
        {"within 500 ms the text grows; 'rr' matches nothing and changes nothing",
         2,
         {{U'r', 1000, 0, "r"}, {U'r', 500, 0, "rr"}}},
        {"'re' is searched after 'Report', which is not compared again",
         2,
         {{U'r', 1000, 0, "r"}, {U'e', 100, 1, "re"}}},
        {"case is ignored both ways", 0, {{U'Z', 1000, 2, "Z"}, {U'E', 10, 2, "ZE"}, {U'R', 1000, 0, "R"}}},
        {"keys without case forms are ignored, digits are not",
         2,
         {{U' ', 1000, 2, ""}, {U'.', 1000, 2, ""}, {U'5', 1000, 2, "5"}, {U'r', 100, 2, "5r"}}},
    };
    const EntryList results = test::ResultsNamed({"Report", "readme", "Zeta"});
    for (const Sequence& sequence : sequences) {
        SCOPED_TRACE(sequence.title);
        FakeClock clock;
        TypeAhead typeAhead(IgnoreCase(), clock.Source());
        MemorySelection selection(results.Count());
        selection.SetFocusedRow(sequence.focusBefore);
        for (const Key& key : sequence.keys) {
            clock.now += key.pauseMs;
            typeAhead.KeyTyped(key.key, results, selection);
            EXPECT_EQ(selection.FocusedRow(), key.focusAfter) << static_cast<uint32_t>(key.key);
            EXPECT_EQ(typeAhead.State().Text, key.typed);
        }
    }
}

TEST(TypeAhead, IgnoredKeyKeepsTheTick) {
    const EntryList results = test::ResultsNamed({"Report", "readme", "Zeta"});
    FakeClock clock;
    TypeAhead typeAhead(IgnoreCase(), clock.Source());
    MemorySelection selection(results.Count());
    selection.SetFocusedRow(2);
    typeAhead.KeyTyped(U'r', results, selection);
    clock.now += 400;
    typeAhead.KeyTyped(U'-', results, selection);  // ignored: the tick stays
    clock.now += 400;                              // 800 ms after 'r'
    typeAhead.KeyTyped(U'r', results, selection);
    EXPECT_EQ(typeAhead.State().Text, "r");
    EXPECT_EQ(selection.FocusedRow(), 1u);
}

TEST(FindTyped, SelectionRules) {
    const Collation ignoreCase = IgnoreCase();
    const EntryList results = test::ResultsNamed({"alpha", "beta", "\u00c4rger", "gamma", "Beta2"});
    struct Row {
        const char* title;
        std::optional<size_t> focus;
        std::vector<size_t> selectedBefore;
        const char* typed;
        std::optional<size_t> focusAfter;
        std::vector<size_t> selectedAfter;
    } rows[] = {
        {"no focus: the search starts at the top", std::nullopt, {}, "b", 1, {1}},
        {"one selected row is deselected", 0, {3}, "b", 1, {1}},
        {"several selected rows are all deselected", 0, {0, 3, 4}, "g", 3, {3}},
        {"no match: nothing changes", 0, {0, 3}, "x", 0, {0, 3}},
        {"the focused row only matches after a full round: never", 1, {}, "beta", 4, {4}},
        {"accents matter, case does not", 0, {}, "\u00e4R", 2, {2}},
        {"a plain letter does not match its accented form", 0, {}, "ar", 0, {}},
        {"typed text longer than a name compares the whole name", 3, {}, "alphabet", 3, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        MemorySelection selection(results.Count());
        if (row.focus) selection.SetFocusedRow(*row.focus);
        for (size_t r : row.selectedBefore) selection.SetSelected(r, true);
        FindTyped(row.typed, results, selection, ignoreCase);
        EXPECT_EQ(selection.FocusedRow(), row.focusAfter);
        EXPECT_EQ(selection.SelectedRows(), row.selectedAfter);
        if (row.focusAfter != row.focus) {
            EXPECT_EQ(selection.LastMadeVisible(), row.focusAfter);
        }
    }
}

TEST(FindTyped, FewerThanTwoRowsDoNothing) {
    const Collation ignoreCase = IgnoreCase();
    const EntryList one = test::ResultsNamed({"alpha"});
    MemorySelection selection(1);
    FindTyped("a", one, selection, ignoreCase);
    EXPECT_FALSE(selection.FocusedRow().has_value());
    EXPECT_TRUE(selection.SelectedRows().empty());
}

}  // namespace
}  // namespace quillory
