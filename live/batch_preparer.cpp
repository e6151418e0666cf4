#include "live/batch_preparer.h"

#include <algorithm>

#include "live/watching_lister.h"

namespace quillory {

namespace {

// The name of the folder `child` (ending with "/") directly in `folder`.
std::string_view ChildName(const std::string& folder, const std::string& child) {
    return std::string_view(child).substr(folder.size(), child.size() - folder.size() - 1);
}

void AppendEntries(EntryList& to, const EntryList& from) {
    for (const TMyItem& entry : from.Entries()) to.AppendCopy(entry).IconIndex = entry.IconIndex;
}

}  // namespace

BatchPreparer::BatchPreparer(PreparerServices services) : s_(services) {
    placeLists_.excludedFolders = s_.lists.excludedFolders;
    placeLists_.extensions = s_.lists.extensions;
}

bool BatchPreparer::Prepare(PendingChanges changes, std::stop_token stop, std::set<std::string>& missingRoots,
                            LiveBatch& batch) {
    ++serial_;
    stop_ = std::move(stop);
    missing_ = &missingRoots;
    batch_ = &batch;
    rootsToCheck_ = std::move(changes.roots);
    if (changes.overflow) {
        // Anything may have changed: every folder is listed again and every root checked.
        for (const auto& known : s_.known.All()) changes.folders.insert(known.first);
        rootsToCheck_.insert(s_.roots.begin(), s_.roots.end());
    }
    for (const std::string& path : changes.forgotten) ForgetTree(path);
    for (int round = 0; round < 2; ++round) {
        // Roots come back before their folders are listed; folders listed may forget roots.
        while (!rootsToCheck_.empty()) {
            const std::string root = *rootsToCheck_.begin();
            rootsToCheck_.erase(rootsToCheck_.begin());
            if (!CheckRoot(root)) return false;
        }
        if (round == 0 && !ListAgain(changes)) return false;
    }
    return true;
}

bool BatchPreparer::IsRoot(const std::string& path) const {
    return std::find(s_.roots.begin(), s_.roots.end(), path) != s_.roots.end();
}

void BatchPreparer::ForgetTree(const std::string& path) {
    if (s_.known.Forget(path) == 0) return;
    batch_->trees.push_back(path);
    DropAddedBelow(path);
    for (const std::string& root : s_.roots) {
        if (root.starts_with(path)) rootsToCheck_.insert(root);
    }
}

// Entries this batch found below a folder found gone later in the same batch.
void BatchPreparer::DropAddedBelow(const std::string& path) {
    const auto entries = batch_->added.Entries();
    const auto below = [&](const TMyItem& entry) { return entry.Folder().starts_with(path); };
    if (std::none_of(entries.begin(), entries.end(), below)) return;
    EntryList kept;
    for (const TMyItem& entry : entries) {
        if (!below(entry)) kept.AppendCopy(entry).IconIndex = entry.IconIndex;
    }
    batch_->added = std::move(kept);
}

// A root is known while it can be listed; one that cannot is missing until it can again.
bool BatchPreparer::CheckRoot(const std::string& root) {
    if (s_.known.Contains(root)) {
        if (SystemDirectoryLister().OpenFolder(root)) return true;
        ForgetTree(root);
        rootsToCheck_.erase(root);
        missing_->insert(root);
        return true;
    }
    bool opened = false;
    if (!WalkPlace(root, 0, nullptr, opened)) return false;
    if (opened) {
        missing_->erase(root);
    } else {
        missing_->insert(root);
    }
    return true;
}

// The folders `changes` names, a parent before its content; one listed whole need not be
// looked at item by item.
bool BatchPreparer::ListAgain(const PendingChanges& changes) {
    auto whole = changes.folders.begin();
    auto items = changes.items.begin();
    while (whole != changes.folders.end() || items != changes.items.end()) {
        const bool takeWhole =
            items == changes.items.end() || (whole != changes.folders.end() && *whole <= items->first);
        const std::string& folder = takeWhole ? *whole : items->first;
        const NameSet* names = takeWhole ? nullptr : &items->second;
        if (takeWhole) {
            if (items != changes.items.end() && items->first == *whole) ++items;
            ++whole;
        } else {
            ++items;
        }
        const KnownFolder* known = s_.known.Find(folder);
        // Unknown: not listed by a walk. Listed in this batch: walked whole already.
        if (!known || known->listing == serial_) continue;
        if (!Relist(folder, names)) return false;
    }
    return true;
}

bool BatchPreparer::Relist(const std::string& folder, const NameSet* names) {
    std::vector<std::string> before = s_.known.ChildrenOf(folder);
    if (names) {
        std::erase_if(before,
                      [&](const std::string& child) { return !names->contains(ChildName(folder, child)); });
    }
    std::vector<std::string> reached;
    bool opened = false;
    if (!WalkPlace(folder, s_.known.Find(folder)->depth, names, opened, &reached)) return false;
    if (!opened) {
        // Gone or no longer readable: a walk records it (in its parent) and lists nothing.
        ForgetTree(folder);
        return true;
    }
    std::sort(reached.begin(), reached.end());
    for (const std::string& child : before) {
        if (!std::binary_search(reached.begin(), reached.end(), child)) ForgetTree(child);
    }
    if (names) {
        for (const std::string& name : *names) batch_->items.emplace_back(folder, name);
    } else {
        batch_->folders.push_back(folder);
    }
    return true;
}

bool BatchPreparer::WalkPlace(const std::string& place, uint32_t depth, const NameSet* names, bool& opened,
                              std::vector<std::string>* reached) {
    NameFilter filter;
    if (names) filter = [names](std::string_view name) { return names->contains(name); };
    WatchingLister lister(s_.known, serial_, depth, std::move(filter));
    placeLists_.includedFolders.assign(1, place);
    WalkLimits limits = s_.limits;
    limits.deepestLevel = depth < limits.deepestLevel ? limits.deepestLevel - depth : 0;
    limits.progressInterval = 0;
    EntryList found;
    const WalkOutcome outcome =
        WalkFolders(placeLists_, found, stop_, {lister, s_.mounts, s_.heartbeat, CoarseTickCount}, limits);
    if (outcome != WalkOutcome::Completed) return false;
    opened = lister.PlaceOpened();
    if (reached) *reached = lister.KnownReached();
    AppendEntries(batch_->added, found);
    return true;
}

}  // namespace quillory
