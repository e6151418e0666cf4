#pragma once
// A catalogue of a temporary tree kept current by a live watcher, and the comparison with a
// fresh walk of the same lists: the differential check of the live tests.

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <tuple>

#include "core/catalogue.h"
#include "live/live_engine.h"
#include "live/live_watcher.h"
#include "scan/folder_walk.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace quillory::test {

// The fields compared: the full path, the size, the modification and creation times and the
// attribute bits. The access time is left out: listing a folder (the watcher's listing, the
// fresh walk's) moves it, so two correct catalogues made moments apart differ there.
using EntryFacts = std::tuple<std::string, int64_t, DateTime, DateTime, uint32_t>;

namespace live_detail {

class QuietObserver final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
};

inline void PrintDifference(const std::multiset<EntryFacts>& have, const std::multiset<EntryFacts>& want) {
    int shown = 0;
    for (const EntryFacts& facts : have) {
        if (!want.contains(facts) && ++shown <= 10)
            std::printf("  extra:   %s\n", std::get<0>(facts).c_str());
    }
    for (const EntryFacts& facts : want) {
        if (!have.contains(facts) && ++shown <= 20)
            std::printf("  missing: %s\n", std::get<0>(facts).c_str());
    }
}

}  // namespace live_detail

inline std::multiset<EntryFacts> FactsOf(const EntryList& entries) {
    std::multiset<EntryFacts> facts;
    for (const TMyItem& e : entries.Entries()) {
        facts.emplace(EntryFullPath(e), e.Size, e.Modified, e.Created, e.Attributes);
    }
    return facts;
}

// Settings that send batches at once and never run the quick check.
inline LiveSettings QuickSettings() {
    LiveSettings settings;
    settings.quietMs = 10;
    settings.longestDelayMs = 50;
    settings.minIntervalMs = 0;
    settings.quickCheckMs = 3600 * 1000;
    settings.freeWatches = [] { return size_t{100000}; };
    return settings;
}

// A catalogue, its watcher, and the batches that arrived from the watcher's thread.
class LiveHarness {
  public:
    // Roots and options are set through Options() before Scan().
    LiveHarness();
    ~LiveHarness();

    TProgramOptions& Options() { return catalogue_.Options; }
    Catalogue& TheCatalogue() { return catalogue_; }
    // Fills the catalogue with a walk of its lists, as a rescan does.
    void Scan();
    // Returns once every folder is watched or checked.
    void StartWatching(LiveSettings settings = QuickSettings());
    void StopWatching() { watcher_.reset(); }
    LiveWatcher& Watcher() { return *watcher_; }

    // A fresh walk of the catalogue's lists.
    EntryList FreshWalk();
    // Applies the batches that arrived, in order.
    void ApplyArrived();
    // Applies batches as they arrive until the catalogue equals a fresh walk; false (with the
    // differences printed) when it still does not after a generous wait.
    bool WaitUntilCurrent();

  private:
    Catalogue catalogue_;
    std::mutex mutex_;
    std::deque<LiveBatch> arrived_;
    std::unique_ptr<LiveWatcher> watcher_;
};

inline LiveHarness::LiveHarness() = default;

inline LiveHarness::~LiveHarness() {
    StopWatching();
}

inline EntryList LiveHarness::FreshWalk() {
    LiveSeed seed = TakeLiveSeed(catalogue_);
    EntryList entries;
    SystemDirectoryLister lister;
    FixedMountPolicy mounts;
    live_detail::QuietObserver observer;
    WalkFolders(seed.lists, entries, {}, {lister, mounts, observer});
    return entries;
}

inline void LiveHarness::Scan() {
    catalogue_.Entries = FreshWalk();
}

inline void LiveHarness::StartWatching(LiveSettings settings) {
    watcher_ = std::make_unique<LiveWatcher>(
        catalogue_,
        [this](LiveBatch batch) {
            std::lock_guard lock(mutex_);
            arrived_.push_back(std::move(batch));
        },
        std::move(settings));
    WaitUntil([&] { return watcher_->Counts().started; });
}

inline void LiveHarness::ApplyArrived() {
    std::deque<LiveBatch> batches;
    {
        std::lock_guard lock(mutex_);
        batches.swap(arrived_);
    }
    for (const LiveBatch& batch : batches) ApplyLiveBatch(catalogue_, batch);
}

inline bool LiveHarness::WaitUntilCurrent() {
    std::multiset<EntryFacts> want;
    const bool current = WaitUntil([&] {
        ApplyArrived();
        want = FactsOf(FreshWalk());
        return FactsOf(catalogue_.Entries) == want;
    });
    if (!current) live_detail::PrintDifference(FactsOf(catalogue_.Entries), want);
    return current;
}

}  // namespace quillory::test
