#pragma once
// The container of the catalogue and of the result list: a sequence of slots, each holding
// one entry, and a used count. Entries 0 to Count()-1 are the content; slots beyond it are
// spare and keep their entries (with stale values) for reuse, so rebuilding a list of the
// same size allocates nothing. Entries are stored contiguously; names and folder texts live
// in the list's text arenas, each name once. Names are stored in the order the entries are
// acquired, each followed by a NUL byte, so that a scan of the name bytes alone can tell
// which entry a position belongs to (NameStretches).

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/entry.h"
#include "core/text_arena.h"

namespace quillory {

class EntryList {
  public:
    // The slot storage; a reordering borrows a second one (see Reorder).
    using Slots = std::vector<TMyItem>;

    EntryList();
    EntryList(EntryList&&) noexcept = default;
    EntryList& operator=(EntryList&&) noexcept = default;

    size_t Count() const { return count_; }
    size_t SlotCount() const { return slots_.size(); }
    bool Empty() const { return count_ == 0; }

    // Any slot, spare ones included.
    TMyItem& operator[](size_t i) { return slots_[i]; }
    const TMyItem& operator[](size_t i) const { return slots_[i]; }

    std::span<const TMyItem> Entries() const { return {slots_.data(), count_}; }
    // The content for in-place changes that may reorder entries (a sort); counts as a change.
    std::span<TMyItem> EditEntries() {
        generation_ = NewEpoch();
        namesInOrder_ = false;
        return {slots_.data(), count_};
    }

    // A stretch of memory holding the names of consecutive entries back to back, each name
    // followed by one NUL byte: `bytes` starts with the name of entry `firstEntry` and ends
    // with the NUL after the last name. (A name itself may hold a NUL byte too: only a damaged
    // database stores one, and a reader counting NULs must check that their number is the
    // number of entries.)
    struct NameStretch {
        std::string_view bytes;
        size_t firstEntry;
    };
    // Replaces `out` with the stretches that hold the names of entries [first, last) (the
    // range within the used count), in order, and answers true; answers false (and leaves
    // `out` empty) when the names are not laid out so: after the entries were reordered or
    // the list shortened.
    bool NameStretches(size_t first, size_t last, std::vector<NameStretch>& out) const;

    // Throws std::length_error for a name longer than TMyItem::kMaxNameBytes.
    // Adds 1 to the used count and returns the entry of that slot with `name` as its name:
    // a new empty entry when the list had no spare slot, otherwise the spare entry still
    // holding the values of its previous use (the caller sets every field it relies on).
    TMyItem& AcquireEntry(std::string_view name);

    // Acquires an entry and copies name, folder, times, size and attributes of `source` into
    // it (the folder text is copied into this list, shared with the previous copy when equal).
    // IconIndex and Selected keep the slot's old values.
    TMyItem& AppendCopy(const TMyItem& source);

    // The folder text for entries of this list; equal consecutive folders share one copy.
    FolderRef InternFolder(std::string_view folder);

    // Used count 0 and every stored text forgotten; slots stay as spare entries. Any Name,
    // Folder or FolderRef taken from this list before is invalid afterwards.
    void Clear();

    // Lowers the used count to `count` (no effect when it is already lower).
    void Truncate(size_t count);

    // Removes the slots from `first` on, spare ones included; nothing happens when `first`
    // is at or beyond the number of slots. The used count never exceeds the slots left.
    void TrimEntries(size_t first);

    // Puts entry order[k] at place k for every k below Count(); spare slots are dropped. The
    // new order is built in `spare` and swapped in, so each entry is copied
    // once and `spare` receives the old slots, to be passed again by the next reordering,
    // which then touches no fresh memory. Counts as a change. Throws std::invalid_argument,
    // with the list unchanged, when `order` does not hold Count() indices below Count(); a
    // repeated index is not looked for (it repeats an entry of this list).
    void Reorder(std::span<const uint32_t> order, Slots& spare);

    void Reserve(size_t slots) { slots_.reserve(slots); }
    void Swap(EntryList& other) noexcept;

    // Changes whenever a name, the order or the used count changes, and is never the same for
    // two different states of any lists: caches built from the names (the upper-cased copy
    // the search keeps) compare it to know they are stale.
    uint64_t Generation() const { return generation_; }

    // Bytes held by the slots and the text arena (for memory figures).
    size_t BytesAllocated() const;

  private:
    static uint64_t NewEpoch();

    // Where the names of entries from firstEntry on start; the next run begins where a name
    // did not fit in the arena's chunk any more.
    struct NameRun {
        const char* begin;
        size_t firstEntry;
    };

    Slots slots_;
    size_t count_ = 0;
    TextArena names_;
    TextArena folders_;
    FolderRef lastFolder_;
    uint64_t generation_;
    // Whether entry i's name is the i-th name stored since the list was last emptied.
    bool namesInOrder_ = true;
    std::vector<NameRun> nameRuns_;
    const char* namesEnd_ = nullptr;  // just after the NUL of the last name stored
};

// The catalogue operations by their program names.
inline TMyItem& AcquireEntry(EntryList& list, std::string_view name) {
    return list.AcquireEntry(name);
}
inline void TrimEntries(EntryList& list, size_t first) {
    list.TrimEntries(first);
}

}  // namespace quillory
