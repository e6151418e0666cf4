#pragma once
// The folders the live watcher knows as listed (their items are in the catalogue) and their
// watches, within a budget of watches.
//
// A folder is known from the moment its listing is opened until it is forgotten (moved away,
// deleted, replaced, no longer readable). A known folder is watched, or, when the budget is
// spent, covered by the quick check, which compares its stamp with the one taken when it was
// last listed. Watches are added in the order the folders are worth watching; when the system
// runs out of watches, the last tenth (at least 64) are given back and none are added any more.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/folder_stamp.h"
#include "platform/folder_watches.h"

namespace quillory {

struct KnownFolder {
    int watch = -1;        // -1: not watched, covered by the quick check
    uint32_t depth = 0;    // levels below its root (a root: 0)
    uint32_t listing = 0;  // the number of the batch that last listed it
    FileTime modified;     // the folder's stamp when it was last listed
    FileTime changed;
};

class KnownFolders {
  public:
    // Margin given back when the system refuses a watch for want of room.
    static constexpr size_t kLeastGivenBack = 64;

    KnownFolders(FolderWatches& watches, size_t budget) : watches_(watches), budget_(budget) {}

    KnownFolder* Find(const std::string& path);
    bool Contains(const std::string& path) const { return folders_.contains(path); }
    // The folder path of a watch; null for a watch ended or never known.
    const std::string* PathOf(int watch) const;

    // A watch for a folder about to be listed, or -1 (budget spent, or the system refused).
    int Watch(const std::string& path);
    // Ends a watch Watch() gave for a folder that could not be listed after all.
    void Unwatch(int watch);
    // Watches a watched folder again before it is listed again: the same folder keeps its
    // watch, another folder put in its place gets one of its own.
    void Rewatch(const std::string& path);
    // Records a folder whose listing is open (and that Watch gave `folder.watch`).
    void Add(const std::string& path, const KnownFolder& folder);
    // Forgets the folder `path` and every known folder below it, ending their watches; the
    // number of folders forgotten.
    size_t Forget(const std::string& path);

    // The known folders directly in `folder`.
    std::vector<std::string> ChildrenOf(const std::string& folder) const;
    const std::map<std::string, KnownFolder>& All() const { return folders_; }

    size_t Count() const { return folders_.size(); }
    size_t Watched() const { return paths_.size(); }

  private:
    void GiveBackMargin();
    void EndWatch(KnownFolder& folder);

    FolderWatches& watches_;
    size_t budget_;
    bool refused_ = false;  // the system ran out of watches: none are added any more
    std::map<std::string, KnownFolder> folders_;
    std::unordered_map<int, std::string> paths_;  // watch -> folder path
    std::vector<int> order_;                      // watches in the order they were added
};

// The end of the range of paths that begin with `folder` (which ends with "/").
std::string PastFolder(const std::string& folder);

}  // namespace quillory
