#include "core/entry_list.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>

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
    const char* stored = names_.StoreTerminated(name);
    if (stored != namesEnd_) nameRuns_.push_back({stored, count_ - 1});
    namesEnd_ = stored + name.size() + 1;
    entry.name_ = stored;
    entry.nameSize_ = static_cast<uint16_t>(name.size());
    return entry;
}

TMyItem& EntryList::AppendCopy(const TMyItem& source) {
    const FolderRef folder = InternFolder(source.Folder());
    TMyItem& entry = AcquireEntry(source.Name());
    entry.SetFolder(folder);
    CopyEntryValues(entry, source);
    return entry;
}

FolderRef EntryList::InternFolder(std::string_view folder) {
    if (folder.size() > UINT32_MAX) throw std::length_error("folder too long");
    if (folder == lastFolder_.Text()) return lastFolder_;
    lastFolder_ = FolderRef(folders_.Store(folder), static_cast<uint32_t>(folder.size()));
    return lastFolder_;
}

void EntryList::Clear() {
    generation_ = NewEpoch();
    count_ = 0;
    names_.Rewind();
    folders_.Rewind();
    lastFolder_ = FolderRef();
    namesInOrder_ = true;
    nameRuns_.clear();
    namesEnd_ = nullptr;
}

void EntryList::Truncate(size_t count) {
    if (count >= count_) return;
    generation_ = NewEpoch();
    count_ = count;
    // The names of the dropped entries stay stored: later names would not follow on.
    namesInOrder_ = false;
}

void EntryList::TrimEntries(size_t first) {
    if (first >= slots_.size()) return;
    generation_ = NewEpoch();
    slots_.erase(slots_.begin() + static_cast<std::ptrdiff_t>(first), slots_.end());
    if (count_ > slots_.size()) {
        count_ = slots_.size();
        namesInOrder_ = false;
    }
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
    // The reads jump around the list: each is requested a few entries ahead, so that several
    // memory round trips overlap instead of following one another.
    constexpr size_t kAhead = 16;
    const TMyItem* from = slots_.data();
    for (size_t k = 0; k < count_; ++k) {
        if (k + kAhead < count_) __builtin_prefetch(from + order[k + kAhead]);
        spare[k] = from[order[k]];
    }
    slots_.swap(spare);
    generation_ = NewEpoch();
    namesInOrder_ = false;
}

void EntryList::Swap(EntryList& other) noexcept {
    std::swap(slots_, other.slots_);
    std::swap(count_, other.count_);
    std::swap(names_, other.names_);
    std::swap(folders_, other.folders_);
    std::swap(lastFolder_, other.lastFolder_);
    std::swap(namesInOrder_, other.namesInOrder_);
    std::swap(nameRuns_, other.nameRuns_);
    std::swap(namesEnd_, other.namesEnd_);
    // Both lists changed content: make sure no cache mistakes one for the other.
    generation_ = NewEpoch();
    other.generation_ = NewEpoch();
}

size_t EntryList::BytesAllocated() const {
    return slots_.capacity() * sizeof(TMyItem) + names_.BytesAllocated() + folders_.BytesAllocated();
}

bool EntryList::NameStretches(size_t first, size_t last, std::vector<NameStretch>& out) const {
    out.clear();
    if (!namesInOrder_) return false;
    last = std::min(last, count_);
    if (first >= last) return true;
    // The run holding entry `first`: the last one that starts at or before it.
    auto run = std::upper_bound(nameRuns_.begin(), nameRuns_.end(), first,
                                [](size_t entry, const NameRun& r) { return entry < r.firstEntry; });
    --run;
    size_t entry = first;
    while (entry < last) {
        const auto next = run + 1;
        const size_t runLast = next == nameRuns_.end() ? last : std::min(last, next->firstEntry);
        const TMyItem& lastEntry = slots_[runLast - 1];
        const char* begin = slots_[entry].name_;
        const char* end = lastEntry.name_ + lastEntry.nameSize_ + 1;
        out.push_back({std::string_view(begin, static_cast<size_t>(end - begin)), entry});
        entry = runLast;
        run = next;
    }
    return true;
}

}  // namespace quillory
