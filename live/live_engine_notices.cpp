// The live watcher's loop between batches: notices mark places, the quick check marks the
// unwatched folders that moved, and the batch goes out when it is due.

#include <algorithm>
#include <climits>

#include "live/live_engine.h"
#include "platform/clock.h"

namespace quillory {

void LiveEngine::Note(const WatchEvent& event) {
    noted_ = true;
    if (event.kinds & kWatchOverflow) {
        pending_.overflow = true;
        return;
    }
    const std::string* known = known_->PathOf(event.watch);
    if (!known) return;  // a watch ended before its notices were read
    const std::string& folder = *known;
    if (event.kinds & (kFolderGone | kFolderChanged)) {
        NoteFolderItself(folder, event.kinds & kFolderGone);
        return;
    }
    if ((event.kinds & kItemIsFolder) && (event.kinds & (kItemAdded | kItemRemoved))) {
        // A folder of that name came or went: whatever was known there is not any more.
        std::string child = folder;
        child.append(event.name).push_back('/');
        pending_.forgotten.insert(std::move(child));
    }
    pending_.AddItem(folder, event.name);
    // An item added or removed moves the folder's own modification time.
    if (event.kinds & (kItemAdded | kItemRemoved)) NoteEntry(folder);
}

void LiveEngine::NoteFolderItself(const std::string& folder, bool gone) {
    if (gone) pending_.forgotten.insert(folder);
    if (IsRoot(folder)) pending_.roots.insert(folder);
    NoteEntry(folder);
}

// The folder's own entry, in its parent: looked at when the parent is known (an outer root has
// no entry; a root inside another one has one when the outer walk entered it).
void LiveEngine::NoteEntry(const std::string& folder) {
    if (folder.size() < 2) return;
    const size_t slash = folder.rfind('/', folder.size() - 2);
    if (slash == std::string::npos) return;
    pending_.AddItem(folder.substr(0, slash + 1),
                     std::string_view(folder).substr(slash + 1, folder.size() - slash - 2));
}

void LiveEngine::Heartbeat() {
    watches_->Wait(0, noteSink_);
}

int64_t LiveEngine::BatchDueAt() const {
    const int64_t settled =
        std::min(lastNotice_ + settings_.quietMs, firstNotice_ + settings_.longestDelayMs);
    return std::max(settled, lastBatch_ + settings_.minIntervalMs);
}

int LiveEngine::TimeoutMs(int64_t now) const {
    int64_t due = INT64_MAX;
    if (firstNotice_ >= 0) due = BatchDueAt();
    const bool unwatched = known_->Watched() < known_->Count() || !missingRoots_.empty();
    if (unwatched) due = std::min(due, nextQuickCheck_);
    if (due == INT64_MAX) return -1;
    return static_cast<int>(std::clamp<int64_t>(due - now, 0, INT_MAX));
}

// The folders without a watch whose stamp moved since they were listed are listed again;
// the missing roots are looked for.
void LiveEngine::QuickCheck() {
    for (const auto& [path, folder] : known_->All()) {
        if (folder.watch >= 0) continue;
        const bool root = IsRoot(path);
        const std::optional<FolderStamp> stamp = ReadFolderStamp(path, root);
        if (!stamp || !stamp->folder) {
            NoteFolderItself(path, true);
        } else if (!SameStamp(*stamp, FolderStamp{folder.modified, folder.changed})) {
            pending_.folders.insert(path);
            NoteEntry(path);
        }
    }
    pending_.roots.insert(missingRoots_.begin(), missingRoots_.end());
    if (!pending_.Empty() && firstNotice_ < 0) {
        // Due at once: the check itself waited long enough.
        firstNotice_ = lastNotice_ = SteadyTickCount() - settings_.longestDelayMs;
    }
}

void LiveEngine::SendBatch(std::stop_token stop) {
    PendingChanges changes = std::move(pending_);
    pending_ = PendingChanges();
    firstNotice_ = -1;
    LiveBatch batch;
    if (!preparer_->Prepare(std::move(changes), std::move(stop), missingRoots_, batch)) return;
    const int64_t now = SteadyTickCount();
    lastBatch_ = now;
    // Notices read while the batch was prepared wait for the next one.
    if (!pending_.Empty()) firstNotice_ = lastNotice_ = now;
    noted_ = false;
    PublishCounts();
    if (!batch.Empty()) sink_(std::move(batch));
}

}  // namespace quillory
