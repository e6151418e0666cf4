// Column sorts from the catalogue's ranks against a fresh sort of the same results, over
// random catalogues full of equal keys, through rescans, loads and changes of the catalogue.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/activity_log.h"
#include "core/catalogue.h"
#include "core/database.h"
#include "results/compare_results.h"
#include "results/ranked_sort.h"
#include "results/sort_results.h"
#include "search/search_driver.h"
#include "tests/results/result_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

const Collation& UsCollation() {
    static const Collation collation = Collation::ForLocale("en_US.UTF-8", CollationStrength::Tertiary);
    return collation;
}

// Names chosen to collide: case variants, a precomposed and a decomposed é (equal to the
// collation, different bytes), digits, no extension, dots.
const std::vector<std::string> kNameParts = {
    "a", "A", "b", "\u00e9t\u00e9", "e\u0301te\u0301", "Zeta", "zeta", "10",
    "9", "",  ".", "x.y",           "\u00c4rger"};
const std::vector<std::string> kExtensions = {"", ".txt", ".TXT", ".mp3", ".tar.gz"};
const std::vector<std::string> kFolders = {"/a/", "/A/", "/b/c/", "/\u00e9/", "/e\u0301/", "/"};
const std::vector<double> kDates = {1.0, 2.5, 0.0, -0.0, NAN, 45000.25};

// A catalogue of `count` random entries; folders come in runs as a walk gives them.
void FillRandom(EntryList& list, size_t count, std::mt19937& random) {
    list.Clear();
    std::string folder = kFolders[0];
    for (size_t i = 0; i < count; ++i) {
        if (random() % 4 == 0) folder = kFolders[random() % kFolders.size()];
        std::string name =
            kNameParts[random() % kNameParts.size()] + kNameParts[random() % kNameParts.size()];
        name += kExtensions[random() % kExtensions.size()];
        if (name.empty()) name = "n";
        const bool directory = random() % 5 == 0;
        test::AddResult(list, {name, folder, static_cast<int64_t>(random() % 7) - 2,
                               kDates[random() % kDates.size()], directory ? 0x10u : 0x80u});
    }
}

// Results copied from `catalogue` as a search copies them: every entry kept with chance
// `share` in 8, in catalogue order.
std::vector<size_t> CopySome(const EntryList& catalogue, EntryList& results, unsigned share,
                             std::mt19937& random) {
    results.Clear();
    std::vector<size_t> picked;
    for (size_t i = 0; i < catalogue.Count(); ++i) {
        if (random() % 8 >= share) continue;
        results.AppendCopy(catalogue[i]);
        picked.push_back(i);
    }
    return picked;
}

// -1, 0, 1: `a` against `b` by one column, as the result list compares them.
int CompareEntries(const TMyItem& a, const TMyItem& b, ResultColumn column) {
    EntryList pair;
    pair.AppendCopy(a);
    pair.AppendCopy(b);
    return CompareResults(pair, 0, 1, column, false, UsCollation());
}

// The ranked order must hold the keys of a fresh sort place by place (equal keys may differ
// in order there), and beyond that, when it came from the ranks, keep equal keys in
// catalogue order.
void ExpectSameKeys(const EntryList& ranked, std::span<const uint32_t> origin, const EntryList& fresh,
                    ResultColumn column, bool descending, bool fromRanks, const std::string& what) {
    ASSERT_EQ(ranked.Count(), fresh.Count()) << what;
    for (size_t k = 0; k < ranked.Count(); ++k) {
        ASSERT_EQ(CompareEntries(ranked[k], fresh[k], column), 0)
            << what << ": place " << k << " holds " << ranked[k].Name() << " instead of a key equal to "
            << fresh[k].Name();
        if (k == 0) continue;
        const int step = CompareEntries(ranked[k - 1], ranked[k], column);
        if (descending) {
            ASSERT_GE(step, 0) << what << ": out of order at " << k;
        } else {
            ASSERT_LE(step, 0) << what << ": out of order at " << k;
        }
        if (fromRanks && step == 0) {
            ASSERT_LT(origin[k - 1], origin[k]) << what << ": equal keys left catalogue order at " << k;
        }
    }
}

