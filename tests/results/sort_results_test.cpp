#include <gtest/gtest.h>

#include <random>

#include "results/compare_results.h"
#include "results/sort_results.h"
#include "tests/results/result_builder.h"

namespace quillory {
namespace {

const Collation& UsCollation() {
    static const Collation collation = Collation::ForLocale("en_US.UTF-8", CollationStrength::Tertiary);
    return collation;
}

EntryList SizedResults() {
    EntryList list;
    test::AddResult(list, {"b", "/x/", 30, 3.0});
    test::AddResult(list, {"c", "/x/", 10, 1.0});
    test::AddResult(list, {"a", "/x/", 20, 2.0});
    return list;
}

TEST(SortByColumn, DirectionFollowsTheClicks) {
    EntryList results = SizedResults();
    MemorySelection selection(results.Count());
    SortState state;
    ResultSorter sorter(UsCollation());
    const struct {
        int column;
        const char* order;
        bool descending;
    } clicks[] = {
        {2, "c a b", false},  // Size ascending
        {2, "b a c", true},   // again: descending
        {2, "c a b", false},  // and back
        {0, "a b c", false},  // another column: ascending
        {2, "c a b", false},  // Size again after Name: ascending
        {3, "c a b", false},  // Date ascending
        {3, "b a c", true},
    };
    for (const auto& click : clicks) {
        SortByColumn(state, results, selection, sorter, click.column);
        EXPECT_EQ(test::Names(results), click.order) << "column " << click.column;
        EXPECT_EQ(state.SortDescending, click.descending);
        EXPECT_EQ(state.SortColumn, click.column);
        EXPECT_TRUE(state.ResultsSorted);
    }
    EXPECT_EQ(selection.Repaints(), 7);
}

TEST(SortByColumn, NewSearchForgetsTheLastColumn) {
    EntryList results = SizedResults();
    MemorySelection selection(results.Count());
    SortState state;
    ResultSorter sorter(UsCollation());
    SortByColumn(state, results, selection, sorter, 2);
    state.NewSearch();
    EXPECT_FALSE(state.ResultsSorted);
    SortByColumn(state, results, selection, sorter, 2);
    EXPECT_FALSE(state.SortDescending);
    EXPECT_EQ(test::Names(results), "c a b");
    // Out-of-range columns change nothing.
    SortByColumn(state, results, selection, sorter, 5);
    SortByColumn(state, results, selection, sorter, -1);
    EXPECT_EQ(state.SortColumn, 2);
    EXPECT_EQ(test::Names(results), "c a b");
}

TEST(SortByColumn, SelectionFollowsEntriesFocusStays) {
    EntryList results = test::ResultsNamed({"e", "d", "c", "b", "a", "f"});
    MemorySelection selection(results.Count());
    for (size_t row : {0u, 2u, 5u}) selection.SetSelected(row, true);  // e, c, f
    selection.SetFocusedRow(1);
    SortState state;
    ResultSorter sorter(UsCollation());
    SortByColumn(state, results, selection, sorter, 0);
    ASSERT_EQ(test::Names(results), "a b c d e f");
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{2, 4, 5}));
    EXPECT_EQ(selection.FocusedRow(), 1u);
}

TEST(SortByColumn, SpareSlotsTakeNoPart) {
    EntryList results = test::ResultsNamed({"c", "b", "a", "zz-spare", "aa-spare"});
    results.Truncate(3);
    MemorySelection selection(3);
    SortState state;
    ResultSorter sorter(UsCollation());
    SortByColumn(state, results, selection, sorter, 0);
    EXPECT_EQ(results.SlotCount(), 3u);
    EXPECT_EQ(test::Names(results), "a b c");

    // No results at all: the click still records the column and sorts nothing.
    results.Truncate(0);
    SortByColumn(state, results, selection, sorter, 1);
    EXPECT_EQ(results.SlotCount(), 0u);
    EXPECT_EQ(state.SortColumn, 1);
}

