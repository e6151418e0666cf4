#include "core/entry_list.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>

#include "core/gather_entries.h"

namespace quillory {

namespace {
// A generation is an epoch (high 32 bits, unique across all lists of the process) and the
// number of entries acquired since (low 32 bits), so no two states of any lists share one.
std::atomic<uint64_t> g_epoch{0};
}  // namespace

uint64_t EntryList::NewEpoch() {
    return (g_epoch.fetch_add(1, std::memory_order_relaxed) + 1) << 32;
}

EntryList::EntryList() : generation_(NewEpoch()) {}

std::string EntryFullPath(const TMyItem& entry) {
    std::string path;
    path.reserve(entry.Folder().size() + entry.Name().size());
    path.append(entry.Folder());
    path.append(entry.Name());
    return path;
}

TMyItem& EntryList::AcquireEntry(std::string_view name) {
    if (name.size() > TMyItem::kMaxNameBytes) {
        throw std::length_error("a name of " + std::to_string(name.size()) +
                                " bytes is longer than any file name");
    }
    ++generation_;
    if (count_ == slots_.size()) slots_.emplace_back();
    TMyItem& entry = slots_[count_++];
    entry.name_ = texts_.Store(name);
    entry.nameSize_ = static_cast<uint16_t>(name.size());
    return entry;
}

TMyItem& EntryList::AppendCopy(const TMyItem& source) {
    const FolderRef folder = InternFolder(source.Folder());
    TMyItem& entry = AcquireEntry(source.Name());
    entry.SetFolder(folder);
    entry.Modified = source.Modified;
    entry.Created = source.Created;
    entry.Accessed = source.Accessed;
    entry.Size = source.Size;
    entry.Attributes = source.Attributes;
    return entry;
}

FolderRef EntryList::InternFolder(std::string_view folder) {
    if (folder.size() > UINT32_MAX) throw std::length_error("folder too long");
    if (folder == lastFolder_.Text()) return lastFolder_;
    lastFolder_ = FolderRef(texts_.Store(folder), static_cast<uint32_t>(folder.size()));
    return lastFolder_;
}

void EntryList::Clear() {
    generation_ = NewEpoch();
    count_ = 0;
    texts_.Rewind();
    lastFolder_ = FolderRef();
}

void EntryList::Truncate(size_t count) {
    if (count >= count_) return;
    generation_ = NewEpoch();
    count_ = count;
}

void EntryList::TrimEntries(size_t first) {
    if (first >= slots_.size()) return;
    generation_ = NewEpoch();
    slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(first), slots_.end());
    if (count_ > slots_.size()) count_ = slots_.size();
}

void EntryList::Reorder(std::span<const uint32_t> order, Slots& spare) {
    if (order.size() != count_) throw std::invalid_argument("the order does not cover the entries");
    uint32_t highest = 0;
    for (const uint32_t index : order) highest = std::max(highest, index);
    if (count_ != 0 && highest >= count_) throw std::invalid_argument("the order names no entry");
    // Entries the gather overwrites anyway are constructed only where the spare has none yet,
    // and a reallocation copies nothing.
    if (spare.capacity() < count_) spare.clear();
    spare.resize(count_);
    GatherEntries(Entries(), order, spare.data());
    slots_.swap(spare);
    generation_ = NewEpoch();
}

void EntryList::Swap(EntryList& other) noexcept {
    std::swap(slots_, other.slots_);
    std::swap(count_, other.count_);
    std::swap(texts_, other.texts_);
    std::swap(lastFolder_, other.lastFolder_);
    // Both lists changed content: make sure no cache mistakes one for the other.
    generation_ = NewEpoch();
    other.generation_ = NewEpoch();
}

size_t EntryList::BytesAllocated() const {
    return slots_.capacity() * sizeof(TMyItem) + texts_.BytesAllocated();
}

}  // namespace quillory