// Clicks every column twice (ascending, then descending) with the ranks and without, and
// compares each pair of lists.
void ClickEveryColumn(const EntryList& results, const std::vector<size_t>& picked,
                      uint64_t catalogueGeneration, const ColumnRanks* ranks, const std::string& what) {
    for (int column = 0; column < kResultColumnCount; ++column) {
        EntryList ranked = test::CopyOf(results);
        EntryList fresh = test::CopyOf(results);
        ResultOrigin origin;
        origin.Record(catalogueGeneration, picked, ranked);
        SortState rankedState;
        SortState freshState;
        ResultSorter rankedSorter(UsCollation());
        ResultSorter freshSorter(UsCollation());
        for (const bool descending : {false, true}) {
            SortColumnClick(rankedState, ranked, rankedSorter, column, ranks, origin);
            SortColumnClick(freshState, fresh, freshSorter, column);
            ASSERT_EQ(rankedState.SortDescending, descending);
            ASSERT_TRUE(origin.Describes(ranked)) << "the origin follows the sort";
            const bool fromRanks =
                ranks && ranks->Find(column, catalogueGeneration, UsCollation().LocaleId()) != nullptr;
            ExpectSameKeys(ranked, origin.CatalogueIndex(), fresh, static_cast<ResultColumn>(column),
                           descending, fromRanks,
                           what + ", column " + std::to_string(column) + (descending ? " descending" : ""));
            // The origin still names the entry each result was copied from (`picked` ascends).
            for (size_t k = 0; k < ranked.Count(); ++k) {
                const auto at = std::lower_bound(picked.begin(), picked.end(), origin.CatalogueIndex()[k]);
                ASSERT_TRUE(at != picked.end() && *at == origin.CatalogueIndex()[k]);
                ASSERT_EQ(ranked[k].Name(), results[static_cast<size_t>(at - picked.begin())].Name());
            }
        }
    }
}

TEST(RankedSort, EqualsAFreshSortOnRandomCatalogues) {
    std::mt19937 random(7);
    for (const size_t size : {0u, 1u, 2u, 40u, 700u, 3000u}) {
        Catalogue catalogue;
        FillRandom(catalogue.Entries, size, random);
        ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
        ASSERT_TRUE(catalogue.Ranks.Complete(catalogue.Entries.Generation(), UsCollation().LocaleId()));
        for (const unsigned share : {1u, 8u}) {
            EntryList results;
            const std::vector<size_t> picked = CopySome(catalogue.Entries, results, share, random);
            ClickEveryColumn(results, picked, catalogue.Entries.Generation(), &catalogue.Ranks,
                             std::to_string(size) + " entries, share " + std::to_string(share));
        }
    }
}

TEST(RankedSort, RanksAreTheCatalogueInStableOrder) {
    // The ranks themselves: catalogue order of equal keys, and run starts exactly where the
    // key changes.
    std::mt19937 random(11);
    EntryList catalogue;
    FillRandom(catalogue, 2500, random);
    ColumnRanks ranks;
    ASSERT_TRUE(BuildColumnRanks(catalogue, UsCollation(), ranks));
    for (int column = 0; column < kResultColumnCount; ++column) {
        const ColumnRank* rank = ranks.Find(column, catalogue.Generation(), UsCollation().LocaleId());
        ASSERT_NE(rank, nullptr);
        std::vector<uint32_t> expected(catalogue.Count());
        for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint32_t>(i);
        std::stable_sort(expected.begin(), expected.end(), [&](uint32_t a, uint32_t b) {
            return CompareResults(catalogue, a, b, static_cast<ResultColumn>(column), false, UsCollation()) <
                   0;
        });
        for (size_t place = 0; place < expected.size(); ++place) {
            ASSERT_EQ(rank->rank[expected[place]], place) << "column " << column << " place " << place;
            const bool starts =
                place == 0 || CompareResults(catalogue, expected[place - 1], expected[place],
                                             static_cast<ResultColumn>(column), false, UsCollation()) != 0;
            ASSERT_EQ(rank->GroupStartsAt(place), starts) << "column " << column << " place " << place;
        }
    }
    EXPECT_EQ(ranks.Find(0, catalogue.Generation(), "de_DE"), nullptr) << "another locale";
    EXPECT_EQ(ranks.Find(0, catalogue.Generation() + 1, UsCollation().LocaleId()), nullptr);
    EXPECT_EQ(ranks.Find(5, catalogue.Generation(), UsCollation().LocaleId()), nullptr);
}

