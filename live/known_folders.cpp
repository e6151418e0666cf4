#include "live/known_folders.h"

#include <algorithm>
#include <cerrno>

namespace quillory {

std::string PastFolder(const std::string& folder) {
    // Every path below "a/b/" sorts before "a/b0", "/" being followed by "0".
    std::string past = folder;
    past.back() = static_cast<char>('/' + 1);
    return past;
}

KnownFolder* KnownFolders::Find(const std::string& path) {
    const auto found = folders_.find(path);
    return found == folders_.end() ? nullptr : &found->second;
}

const std::string* KnownFolders::PathOf(int watch) const {
    const auto found = paths_.find(watch);
    return found == paths_.end() ? nullptr : &found->second;
}

int KnownFolders::Watch(const std::string& path) {
    if (refused_ || paths_.size() >= budget_) return -1;
    const int watch = watches_.Add(path);
    if (watch == -ENOSPC) {
        GiveBackMargin();
        return -1;
    }
    // A folder watched already under another path (a bind mount) is left to the quick check.
    if (watch < 0 || paths_.contains(watch)) return -1;
    return watch;
}

void KnownFolders::Unwatch(int watch) {
    if (watch >= 0 && !paths_.contains(watch)) watches_.Remove(watch);
}

void KnownFolders::Rewatch(const std::string& path) {
    KnownFolder* folder = Find(path);
    if (!folder || folder->watch < 0) return;
    const int watch = watches_.Add(path);
    if (watch == folder->watch) return;
    EndWatch(*folder);
    if (watch == -ENOSPC) GiveBackMargin();
    if (watch < 0 || paths_.contains(watch)) return;
    folder->watch = watch;
    paths_.emplace(watch, path);
    order_.push_back(watch);
}

void KnownFolders::Add(const std::string& path, const KnownFolder& folder) {
    auto [place, added] = folders_.try_emplace(path, folder);
    if (!added) {
        if (place->second.watch != folder.watch) EndWatch(place->second);
        place->second = folder;
    }
    if (folder.watch >= 0 && paths_.emplace(folder.watch, path).second) order_.push_back(folder.watch);
    // Watches ended stay in the order until it is mostly made of them.
    if (order_.size() > 2 * paths_.size() + 1024) {
        std::erase_if(order_, [this](int watch) { return !paths_.contains(watch); });
    }
}

size_t KnownFolders::Forget(const std::string& path) {
    const auto first = folders_.lower_bound(path);
    const auto last = folders_.lower_bound(PastFolder(path));
    size_t count = 0;
    for (auto it = first; it != last; ++it, ++count) EndWatch(it->second);
    folders_.erase(first, last);
    return count;
}

std::vector<std::string> KnownFolders::ChildrenOf(const std::string& folder) const {
    std::vector<std::string> children;
    auto it = folders_.upper_bound(folder);
    while (it != folders_.end() && it->first.starts_with(folder)) {
        children.push_back(it->first);
        // Skips the child's own subtree.
        it = folders_.lower_bound(PastFolder(it->first));
    }
    return children;
}

void KnownFolders::EndWatch(KnownFolder& folder) {
    if (folder.watch < 0) return;
    watches_.Remove(folder.watch);
    paths_.erase(folder.watch);
    folder.watch = -1;
}

void KnownFolders::GiveBackMargin() {
    refused_ = true;
    size_t margin = std::max(kLeastGivenBack, paths_.size() / 10);
    while (margin > 0 && !order_.empty()) {
        const int watch = order_.back();
        order_.pop_back();
        const auto found = paths_.find(watch);
        if (found == paths_.end()) continue;  // ended before
        EndWatch(folders_.at(found->second));
        --margin;
    }
}

}  // namespace quillory
