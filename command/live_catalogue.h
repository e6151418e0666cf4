#pragma once
// Keeps the keeper's catalogue current while the program runs: a live watcher over the
// catalogue's folders, and the batches it prepares, applied on the owner's thread under one
// writing hold each time, so a search (the window's or the search channel's) sees every batch
// whole or not at all.
//
// Threads. Start, Stop, ApplyQueued and DropQueued belong to the thread that owns the keeper
// (the user interface's). The watcher's worker only queues batches and calls `arrived`, which
// must hand the news over to the owner's thread (a posted call) and return.
//
// A rescan replaces what the watcher would report: stop the watcher before it starts and drop
// what is queued, start it again once the rescan's catalogue is back.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "command/catalogue_keeper.h"
#include "live/live_batch.h"
#include "live/live_watcher.h"

namespace quillory::command {

class LiveCatalogue {
  public:
    explicit LiveCatalogue(CatalogueKeeper& keeper) : keeper_(keeper) {}
    ~LiveCatalogue() { Stop(); }
    LiveCatalogue(const LiveCatalogue&) = delete;
    LiveCatalogue& operator=(const LiveCatalogue&) = delete;

    // The watcher's timings, budget and sources (tests shorten and fake them).
    void SetSettings(LiveSettings settings) { settings_ = std::move(settings); }

    // Watches the catalogue's folders from now on (a watcher already running starts over,
    // for the folders may have changed). `arrived` is called on the worker when a batch is
    // queued. The catalogue is taken back for the moment of the start (a rescan running is
    // stopped: call it when none runs). When the system gives no thread or no watch, the
    // program goes on without: Problem() says why.
    void Start(std::function<void()> arrived);
    // Stops and joins the watcher; queued batches stay for ApplyQueued.
    void Stop();
    bool Watching() const { return watcher_ != nullptr && problem_.empty(); }
    // Why the watcher could not watch; empty while it watches or when it was never started.
    const std::string& Problem();

    // Applies every queued batch, in order, under one writing hold; then the names of the
    // next search are built ahead on a worker. What changed, merged over the batches.
    LiveChanges ApplyQueued();
    void DropQueued();

    // How many folders are watched and how many are covered by the quick check.
    LiveCounts Counts() const { return watcher_ ? watcher_->Counts() : LiveCounts{}; }

  private:
    std::vector<LiveBatch> TakeQueued();

    CatalogueKeeper& keeper_;
    LiveSettings settings_;
    std::mutex queueLock_;
    std::vector<LiveBatch> queue_;
    std::function<void()> arrived_;
    std::string problem_;
    std::unique_ptr<LiveWatcher> watcher_;  // last: stopped before the queue goes
};

}  // namespace quillory::command