TEST(RankedSort, FollowsRescansLoadsAndChangesOfTheCatalogue) {
    std::mt19937 random(3);
    quillory::test::TempDir dir;
    const ActivityLog log(dir / "quillory.log", LocaleFormats::ForLocale("en_US"),
                          [] { return DateTime{45000.0}; });
    Catalogue catalogue;
    FillRandom(catalogue.Entries, 900, random);
    ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
    EntryList oldResults;
    const std::vector<size_t> oldPicked = CopySome(catalogue.Entries, oldResults, 4, random);
    const uint64_t oldGeneration = catalogue.Entries.Generation();

    const auto check = [&](const std::string& what) {
        // New results of the changed catalogue: stale ranks must not be used, so the keys come
        // out right before and after the ranks are brought up to date.
        EntryList results;
        const std::vector<size_t> picked = CopySome(catalogue.Entries, results, 3, random);
        for (int column = 0; column < kResultColumnCount; ++column) {
            EntryList copy = test::CopyOf(results);
            ResultOrigin origin;
            origin.Record(catalogue.Entries.Generation(), picked, copy);
            SortState state;
            ResultSorter sorter(UsCollation());
            SortColumnClick(state, copy, sorter, column, &catalogue.Ranks, origin);
            EntryList fresh = test::CopyOf(results);
            SortState freshState;
            SortColumnClick(freshState, fresh, sorter, column);
            for (size_t k = 0; k < copy.Count(); ++k) {
                ASSERT_EQ(CompareEntries(copy[k], fresh[k], static_cast<ResultColumn>(column)), 0)
                    << what << ", stale ranks, column " << column << " place " << k;
            }
        }
        ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
        ClickEveryColumn(results, picked, catalogue.Entries.Generation(), &catalogue.Ranks, what);
        // Results of an earlier catalogue state still sort right (from their own entries).
        ClickEveryColumn(oldResults, oldPicked, oldGeneration, &catalogue.Ranks, what + ", old results");
    };

    // A rescan refills the same list (its slots reused).
    FillRandom(catalogue.Entries, 900, random);
    check("rescan of the same size");
    FillRandom(catalogue.Entries, 1500, random);
    check("rescan that found more");
    // Entries added at the end, one renamed in place of the last by truncating and re-adding.
    test::AddResult(catalogue.Entries, {"added", "/a/", 3, 2.5});
    check("entry added");
    catalogue.Entries.Truncate(catalogue.Entries.Count() - 2);
    test::AddResult(catalogue.Entries, {"Added", "/a/", 3, 2.5});
    check("entry replaced");
    // A database saved and loaded into the catalogue.
    SaveDatabase(catalogue.Entries, catalogue.Options, dir / "c.qdb", log);
    FillRandom(catalogue.Entries, 300, random);
    ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
    LoadDatabase(catalogue.Entries, catalogue.Options, dir / "c.qdb", log);
    check("load");
    // A sort of the catalogue itself changes its order.
    SortResults(catalogue.Entries, ResultColumn::Size, true, UsCollation());
    check("catalogue reordered");
}

