#pragma once
// The catalogue loop of a search: which entries of a range pass the query and the folder and
// file filters, in catalogue order.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "core/entry_list.h"
#include "core/name_cache.h"
#include "search/name_matching.h"
#include "search/search_options.h"
#include "search/search_plan.h"

namespace quillory {

// An entry counts as a folder when its Ext text is exactly "Folder" (so a file named
// 'x.Folder' counts as one too); the attribute bits are not consulted.
inline bool IsFolderEntry(const TMyItem& entry) {
    return entry.Ext() == kFolderExt;
}

// Wanting both kinds (the default) needs no look at the entry: the search of a cached name
// then never touches the entry of a name that matched.
inline bool PassesTypeFilter(const TMyItem& entry, const TSearchOptions& options) {
    if (options.FindFolders && options.FindFiles) return true;
    return IsFolderEntry(entry) ? options.FindFolders : options.FindFiles;
}

struct MatchRequest {
    const EntryList& catalogue;
    // Up to date for `catalogue`, in the case the search compares; nullptr: each name is put
    // into that case as the loop reaches it (cheaper for a single search of a catalogue).
    const NameCache* cache;
    const QueryMatcher& matcher;
    const SearchPlan& plan;
    const TSearchOptions& options;
    // When set (by the searcher's caller, from another thread), the loop ends at its next entry.
    const std::atomic<bool>* cancel = nullptr;
};

// Appends to `out` the indices of the matching entries of the catalogue, in order, and stops
// once `out` holds `limit` indices. Allocates nothing per entry.
void CollectMatches(const MatchRequest& request, size_t limit, std::vector<size_t>& out);

}  // namespace quillory
