#pragma once
// A batch of catalogue changes found by the live watcher, and how the catalogue's owner applies
// it.
//
// A batch never describes differences to one particular state of the entries: it names places
// (folders, items, whole subtrees) and holds what was found there when the batch was prepared.
// Applying it removes every entry in those places and adds the entries found, so applying the
// batches in the order they were made keeps the catalogue equal to what a walk would find,
// whatever the catalogue held in those places before.

#include <string>
#include <utility>
#include <vector>

#include "core/catalogue.h"
#include "core/entry_list.h"

namespace quillory {

struct LiveBatch {
    // Folders (each ending with "/") whose direct items are all replaced.
    std::vector<std::string> folders;
    // Single items replaced: (folder ending with "/", name).
    std::vector<std::pair<std::string, std::string>> items;
    // Folders (each ending with "/") whose whole content, at any depth, is removed.
    std::vector<std::string> trees;
    // What was found in those places; added after every removal.
    EntryList added;

    bool Empty() const { return folders.empty() && items.empty() && trees.empty() && added.Empty(); }
};

// What an application changed, as copies, for the window to tell whether the entries of its open
// search changed. An entry whose values changed is in both lists; one that came back with the
// same values is in neither.
struct LiveChanges {
    EntryList removed;
    EntryList added;

    bool Empty() const { return removed.Empty() && added.Empty(); }
};

// Applies the batch to the catalogue's entries on the calling thread, which owns the catalogue,
// in one rebuild of the list: the entries the batch does not touch keep their order and the
// batch's entries follow them. When the batch changes nothing (every entry it would remove comes
// back with the same values) the list is left alone; otherwise Entries.Generation() changes, so
// the name caches and the column ranks know they are stale. No file system access; the options
// (rescan statistics included) and the Incomplete flag are left alone.
LiveChanges ApplyLiveBatch(Catalogue& catalogue, const LiveBatch& batch);

}  // namespace quillory
