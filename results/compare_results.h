#pragma once
// The sort order of two results by one column: the locale's collation (case matters) for
// the name, folder and extension, numbers for the size and the last write time.

#include "core/entry_list.h"
#include "results/collation.h"
#include "results/result_columns.h"

namespace quillory {

// -1, 0 or 1; negated when `descending`. There is no secondary key. `collation` is the
// tertiary-strength collation of the user's locale.
int CompareResults(const EntryList& results, size_t i, size_t j, ResultColumn column, bool descending,
                   const Collation& collation);

}  // namespace quillory