TEST(SortResults, LocaleWordOrderForTextColumns) {
    // Word order, not byte order: 'a' < 'B'; case matters, lower case first in en_US;
    // accented letters next to their base letter.
    EntryList results =
        test::ResultsNamed({"B", "A", "a", "b", "Zebra", "\u00e9clair", "eclair", "Eclair", "apple"});
    SortResults(results, ResultColumn::Name, false, UsCollation());
    EXPECT_EQ(test::Names(results), "a A apple b B eclair Eclair \u00e9clair Zebra");
    SortResults(results, ResultColumn::Name, true, UsCollation());
    EXPECT_EQ(test::Names(results), "Zebra \u00e9clair Eclair eclair B b apple A a");

    // Swedish puts ä after z; German next to a.
    const Collation sv = Collation::ForLocale("sv_SE", CollationStrength::Tertiary);
    const Collation de = Collation::ForLocale("de_DE", CollationStrength::Tertiary);
    EntryList nordic = test::ResultsNamed({"\u00e4b", "az", "ac"});
    SortResults(nordic, ResultColumn::Name, false, sv);
    EXPECT_EQ(test::Names(nordic), "ac az \u00e4b");
    SortResults(nordic, ResultColumn::Name, false, de);
    EXPECT_EQ(test::Names(nordic), "\u00e4b ac az");
}

TEST(SortResults, FolderExtSizeAndDateColumns) {
    EntryList results;
    test::AddResult(results, {"x.TXT", "/b/", 5, 100.0});
    test::AddResult(results, {"y.mp3", "/A/", -1, 0.0});
    test::AddResult(results, {"sub", "/a/", 0, 45000.5, kAttrDirectory});
    test::AddResult(results, {"noext", "/a b/", INT64_MAX, 45000.25});
    SortResults(results, ResultColumn::Folder, false, UsCollation());
    // A blank sorts before the "/" punctuation: "/a b/" "/a/" "/A/" "/b/".
    EXPECT_EQ(test::Names(results), "noext sub y.mp3 x.TXT");
    SortResults(results, ResultColumn::Ext, false, UsCollation());
    EXPECT_EQ(test::Names(results), "noext sub y.mp3 x.TXT");  // "" Folder mp3 TXT
    SortResults(results, ResultColumn::Size, false, UsCollation());
    EXPECT_EQ(test::Names(results), "y.mp3 sub x.TXT noext");
    SortResults(results, ResultColumn::Date, false, UsCollation());
    EXPECT_EQ(test::Names(results), "y.mp3 x.TXT noext sub");  // time 0 before every real date
}

// The key-based sort must give exactly the order CompareResults defines, for every column
// and direction, on names with mixed case, accents, digits, shared folders and bytes that
// are not UTF-8.
TEST(SortResults, AgreesWithCompareResults) {
    std::mt19937 random(1234);
    const std::vector<std::string> parts = {"a",      "A",  "b", "\u00e9", "E",     "e",    "1",
                                            "10",     "2",  ".", " ",      "-",     "\xff", "\xc3",
                                            "\u00df", "ss", "z", "Z",      "\u4e2d"};
    std::vector<std::string> folders = {"/", "/home/", "/Home/", "/h\u00f6me/", "/x\xfe/"};
    EntryList results;
    for (int i = 0; i < 3000; ++i) {
        std::string name;
        const int length = static_cast<int>(random() % 6);
        for (int k = 0; k < length; ++k) name += parts[random() % parts.size()];
        test::AddResult(results,
                        {name, folders[(i / 7) % folders.size()], static_cast<int64_t>(random() % 50) - 5,
                         static_cast<double>(random() % 40) / 4.0});
    }
    for (int column = 0; column < kResultColumnCount; ++column) {
        for (const bool descending : {false, true}) {
            SortResults(results, static_cast<ResultColumn>(column), descending, UsCollation());
            for (size_t i = 1; i < results.Count(); ++i) {
                ASSERT_LE(CompareResults(results, i - 1, i, static_cast<ResultColumn>(column), descending,
                                         UsCollation()),
                          0)
                    << "column " << column << " descending " << descending << " at " << i;
            }
        }
    }
}

