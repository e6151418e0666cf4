#pragma once
// The live watcher's work on its worker thread: the start (watches by priority, folders that
// changed since the catalogue was made), reading notices, the quick check, and the timing of
// batches. See live/live_watcher.h for what it guarantees.

#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "live/batch_preparer.h"
#include "live/known_folders.h"
#include "live/live_watcher.h"
#include "live/pending_changes.h"
#include "platform/date_time.h"
#include "scan/file_time.h"

namespace quillory {

// What the watcher takes from the catalogue when it starts.
struct LiveSeed {
    struct Folder {
        std::string path;  // ending with "/"
        DateTime modified;
    };
    WalkLists lists;
    std::vector<Folder> folders;  // the folders the catalogue records (links left out)
};

LiveSeed TakeLiveSeed(const Catalogue& catalogue);

class LiveEngine final : private RescanObserver {
  public:
    LiveEngine(LiveSeed seed, LiveSettings settings, const LiveWatcher::BatchSink& sink,
               LiveWatcher::CountCells& counts);
    void Run(std::stop_token stop);

  private:
    struct Candidate;
    void Start();
    void Register(const Candidate& candidate);
    bool MayList(const std::string& path, uint32_t depth, const FolderStamp& stamp, bool root);
    bool DepthBelowRoot(const std::string& path, uint32_t& depth) const;
    bool IsRoot(const std::string& path) const;

    void Note(const WatchEvent& event);
    void NoteEntry(const std::string& folder);
    void NoteFolderItself(const std::string& folder, bool gone);
    void Progress(std::string, size_t) override {}
    void Heartbeat() override;  // during a walk: notices are read meanwhile

    int TimeoutMs(int64_t now) const;
    int64_t BatchDueAt() const;
    void QuickCheck();
    void SendBatch(std::stop_token stop);
    void PublishCounts();

    LiveSeed seed_;
    LiveSettings settings_;
    const LiveWatcher::BatchSink& sink_;
    LiveWatcher::CountCells& counts_;
    std::unique_ptr<MountPolicy> ownMounts_;
    MountPolicy* mounts_;
    std::vector<std::string> roots_;
    std::unique_ptr<FolderWatches> watches_;
    std::optional<KnownFolders> known_;
    std::optional<BatchPreparer> preparer_;
    std::set<std::string> missingRoots_;
    PendingChanges pending_;
    FolderWatches::Sink noteSink_;
    LocalTimeConverter times_;
    bool noted_ = false;        // a notice arrived since the ticks below were set
    int64_t firstNotice_ = -1;  // when the pending changes began (-1: none pending)
    int64_t lastNotice_ = 0;
    int64_t lastBatch_ = 0;
    int64_t nextQuickCheck_ = 0;
};

}  // namespace quillory
