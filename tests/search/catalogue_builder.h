#pragma once
// Builds small catalogues for the search tests: entries named "folder/name", folder texts
// interned the way a scan does (consecutive equal folders share one copy).

#include <string>
#include <string_view>
#include <vector>

#include "core/entry_list.h"

namespace quillory::test {

struct EntrySpec {
    std::string folder;
    std::string name;
    bool isFolder = false;
};

inline void AddEntry(EntryList& list, std::string_view folder, std::string_view name, bool isFolder = false) {
    const FolderRef ref = list.InternFolder(folder);
    TMyItem& entry = list.AcquireEntry(name);
    entry.SetFolder(ref);
    entry.Attributes = isFolder ? kAttrDirectory : kAttrNormal;
    entry.Size = static_cast<int64_t>(name.size());
    entry.Modified = 40000.5;
    entry.Created = 40000.25;
    entry.Accessed = 40001.0;
    entry.IconIndex = 7;
    entry.Selected = true;
}

inline EntryList MakeCatalogue(const std::vector<EntrySpec>& specs) {
    EntryList list;
    for (const EntrySpec& spec : specs) AddEntry(list, spec.folder, spec.name, spec.isFolder);
    return list;
}

inline std::vector<std::string> FullPaths(const EntryList& list) {
    std::vector<std::string> paths;
    for (const TMyItem& entry : list.Entries()) paths.push_back(EntryFullPath(entry));
    return paths;
}

}  // namespace quillory::test
