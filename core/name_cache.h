#pragma once
// The catalogue's names laid end to end in one buffer (each followed by a NUL byte), either
// upper-cased or as they are, together with the catalogue's folder runs (consecutive entries
// that share one folder text) and those folder texts in the same case. One substring scan
// over the buffer replaces a call per entry, and a case-insensitive search never upper-cases
// a name: the cache is rebuilt only when the catalogue's Generation() changes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry_list.h"

namespace quillory {

// Appends `text` to `buffer`, upper-cased when `upper` (ASCII in place, anything else through
// the platform's full mapping).
void AppendCaseForm(std::string& buffer, std::string_view text, bool upper);

class NameCache {
  public:
    explicit NameCache(bool upperCase) : upperCase_(upperCase) {}

    // Rebuilds the cache when `catalogue` changed since the last update (or is another list).
    void Update(const EntryList& catalogue);
    // Whether the cache holds `catalogue`'s names as they are now (Update would do nothing).
    bool IsCurrentFor(const EntryList& catalogue) const {
        return built_ && generation_ == catalogue.Generation();
    }

    size_t Count() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    std::string_view Buffer() const { return names_; }
    // Offset of name i in the buffer; Start(Count()) is the buffer's size.
    size_t Start(size_t i) const { return starts_[i]; }
    std::string_view Name(size_t i) const {
        return std::string_view(names_).substr(starts_[i], starts_[i + 1] - starts_[i] - 1);
    }
    // The entry whose name (or following NUL) holds `offset`; `hint` is an entry at or before it.
    size_t EntryAt(size_t offset, size_t hint) const;

    // Folder runs: run r covers entries RunStart(r) to RunStart(r + 1) - 1.
    size_t RunCount() const { return runStarts_.empty() ? 0 : runStarts_.size() - 1; }
    size_t RunStart(size_t r) const { return runStarts_[r]; }
    std::string_view RunFolder(size_t r) const {
        return std::string_view(folders_).substr(folderStarts_[r], folderStarts_[r + 1] - folderStarts_[r]);
    }
    // The run that holds entry i.
    size_t RunOf(size_t i) const;
    // The folder texts of the runs laid end to end: run r's text starts at FolderStart(r), and
    // FolderStart(RunCount()) is the buffer's size.
    std::string_view FolderBuffer() const { return folders_; }
    size_t FolderStart(size_t r) const { return folderStarts_[r]; }
    // The run whose folder text holds buffer offset `offset`.
    size_t RunAtFolderOffset(size_t offset) const;
    // Whether any name holds a "/" (a catalogue read from a file may hold such names).
    bool NamesHoldSeparator() const { return namesHoldSeparator_; }

    size_t BytesAllocated() const;
    // How often Update rebuilt the cache.
    size_t Builds() const { return builds_; }

  private:
    bool upperCase_;
    bool built_ = false;
    uint64_t generation_ = 0;
    size_t builds_ = 0;
    bool namesHoldSeparator_ = false;
    std::string names_;
    std::vector<size_t> starts_;
    std::string folders_;
    std::vector<size_t> folderStarts_;
    std::vector<size_t> runStarts_;
};

}  // namespace quillory