TEST(RankedSort, ResultsOfTheSearchDriverSortFromTheRanks) {
    std::mt19937 random(5);
    Catalogue catalogue;
    FillRandom(catalogue.Entries, 1200, random);
    ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
    TSearchDriver driver;
    EntryList results;
    driver.Search(catalogue, "a", TSearchOptions{}, 100000, results);
    ASSERT_GT(results.Count(), 10u);
    const std::span<const size_t> matches = driver.MatchIndices();
    ClickEveryColumn(results, std::vector<size_t>(matches.begin(), matches.end()),
                     catalogue.Entries.Generation(), &catalogue.Ranks, "search for a");
}

TEST(RankedSort, ChangedResultsFallBackToTheirOwnSort) {
    std::mt19937 random(9);
    Catalogue catalogue;
    FillRandom(catalogue.Entries, 400, random);
    ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
    EntryList results;
    const std::vector<size_t> picked = CopySome(catalogue.Entries, results, 4, random);
    ResultOrigin origin;
    origin.Record(catalogue.Entries.Generation(), picked, results);
    ASSERT_TRUE(origin.Describes(results));
    // Rows dropped (as a move drops them): the origin no longer describes the results.
    results.Truncate(results.Count() / 2);
    EXPECT_FALSE(origin.Describes(results));
    SortState state;
    ResultSorter sorter(UsCollation());
    SortColumnClick(state, results, sorter, 0, &catalogue.Ranks, origin);
    for (size_t k = 1; k < results.Count(); ++k) {
        ASSERT_LE(CompareResults(results, k - 1, k, ResultColumn::Name, false, UsCollation()), 0);
    }
    EXPECT_TRUE(origin.CatalogueIndex().empty()) << "a stale origin is forgotten";

    // An origin whose counts disagree with the results is never recorded.
    origin.Record(catalogue.Entries.Generation(), std::vector<size_t>{1, 2}, results);
    EXPECT_FALSE(origin.Describes(results));
}

TEST(RankedSort, RankedOrderRefusesIndicesOutsideTheCatalogue) {
    EntryList catalogue = test::ResultsNamed({"b", "a", "c"});
    ColumnRanks ranks;
    ASSERT_TRUE(BuildColumnRanks(catalogue, UsCollation(), ranks));
    const ColumnRank& rank = *ranks.Find(0, catalogue.Generation(), UsCollation().LocaleId());
    std::vector<uint32_t> order;
    RankedSortMemory memory;
    const std::vector<uint32_t> inside = {2, 0, 1};
    ASSERT_TRUE(RankedOrder(rank, inside, false, order, memory));
    EXPECT_EQ(order, (std::vector<uint32_t>{2, 1, 0}));  // a, b, c
    ASSERT_TRUE(RankedOrder(rank, inside, true, order, memory));
    EXPECT_EQ(order, (std::vector<uint32_t>{0, 1, 2}));
    const std::vector<uint32_t> outside = {0, 3};
    EXPECT_FALSE(RankedOrder(rank, outside, false, order, memory));
}

TEST(RankedSort, DescendingKeepsEqualKeysInCatalogueOrder) {
    // Equal sizes far apart in the catalogue's order, with entries between them that are not
    // results: the run of equal keys is recognised across the gap.
    EntryList catalogue;
    for (int i = 0; i < 200; ++i) test::AddResult(catalogue, {"n" + std::to_string(i), "/", i % 3, 1.0});
    ColumnRanks ranks;
    ASSERT_TRUE(BuildColumnRanks(catalogue, UsCollation(), ranks));
    const ColumnRank& rank = *ranks.Find(2, catalogue.Generation(), UsCollation().LocaleId());
    const std::vector<uint32_t> picked = {5, 9, 10, 150, 151, 199, 3};
    std::vector<uint32_t> order;
    RankedSortMemory memory;
    ASSERT_TRUE(RankedOrder(rank, picked, true, order, memory));
    // Sizes: 5->2, 9->0, 10->1, 150->0, 151->1, 199->1, 3->0.
    std::vector<uint32_t> catalogueOrder;
    for (const uint32_t k : order) catalogueOrder.push_back(picked[k]);
    EXPECT_EQ(catalogueOrder, (std::vector<uint32_t>{5, 10, 151, 199, 3, 9, 150}));
}

