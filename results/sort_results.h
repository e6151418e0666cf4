#pragma once
// Sorting the result list by a column, and the column-click state that decides the
// direction.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/column_ranks.h"
#include "core/entry_list.h"
#include "results/collation.h"
#include "results/ranked_sort.h"
#include "results/result_columns.h"
#include "results/result_origin.h"
#include "results/result_selection.h"

namespace quillory {

inline constexpr int8_t kNoSortColumn = -1;

struct SortState {
    // True when the current results were sorted by a column click since the last search.
    bool ResultsSorted = false;
    // The column last sorted by (0 to 4), or kNoSortColumn.
    int8_t SortColumn = kNoSortColumn;
    bool SortDescending = false;

    // A search shows its results in catalogue order and forgets the last click.
    void NewSearch() { ResultsSorted = false; }
};

// Reorders results 0 to Count()-1 in place so that CompareResults never finds a pair out of
// order. Text columns compare precomputed collation sort keys, so each text is collated once
// (a folder once per run of entries sharing it), not once per comparison; large lists build
// their keys on several threads. The sorter keeps its working memory for the next sort, so
// repeated clicks allocate nothing. Not stable: equal results may change their order.
class ResultSorter {
  public:
    // `collation`: the user's locale collation at tertiary strength.
    explicit ResultSorter(Collation collation);

    void Sort(EntryList& results, ResultColumn column, bool descending);
    // The order Sort would give, without moving anything: order[k] is the index of the
    // result that goes to place k. A list model may use it to move its persistent rows.
    // With `tiesByIndex` equal keys keep their list order (in both directions), as the
    // catalogue's ranks order them.
    std::vector<uint32_t> Order(const EntryList& results, ResultColumn column, bool descending,
                                bool tiesByIndex = false);

    // The catalogue order of a column: `order` receives the indices of `entries` sorted
    // ascending, equal keys in index order (so the order is unique), and `groupStarts` a bit
    // per place (as ColumnRank::groupStarts) set where a run of equal keys begins.
    void StableOrder(const EntryList& entries, ResultColumn column, std::vector<uint32_t>& order,
                     std::vector<uint64_t>& groupStarts);

    // Working memory of the column sorts from the catalogue's ranks.
    RankedSortMemory& RankedMemory() { return rankedMemory_; }

    // Puts the results in `order` (a permutation of 0 to Count()-1, as Order returns it) with
    // the sorter's working memory. Throws std::invalid_argument when `order` is not one.
    void Apply(EntryList& results, std::span<const uint32_t> order);
    // Apply for an order made as a permutation (RankedOrder's, Order's): only the range of its
    // indices is checked (EntryList::Reorder). Spare slots are dropped.
    void ApplyPermutation(EntryList& results, std::span<const uint32_t> order);

    // Makes the working memory of a click on `results` results copied from a catalogue of
    // `catalogueEntries` entries ready (allocated and written once), so that the first click
    // pays no page faults: a window calls it after a search, when nobody waits. The memory is
    // what that click would keep anyway: 68 bytes a result and 4 a catalogue entry.
    void PrepareClicks(size_t results, size_t catalogueEntries);

    // Where a column click keeps its order until the next one.
    std::vector<uint32_t>& ClickOrder() { return clickOrder_; }

    const Collation& GetCollation() const { return collation_; }
    // Gives back the working memory (after a large sort, when memory matters more).
    void ReleaseMemory();

    struct TextKey {
        // The first sixteen key bytes, big-endian: most comparisons end here without
        // touching the key text.
        uint64_t head;
        uint64_t next;
        const char* key;
        uint32_t length;
        uint32_t index;
    };
    struct NumberKey {
        uint64_t key;  // ordered like the column's numbers
        uint32_t index;
    };

  private:
    // Fills and sorts textKeys_ (true) or numberKeys_ (false); returns which. With
    // `tiesByIndex` equal keys keep their index order.
    bool SortKeys(const EntryList& results, ResultColumn column, bool descending, bool tiesByIndex = false);
    void SortTextKeys(const EntryList& results, ResultColumn column, bool descending, bool tiesByIndex);
    void SortNumberKeys(const EntryList& results, ResultColumn column, bool descending, bool tiesByIndex);

    Collation collation_;
    std::vector<Collation> threadCollations_;
    std::vector<std::string> arenas_;
    std::vector<TextKey> textKeys_;
    std::vector<NumberKey> numberKeys_;
    // The slots the next reordering builds its order in (the list's previous slots).
    EntryList::Slots spare_;
    std::vector<uint32_t> order_;
    std::vector<uint32_t> clickOrder_;
    RankedSortMemory rankedMemory_;
};

// A one-off sort with its own working memory.
void SortResults(EntryList& results, ResultColumn column, bool descending, const Collation& collation);

// Puts the results in `order` (as Order returns it: a permutation of 0 to Count()-1).
// Throws std::invalid_argument when `order` is not one.
void ApplyOrder(EntryList& results, std::span<const uint32_t> order);

// For each place before a reordering, the place after it: inverse[order[k]] == k.
std::vector<uint32_t> InverseOrder(std::span<const uint32_t> order);

// A click on column `column` (0 to 4; anything else is ignored): the first click after a
// search sorts ascending, a further click on the same column reverses the direction, a
// click on another column sorts ascending by it. Spare slots are dropped before the sort.
// Returns the order applied (as ResultSorter::Order), empty when the click was ignored; the
// selection is not touched, so a list model can move its rows itself (layoutChanged).
std::vector<uint32_t> SortColumnClick(SortState& state, EntryList& results, ResultSorter& sorter, int column);

// SortColumnClick for results whose catalogue indices `origin` knows: when `ranks` (the
// catalogue's) hold the clicked column for the catalogue state the results were copied from,
// in the sorter's locale, the order comes from the ranks (no collation at all) and equal
// keys keep catalogue order in both directions; otherwise it is the sorter's. The keys come
// out in the same order either way. `origin` follows the results through the reordering.
// The order applied lives in the sorter (ClickOrder) until its next sort, so a click
// allocates nothing once the sorter has sorted as many results before.
std::span<const uint32_t> SortColumnClick(SortState& state, EntryList& results, ResultSorter& sorter,
                                          int column, const ColumnRanks* ranks, ResultOrigin& origin);

// SortColumnClick for a list whose rows carry the selection: the selection follows the
// entries; the focused row index stays.
void SortByColumn(SortState& state, EntryList& results, ResultSelection& selection, ResultSorter& sorter,
                  int column);

}  // namespace quillory