// Large lists build their keys on several threads (where the machine has them); the order
// must be the same single order, also across the threads' part boundaries.
TEST(SortResults, LargeListsSortTheSameOnSeveralThreads) {
    std::mt19937 random(99);
    const char* parts[] = {"Re", "port", "a", "\u00e4", "B", "1", " ", "_", "img"};
    EntryList results;
    std::string folder;
    for (int i = 0; i < 120'000; ++i) {
        if (i % 25 == 0) folder = "/f" + std::to_string(random() % 500) + "/";
        std::string name;
        for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k) name += parts[random() % 9];
        test::AddResult(results, {name, folder});
    }
    ResultSorter sorter(UsCollation());
    for (const ResultColumn column : {ResultColumn::Name, ResultColumn::Folder}) {
        for (const bool descending : {false, true}) {
            sorter.Sort(results, column, descending);
            for (size_t i = 1; i < results.Count(); ++i) {
                ASSERT_LE(CompareResults(results, i - 1, i, column, descending, UsCollation()), 0) << i;
            }
        }
    }
    EXPECT_EQ(results.Count(), 120'000u);
}

TEST(SortResults, NanDateKeepsTheOrderStrict) {
    EntryList results;
    for (int i = 0; i < 200; ++i) test::AddResult(results, {"f", "/", 0, i % 3 == 0 ? NAN : i * 1.0});
    SortResults(results, ResultColumn::Date, false, UsCollation());
    for (size_t i = 0; i < results.Count(); ++i) {
        if (i < 67) {
            EXPECT_TRUE(std::isnan(results[i].Modified)) << i;
        } else if (i > 67) {
            EXPECT_LE(results[i - 1].Modified, results[i].Modified);
        }
    }
}

TEST(Selection, SelectAllAndInvert) {
    MemorySelection selection(4);
    selection.SetSelected(0, true);
    selection.SetSelected(2, true);
    InvertSelection(selection);
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{1, 3}));
    SelectAll(selection);
    EXPECT_EQ(selection.SelectedCount(), 4u);
    EXPECT_EQ(selection.Repaints(), 2);
}

// A model-side sort: the permutation comes back, and applying it to the results as they were
// gives exactly the order the in-place sort gives.
TEST(SortColumnClick, ReturnsTheOrderItApplied) {
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> pick(0, 40);
    EntryList original;
    for (int i = 0; i < 300; ++i) {
        const int n = pick(rng);
        test::AddResult(original, {"n" + std::to_string(n) + ".txt", "/f" + std::to_string(n % 7) + "/",
                                   n * 10, n * 1.5});
    }
    for (int column = 0; column < kResultColumnCount; ++column) {
        for (const bool secondClick : {false, true}) {
            EntryList results = test::CopyOf(original);
            SortState state;
            ResultSorter sorter(UsCollation());
            std::vector<uint32_t> order = SortColumnClick(state, results, sorter, column);
            if (secondClick) {
                const EntryList before = test::CopyOf(results);
                order = SortColumnClick(state, results, sorter, column);
                EXPECT_TRUE(state.SortDescending);
                // The second order is relative to the first sort's places.
                EntryList replayed = test::CopyOf(before);
                ApplyOrder(replayed, order);
                EXPECT_EQ(test::Names(replayed), test::Names(results));
                continue;
            }
            ASSERT_EQ(order.size(), original.Count());
            EXPECT_EQ(state.SortColumn, column);
            EntryList replayed = test::CopyOf(original);
            ApplyOrder(replayed, order);
            for (size_t k = 0; k < results.Count(); ++k) {
                ASSERT_EQ(EntryFullPath(replayed[k]), EntryFullPath(results[k])) << column << " " << k;
                ASSERT_EQ(EntryFullPath(results[k]), EntryFullPath(original[order[k]]));
            }
            for (size_t k = 1; k < results.Count(); ++k) {
                EXPECT_LE(CompareResults(results, k - 1, k, static_cast<ResultColumn>(column), false,
                                         UsCollation()),
                          0);
            }
            const std::vector<uint32_t> inverse = InverseOrder(order);
            for (size_t i = 0; i < inverse.size(); ++i) EXPECT_EQ(order[inverse[i]], i);
        }
    }
    SortState state;
    ResultSorter sorter(UsCollation());
    EntryList results = test::CopyOf(original);
    EXPECT_TRUE(SortColumnClick(state, results, sorter, 5).empty());
    EXPECT_FALSE(state.ResultsSorted);
}

