#include <algorithm>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "live/live_batch.h"

namespace quillory {

namespace {

// The places a batch names, asked entry by entry. Entries of one folder share their folder text,
// so the answer for a folder is worked out once per run of its entries.
class CoveredPlaces {
  public:
    explicit CoveredPlaces(const LiveBatch& batch) {
        folders_.insert(batch.folders.begin(), batch.folders.end());
        for (const auto& [folder, name] : batch.items) items_[folder].insert(name);
        std::vector<std::string_view> trees(batch.trees.begin(), batch.trees.end());
        std::sort(trees.begin(), trees.end());
        // A tree inside another adds nothing; without such, only the last tree sorted at or
        // before a folder can hold it.
        for (const std::string_view tree : trees) {
            if (trees_.empty() || !tree.starts_with(trees_.back())) trees_.push_back(tree);
        }
    }

    bool Covers(const TMyItem& entry) {
        const std::string_view folder = entry.Folder();
        if (folder.data() != lastFolder_.data() || folder.size() != lastFolder_.size()) Learn(folder);
        return wholeFolder_ || (names_ && names_->contains(entry.Name()));
    }

  private:
    void Learn(std::string_view folder) {
        lastFolder_ = folder;
        wholeFolder_ = folders_.contains(folder) || InTree(folder);
        const auto named = items_.find(folder);
        names_ = named == items_.end() ? nullptr : &named->second;
    }

    bool InTree(std::string_view folder) const {
        auto after = std::upper_bound(trees_.begin(), trees_.end(), folder);
        return after != trees_.begin() && folder.starts_with(*(after - 1));
    }

    std::unordered_set<std::string_view> folders_;
    std::unordered_map<std::string_view, std::unordered_set<std::string_view>> items_;
    std::vector<std::string_view> trees_;
    std::string_view lastFolder_{"", 0};
    bool wholeFolder_ = false;
    const std::unordered_set<std::string_view>* names_ = nullptr;
};

// An entry by its path and every value a walk sets, to tell a real change from an entry that
// came back as it was.
struct EntryKey {
    std::string path;
    const TMyItem* entry;

    auto Tie() const {
        return std::tie(path, entry->Modified, entry->Created, entry->Accessed, entry->Size,
                        entry->Attributes);
    }
    bool operator<(const EntryKey& other) const { return Tie() < other.Tie(); }
    bool operator==(const EntryKey& other) const { return Tie() == other.Tie(); }
};

std::vector<EntryKey> KeysOf(const std::vector<const TMyItem*>& entries) {
    std::vector<EntryKey> keys;
    keys.reserve(entries.size());
    for (const TMyItem* entry : entries) keys.push_back({EntryFullPath(*entry), entry});
    std::sort(keys.begin(), keys.end());
    return keys;
}

void AppendWithDisplayValues(EntryList& list, const TMyItem& entry) {
    TMyItem& copy = list.AppendCopy(entry);
    copy.IconIndex = entry.IconIndex;
    copy.Selected = entry.Selected;
}

// Copies into `changes` the removed and added entries that have no equal on the other side.
void CollectChanges(const std::vector<const TMyItem*>& removed, const EntryList& added,
                    LiveChanges& changes) {
    std::vector<const TMyItem*> addedEntries;
    for (const TMyItem& entry : added.Entries()) addedEntries.push_back(&entry);
    const std::vector<EntryKey> before = KeysOf(removed);
    const std::vector<EntryKey> after = KeysOf(addedEntries);
    size_t b = 0, a = 0;
    while (b < before.size() || a < after.size()) {
        if (a == after.size() || (b < before.size() && before[b] < after[a])) {
            AppendWithDisplayValues(changes.removed, *before[b++].entry);
        } else if (b == before.size() || after[a] < before[b]) {
            AppendWithDisplayValues(changes.added, *after[a++].entry);
        } else {
            ++a;
            ++b;
        }
    }
}

}  // namespace

LiveChanges ApplyLiveBatch(Catalogue& catalogue, const LiveBatch& batch) {
    LiveChanges changes;
    if (batch.Empty()) return changes;
    CoveredPlaces places(batch);
    const auto entries = catalogue.Entries.Entries();
    std::vector<bool> covered(entries.size(), false);
    std::vector<const TMyItem*> removed;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!places.Covers(entries[i])) continue;
        covered[i] = true;
        removed.push_back(&entries[i]);
    }
    CollectChanges(removed, batch.added, changes);
    if (changes.Empty()) return changes;
    EntryList rebuilt;
    rebuilt.Reserve(entries.size() - removed.size() + batch.added.Count());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!covered[i]) AppendWithDisplayValues(rebuilt, entries[i]);
    }
    for (const TMyItem& entry : batch.added.Entries()) AppendWithDisplayValues(rebuilt, entry);
    catalogue.Entries = std::move(rebuilt);
    return changes;
}

}  // namespace quillory
