#pragma once
// Sorting the result list by a column, and the column-click state that decides the
// direction.

#include <cstdint>

#include "core/entry_list.h"
#include "results/collation.h"
#include "results/result_columns.h"
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
// order. Text columns compare precomputed collation sort keys, so each name is collated
// once, not once per comparison. Not stable: equal results may change their order.
void SortResults(EntryList& results, ResultColumn column, bool descending, const Collation& collation);

// A click on column `column` (0 to 4; anything else is ignored): the first click after a
// search sorts ascending, a further click on the same column reverses the direction, a
// click on another column sorts ascending by it. The selection follows the entries; the
// focused row index stays. Spare slots are dropped before the sort.
void ListView1ColumnClick(SortState& state, EntryList& results, ResultSelection& selection,
                          const Collation& collation, int column);

}  // namespace quillory