TEST(RankedSort, StoppedBuildKeepsFinishedColumnsOnly) {
    std::mt19937 random(1);
    EntryList catalogue;
    FillRandom(catalogue, 100, random);
    ColumnRanks ranks;
    std::atomic<bool> stop{true};
    EXPECT_FALSE(BuildColumnRanks(catalogue, UsCollation(), ranks, &stop));
    for (int column = 0; column < kResultColumnCount; ++column) {
        EXPECT_EQ(ranks.Find(column, catalogue.Generation(), UsCollation().LocaleId()), nullptr);
    }
    stop = false;
    EXPECT_TRUE(BuildColumnRanks(catalogue, UsCollation(), ranks, &stop));
    EXPECT_TRUE(ranks.Complete(catalogue.Generation(), UsCollation().LocaleId()));
    EXPECT_GE(ranks.BytesAllocated(), 5 * 100 * sizeof(uint32_t));
}

// The order a click from the ranks must give, worked out from the entries alone: by the
// column's key, equal keys in catalogue order in both directions.
std::vector<uint32_t> ExpectedOrder(const EntryList& catalogue, const std::vector<uint32_t>& index,
                                    ResultColumn column, bool descending) {
    std::vector<uint32_t> order(index.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const int c = CompareResults(catalogue, index[a], index[b], column, false, UsCollation());
        if (c != 0) return descending ? c > 0 : c < 0;
        return index[a] < index[b];
    });
    return order;
}

TEST(RankedSort, RadixAndScatterGiveTheOneRightOrder) {
    // Results of every share of the catalogue, in catalogue order (as a search leaves them)
    // and shuffled (as an earlier click leaves them), by both ways and both directions.
    std::mt19937 random(21);
    for (const size_t size : {1u, 2u, 63u, 64u, 65u, 2000u}) {
        EntryList catalogue;
        FillRandom(catalogue, size, random);
        ColumnRanks ranks;
        ASSERT_TRUE(BuildColumnRanks(catalogue, UsCollation(), ranks));
        for (const size_t wanted : {size_t{1}, size / 20 + 1, size / 2 + 1, size}) {
            std::vector<uint32_t> index(size);
            std::iota(index.begin(), index.end(), 0u);
            std::shuffle(index.begin(), index.end(), random);
            index.resize(wanted);
            for (const bool shuffled : {false, true}) {
                if (!shuffled) std::sort(index.begin(), index.end());
                for (int column = 0; column < kResultColumnCount; ++column) {
                    const ColumnRank& rank =
                        *ranks.Find(column, catalogue.Generation(), UsCollation().LocaleId());
                    for (const bool descending : {false, true}) {
                        const std::string what = std::to_string(wanted) + " of " + std::to_string(size) +
                                                 ", column " + std::to_string(column) +
                                                 (descending ? " descending" : "") +
                                                 (shuffled ? ", shuffled" : "");
                        const std::vector<uint32_t> expected =
                            ExpectedOrder(catalogue, index, static_cast<ResultColumn>(column), descending);
                        RankedSortMemory memory;
                        std::vector<uint32_t> order;
                        ASSERT_TRUE(RadixRankedOrder(rank, index, descending, order, memory)) << what;
                        ASSERT_EQ(order, expected) << "radix, " << what;
                        ASSERT_TRUE(ScatterRankedOrder(rank, index, descending, order, memory)) << what;
                        ASSERT_EQ(order, expected) << "scatter, " << what;
                        ASSERT_TRUE(RankedOrder(rank, index, descending, order, memory)) << what;
                        ASSERT_EQ(order, expected) << what;
                    }
                }
                std::shuffle(index.begin(), index.end(), random);
            }
        }
    }
}

