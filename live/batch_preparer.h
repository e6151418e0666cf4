#pragma once
// Turns the pending changes into a batch: every place they name is looked at as it is now, with
// the rules of a rescan's walk (the same walk, run on that place), and the known folders follow:
// folders gone are forgotten with their watches, new ones are watched and become known.
//
// Order within a batch: forgotten folders first (so a folder moved within the watched tree is
// dropped at its old path before it is walked at its new one), then roots, then the folders in
// path order, a parent before its content (so a folder walked whole in this batch is not
// listed again). A place that changes while it is looked at is noticed again and looked at in
// a later batch.

#include <cstdint>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "live/known_folders.h"
#include "live/live_batch.h"
#include "live/pending_changes.h"
#include "scan/folder_walk.h"

namespace quillory {

struct PreparerServices {
    KnownFolders& known;
    const std::vector<std::string>& roots;  // each ending with "/"
    const WalkLists& lists;                 // the excluded folders and the extension filter
    const WalkLimits& limits;
    MountPolicy& mounts;
    RescanObserver& heartbeat;  // called while a walk runs (the watcher reads notices then)
};

class BatchPreparer {
  public:
    explicit BatchPreparer(PreparerServices services);

    // Looks at the places `changes` names. `missingRoots` holds the roots that cannot be listed;
    // it is brought up to date. False when `stop` was requested meanwhile: the batch is then
    // incomplete and must not be applied.
    bool Prepare(PendingChanges changes, std::stop_token stop, std::set<std::string>& missingRoots,
                 LiveBatch& batch);

  private:
    bool IsRoot(const std::string& path) const;
    void ForgetTree(const std::string& path);
    void DropAddedBelow(const std::string& path);
    bool CheckRoot(const std::string& root);
    bool Relist(const std::string& folder, const NameSet* names);
    bool WalkPlace(const std::string& place, uint32_t depth, const NameSet* names, bool& opened,
                   std::vector<std::string>* reached = nullptr);
    bool ListAgain(const PendingChanges& changes);

    PreparerServices s_;
    WalkLists placeLists_;  // the lists with the place as the only root
    uint32_t serial_ = 0;   // the number of the batch being prepared
    std::stop_token stop_;
    std::set<std::string> rootsToCheck_;
    std::set<std::string>* missing_ = nullptr;
    LiveBatch* batch_ = nullptr;
};

}  // namespace quillory
