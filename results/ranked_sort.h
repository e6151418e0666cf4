#pragma once
// Column sorts from the catalogue's ranks: the catalogue is sorted once per column (after a
// load or a rescan, on the thread that owns it), and a result list copied from it is then
// ordered by looking up each result's rank, with no collation and no comparison sort.
//
// The ranks order the keys exactly as ResultSorter does (the same collation sort keys, the
// same number order); where ResultSorter leaves equal keys in any order, the ranks keep them
// in catalogue order, ascending and descending alike.

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "core/column_ranks.h"
#include "core/entry_list.h"
#include "results/collation.h"

namespace quillory {

// Brings every column of `ranks` up to date with `entries` (columns that already describe
// them in `collation`'s locale are kept). `collation` is used by this thread only. Checks
// `stop` before each column and returns false when it was set (the columns done so far are
// kept, the others stay stale). Memory: the ranks take 4 bytes and a bit per entry and
// column; the build borrows a sort's working memory (about 60 bytes per entry) for one
// column at a time and gives it back.
bool BuildColumnRanks(const EntryList& entries, const Collation& collation, ColumnRanks& ranks,
                      const std::atomic<bool>* stop = nullptr);

class ResultSorter;

// One column of BuildColumnRanks, built into `rank` (whatever it held is replaced) with
// `sorter`'s collation: for an owner that builds the columns aside and puts each in place
// itself (while other threads read the finished ones).
void BuildColumnRank(const EntryList& entries, ResultSorter& sorter, int column, ColumnRank& rank);

// Working memory of RankedOrder, kept between calls so repeated clicks allocate nothing.
struct RankedSortMemory {
    std::vector<uint64_t> keys;
    std::vector<uint64_t> other;
    std::vector<uint32_t> places;
};

// The order of results whose result k is a copy of catalogue entry catalogueIndex[k], sorted
// by `rank`'s column: order[k] is the result that goes to place k (as ResultSorter::Order).
// Linear in the number of results, or in the catalogue's size when the results are a good
// part of it. False, with `order` unspecified, when an index lies outside the ranked
// catalogue or (ScatterRankedOrder) names one catalogue entry twice.
bool RankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                 std::vector<uint32_t>& order, RankedSortMemory& memory);

// The two ways RankedOrder chooses between; they give the same order. The radix sort of the
// results' ranks costs the same for every result whatever the catalogue's size; the scatter
// puts each result at its rank in a list as long as the catalogue, then collects them in one
// pass, which is cheaper when the results are more than a small share of the catalogue.
bool RadixRankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                      std::vector<uint32_t>& order, RankedSortMemory& memory);
bool ScatterRankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                        std::vector<uint32_t>& order, RankedSortMemory& memory);

}  // namespace quillory
