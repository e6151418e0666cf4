#pragma once
// Builds result lists for tests: each row names an entry and its values.

#include <string>
#include <string_view>

#include "core/entry_list.h"

namespace quillory::test {

struct ResultRow {
    std::string_view name;
    std::string_view folder = "/data/";
    int64_t size = 0;
    double modified = 0;
    uint32_t attributes = 0x80;
};

inline TMyItem& AddResult(EntryList& list, const ResultRow& row) {
    const FolderRef folder = list.InternFolder(row.folder);
    TMyItem& entry = list.AcquireEntry(row.name);
    entry.SetFolder(folder);
    entry.Size = row.size;
    entry.Modified = row.modified;
    entry.Created = row.modified;
    entry.Accessed = row.modified;
    entry.Attributes = row.attributes;
    entry.IconIndex = 0;
    entry.Selected = false;
    return entry;
}

inline EntryList ResultsNamed(std::initializer_list<std::string_view> names) {
    EntryList list;
    for (const std::string_view name : names) AddResult(list, {name});
    return list;
}

// An independent copy of the list's entries.
inline EntryList CopyOf(const EntryList& list) {
    EntryList copy;
    for (const TMyItem& e : list.Entries()) copy.AppendCopy(e);
    return copy;
}

inline std::string Names(const EntryList& list) {
    std::string out;
    for (const TMyItem& e : list.Entries()) {
        if (!out.empty()) out += ' ';
        out += e.Name();
    }
    return out;
}

}  // namespace quillory::test
