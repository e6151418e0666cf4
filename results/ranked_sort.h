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
};

// The order of results whose result k is a copy of catalogue entry catalogueIndex[k], sorted
// by `rank`'s column: order[k] is the result that goes to place k (as ResultSorter::Order).
// Linear in the number of results (a radix sort of their ranks). False, with `order`
// unspecified, when an index lies outside the ranked catalogue.
bool RankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                 std::vector<uint32_t>& order, RankedSortMemory& memory);

}  // namespace quillory