TEST(ApplyOrder, RefusesAnythingButAPermutation) {
    EntryList results = SizedResults();
    const std::vector<std::vector<uint32_t>> bad = {{0, 1}, {0, 1, 1}, {0, 1, 3}, {2, 1, 0, 3}};
    for (const auto& order : bad) EXPECT_THROW(ApplyOrder(results, order), std::invalid_argument);
    EXPECT_EQ(test::Names(results), "b c a");  // nothing moved
    ApplyOrder(results, std::vector<uint32_t>{2, 0, 1});
    EXPECT_EQ(test::Names(results), "a b c");
}

// Records every call so the bulk paths can be checked: a list view selects a run of rows in
// one call.
class RangeRecorder final : public MemorySelection {
  public:
    using MemorySelection::MemorySelection;
    void SetSelected(size_t row, bool selected) override {
        ++singleCalls;
        MemorySelection::SetSelected(row, selected);
    }
    void SetRangeSelected(size_t first, size_t last, bool selected) override {
        ranges.push_back({first, last, selected});
        MemorySelection::SetRangeSelected(first, last, selected);
    }
    struct Call {
        size_t first, last;
        bool selected;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> ranges;
    int singleCalls = 0;
};

TEST(Selection, RestoreAndInvertWorkInRanges) {
    EntryList results;
    for (int i = 0; i < 9; ++i) test::AddResult(results, {"r" + std::to_string(i), "/"});
    for (const int i : {1, 2, 3, 6, 8}) results[static_cast<size_t>(i)].Selected = true;
    EXPECT_EQ(SelectedRanges(results), (std::vector<RowRange>{{1, 4}, {6, 7}, {8, 9}}));
    RangeRecorder selection(9);
    RestoreSelection(results, selection);
    using Call = RangeRecorder::Call;
    EXPECT_EQ(selection.ranges,
              (std::vector<Call>{
                  {0, 1, false}, {1, 4, true}, {4, 6, false}, {6, 7, true}, {7, 8, false}, {8, 9, true}}));
    EXPECT_EQ(selection.singleCalls, 0);
    EXPECT_EQ(SelectedRanges(selection, 9), (std::vector<RowRange>{{1, 4}, {6, 7}, {8, 9}}));

    selection.ranges.clear();
    InvertSelection(selection);
    EXPECT_EQ(selection.SelectedRows(), (std::vector<size_t>{0, 4, 5, 7}));
    EXPECT_EQ(selection.singleCalls, 0);
    EXPECT_EQ(selection.ranges.size(), 6u);
    SelectAll(selection);
    EXPECT_EQ(selection.ranges.back(), (Call{0, 9, true}));
    EXPECT_EQ(selection.SelectedCount(), 9u);

    // Random patterns: inverting twice gives the pattern back, and once gives its complement.
    std::mt19937 rng(5);
    for (int round = 0; round < 50; ++round) {
        MemorySelection random(37);
        std::vector<bool> pattern(37);
        for (size_t row = 0; row < 37; ++row) random.SetSelected(row, pattern[row] = rng() % 3 == 0);
        InvertSelection(random);
        for (size_t row = 0; row < 37; ++row) ASSERT_NE(random.IsSelected(row), pattern[row]);
        InvertSelection(random);
        for (size_t row = 0; row < 37; ++row) ASSERT_EQ(random.IsSelected(row), pattern[row]);
    }
    MemorySelection empty;
    InvertSelection(empty);
    SelectAll(empty);
    EXPECT_EQ(empty.SelectedCount(), 0u);
}

}  // namespace
}  // namespace quillory