TEST(RankedSort, ScatterRefusesACatalogueEntryTwice) {
    // Results are copies of distinct catalogue entries; a list naming one twice is not, and
    // the scatter (one result per place) must not lose one of them.
    EntryList catalogue = test::ResultsNamed({"b", "a", "c", "d"});
    ColumnRanks ranks;
    ASSERT_TRUE(BuildColumnRanks(catalogue, UsCollation(), ranks));
    const ColumnRank& rank = *ranks.Find(0, catalogue.Generation(), UsCollation().LocaleId());
    const std::vector<uint32_t> twice = {0, 2, 0};
    RankedSortMemory memory;
    std::vector<uint32_t> order;
    EXPECT_FALSE(ScatterRankedOrder(rank, twice, false, order, memory));
    // RankedOrder still orders every result (ties in result order).
    ASSERT_TRUE(RankedOrder(rank, twice, false, order, memory));
    EXPECT_EQ(order, (std::vector<uint32_t>{0, 2, 1}));
    const std::vector<uint32_t> outside = {1, 4};
    EXPECT_FALSE(ScatterRankedOrder(rank, outside, false, order, memory));
    // Damaged run starts (place 0 must begin a run) are refused, not half-collected.
    ColumnRank damaged = rank;
    damaged.groupStarts[0] &= ~uint64_t{1};
    const std::vector<uint32_t> all = {0, 1, 2, 3};
    EXPECT_FALSE(ScatterRankedOrder(damaged, all, true, order, memory));
    damaged.groupStarts.clear();
    EXPECT_FALSE(ScatterRankedOrder(damaged, all, false, order, memory));
}

TEST(RankedSort, OneSorterThroughClicksOnListsOfEverySize) {
    // The window keeps one sorter: its reused memory must serve lists larger and smaller than
    // the last, from the ranks and without them, and long lists take the two-thread move.
    std::mt19937 random(17);
    Catalogue catalogue;
    FillRandom(catalogue.Entries, 40'000, random);
    ASSERT_TRUE(BuildColumnRanks(catalogue.Entries, UsCollation(), catalogue.Ranks));
    ResultSorter sorter(UsCollation());
    SortState state;
    for (const unsigned share : {8u, 1u, 7u, 0u, 3u}) {
        EntryList results;
        const std::vector<size_t> picked = CopySome(catalogue.Entries, results, share, random);
        ResultOrigin origin;
        origin.Record(catalogue.Entries.Generation(), picked, results);
        state.NewSearch();
        for (const int column : {0, 2, 2, 1}) {
            const bool withRanks = share != 3;
            EntryList before = test::CopyOf(results);
            const std::vector<uint32_t> index(origin.CatalogueIndex().begin(), origin.CatalogueIndex().end());
            const std::span<const uint32_t> order = SortColumnClick(
                state, results, sorter, column, withRanks ? &catalogue.Ranks : nullptr, origin);
            const std::string what = "share " + std::to_string(share) + ", column " + std::to_string(column);
            // The order returned is the one applied.
            ASSERT_EQ(order.size(), results.Count()) << what;
            for (size_t k = 0; k < order.size(); ++k) {
                ASSERT_EQ(results[k].Name(), before[order[k]].Name()) << what;
                ASSERT_EQ(origin.CatalogueIndex()[k], index[order[k]]) << what;
            }
            if (withRanks) {
                // The radix sort, checked against the entries above, is the reference here.
                const ColumnRank& rank =
                    *catalogue.Ranks.Find(column, catalogue.Entries.Generation(), UsCollation().LocaleId());
                RankedSortMemory memory;
                std::vector<uint32_t> expected;
                ASSERT_TRUE(RadixRankedOrder(rank, index, state.SortDescending, expected, memory));
                ASSERT_EQ(std::vector<uint32_t>(order.begin(), order.end()), expected) << what;
            } else {
                for (size_t k = 1; k < results.Count(); ++k) {
                    ASSERT_LE(CompareResults(results, k - 1, k, static_cast<ResultColumn>(column),
                                             state.SortDescending, UsCollation()),
                              0)
                        << what;
                }
            }
        }
    }
}

}  // namespace
}  // namespace quillory
