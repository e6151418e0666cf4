#pragma once
// Keeps the catalogue current while the program runs: watches the catalogue's folders for
// changes and prepares batches of changed entries for the catalogue's owner to apply
// (ApplyLiveBatch).
//
// Threads. The watcher takes what it needs from the catalogue (its folders and options) when it
// is made, on the owner's thread, and never touches the catalogue again: every look at the file
// system happens on its one worker thread, which hands each finished batch to the sink. The
// sink is called on that worker; the owner applies the batches on its own thread, all of them
// and in the order they came. Idle, the worker sleeps until a notice arrives or the next quick
// check is due (none is due when every folder is watched).
//
// What it guarantees. Batches go out at most once per minIntervalMs: after quietMs without a
// notice, or longestDelayMs after the first notice of a burst. Each place a batch names is
// looked at with the rules of a rescan's walk (excluded folders, the extension filter, links
// recorded and never entered, the mount policy, the deepest level and the longest path), so
// with every batch applied the entries equal what a rescan would find, except for what no
// notice reports (see below). A folder created or moved into the watched tree is walked
// whole; one moved away or deleted takes its content with it; lost notices make it list every
// folder again; a root that disappears is looked for at every quick check and walked when it
// is back.
//
// Budget. It holds at most half of the watches the user still has free when it starts; when
// the folders outnumber that, the ones under the home folder come first, then the most recently
// modified. The others are covered by the quick check: every quickCheckMs it looks at their
// stamps and lists again those in which an item was added, removed or renamed. When the system
// refuses a watch for want of room, the watcher gives the last tenth of its watches back (at
// least 64) and adds no more.
//
// Not seen: a file changed in a folder covered by the quick check (its folder's stamp stays),
// a file written through a hard link outside the watched folders, a file system mounted or
// unmounted inside the tree without a change in a watched folder, and changes the file system
// itself does not report (some network file systems).

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/catalogue.h"
#include "live/live_batch.h"
#include "platform/folder_watches.h"
#include "platform/worker.h"
#include "scan/folder_walk.h"
#include "scan/mount_policy.h"

namespace quillory {

struct LiveSettings {
    int64_t quietMs = 250;
    int64_t longestDelayMs = 1000;
    int64_t minIntervalMs = 1000;
    int64_t quickCheckMs = 3 * 60 * 1000;
    // Folders below this one (ending with "/") are watched first; empty: $HOME.
    std::string home;
    // The watches the user has free; empty: the system's limit less what the user's processes
    // hold. The watcher holds at most half of it.
    std::function<size_t()> freeWatches;
    // The source of notices; empty: the system's.
    std::function<std::unique_ptr<FolderWatches>()> openWatches;
    // Which mounts a walk enters; null: the system's mount table. Must outlive the watcher.
    MountPolicy* mounts = nullptr;
    WalkLimits limits;
};

struct LiveCounts {
    size_t watched = 0;  // folders with a watch of their own
    size_t checked = 0;  // folders covered by the quick check
    // Every folder is watched or checked: changes made from now on are found. (Changes made
    // before, since the catalogue was made, are found where they moved a folder's recorded
    // modification time.)
    bool started = false;
};

class LiveWatcher {
  public:
    using BatchSink = std::function<void(LiveBatch)>;

    // Starts watching the folders of `catalogue` (on the calling thread, which owns it: only its
    // folders and options are copied). Throws std::system_error when no thread can be had.
    LiveWatcher(const Catalogue& catalogue, BatchSink sink, LiveSettings settings = {});
    // Stops the worker and waits for it; a batch being prepared is dropped.
    ~LiveWatcher();
    LiveWatcher(const LiveWatcher&) = delete;
    LiveWatcher& operator=(const LiveWatcher&) = delete;

    // As of the last batch (or the start). Any thread.
    LiveCounts Counts() const;
    // The worker ended on its own: it could not watch at all. Finish() says why.
    bool Ended() const { return worker_->Done(); }
    // Waits for the worker and rethrows what ended it (Error: the system refused to watch).
    void Finish();

    // The counts the worker publishes.
    struct CountCells {
        std::atomic<size_t> watched{0};
        std::atomic<size_t> checked{0};
        std::atomic<bool> started{false};
    };

  private:
    BatchSink sink_;
    CountCells counts_;
    std::unique_ptr<Worker<void>> worker_;  // last: joined before the rest goes
};

}  // namespace quillory
