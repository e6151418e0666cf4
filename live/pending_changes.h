#pragma once
// What the notices read since the last batch ask to look at again. Notices only mark places;
// the batch looks at those places as they are when it is prepared, so any number of notices
// about one place costs one look.

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace quillory {

// Names compared as bytes, looked up by string_view too.
using NameSet = std::set<std::string, std::less<>>;

struct PendingChanges {
    // Folders whose whole known content is dropped first (moved away, deleted, replaced); each
    // is looked at again through its parent's item of that name, or as a root.
    std::set<std::string> forgotten;
    // Roots to look at again: gone, back, or no longer readable.
    std::set<std::string> roots;
    // Folders to list again completely.
    std::set<std::string> folders;
    // Items to look at again, by folder.
    std::map<std::string, NameSet> items;
    // Notices were lost: everything is listed again.
    bool overflow = false;

    // More names than this in one folder: the folder is listed again instead.
    static constexpr size_t kMostItemsPerFolder = 512;

    bool Empty() const {
        return forgotten.empty() && roots.empty() && folders.empty() && items.empty() && !overflow;
    }

    void AddItem(const std::string& folder, std::string_view name) {
        if (folders.contains(folder)) return;
        auto& names = items[folder];
        names.emplace(name);
        if (names.size() > kMostItemsPerFolder) {
            items.erase(folder);
            folders.insert(folder);
        }
    }
};

}  // namespace quillory
