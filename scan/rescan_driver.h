#pragma once
// The rescan: turns the folder and extension lists of the options into working lists, runs
// the folder walk and reports how it ended in a RescanResult. A rescan replaces the
// catalogue's entries only; the caller applies the result to the options (ApplyRescanResult)
// and saves the database if it wants to.
//
// RescanDriver runs on the calling thread (quillory-cli scan); RescanTask runs the same
// driver on a worker thread that owns the catalogue until the task is waited for.

#include <atomic>
#include <exception>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "core/catalogue.h"
#include "core/status_text.h"
#include "platform/clock.h"
#include "platform/date_time.h"
#include "scan/folder_walk.h"
#include "scan/rescan_observer.h"

namespace quillory {

// How a rescan ended. A plain value: the worker hands it over, and the thread that owns the
// catalogue afterwards applies it.
struct RescanResult {
    WalkOutcome outcome = WalkOutcome::Stopped;
    size_t found = 0;        // entries in the catalogue at the end
    int64_t elapsedMs = 0;   // from the start of the rescan to its end
    int32_t seconds = 0;     // elapsedMs rounded to whole seconds (halves to even)
    DateTime endTime = 0;    // the local date and time at the end
    std::string statusText;  // "OK! 3 files found. Search time: 0:00:07." or "Stop 3 files found"
    // Set when the rescan ended by an error (no memory, ...); the outcome is then Stopped and
    // the catalogue holds what was found before it.
    std::exception_ptr failure;

    bool Completed() const { return outcome == WalkOutcome::Completed; }
};

// A completed rescan sets LastRescanSeconds and LastRescanTime; a stopped one leaves the
// statistics as they were.
void ApplyRescanResult(const RescanResult& result, TProgramOptions& options);

class RescanDriver {
  public:
    RescanDriver();

    // Replacements for tests; the defaults are the system's listing (read ahead on worker
    // threads), mount table and clocks. Set them only while no rescan runs.
    void SetLister(DirectoryLister& lister) { lister_ = &lister; }
    void SetMountPolicy(MountPolicy& mounts) { mounts_ = &mounts; }
    void SetLimits(const WalkLimits& limits) { limits_ = limits; }
    void SetDateClock(DateClock now) { now_ = std::move(now); }
    void SetTickSource(TickSource ticks) { ticks_ = std::move(ticks); }

    // The whole rescan on the calling thread: the working lists from `catalogue.Options`,
    // the walk into `catalogue.Entries` until it completes or `stop` is requested, and the
    // result. The options are read, never written.
    RescanResult Rescan(Catalogue& catalogue, std::stop_token stop, RescanObserver& observer);

    // The working lists of the last rescan.
    const WalkLists& Lists() const { return lists_; }

  private:
    // IncludedFolderList and ExcludedFolderList from the option texts.
    void LoadFolderLists(const TProgramOptions& options);
    // The extension sets from the option texts; a set is rebuilt only when its text changed.
    void LoadExtensionLists(const TProgramOptions& options);
    WalkOutcome WalkFolders(EntryList& entries, std::stop_token stop, RescanObserver& observer);

    FixedMountPolicy systemMounts_;
    DirectoryLister* lister_ = nullptr;
    MountPolicy* mounts_;
    WalkLimits limits_;
    DateClock now_;
    TickSource ticks_;
    WalkLists lists_;
    // The option texts the extension sets were last built from.
    std::string includedExtensionsText_;
    std::string excludedExtensionsText_;
};

// A rescan on a worker thread. The task owns the catalogue from Start to Wait: the thread that
// started it cannot reach the catalogue meanwhile, and gets it back, with what was found,
// from Wait. One rescan at a time per task; the task is used from one thread (the user
// interface's), except for the observer's calls, which come from the worker.
//
// "A search stops the rescan": RequestStop(), Wait(), apply the result, then search.
class RescanTask {
  public:
    RescanTask() = default;
    // Requests a stop and waits for the worker; the catalogue of an unwaited rescan is lost.
    ~RescanTask();
    RescanTask(const RescanTask&) = delete;
    RescanTask& operator=(const RescanTask&) = delete;

    // The driver's settings (lister, clocks, limits); change them only while !Running().
    RescanDriver& Driver() { return driver_; }

    // Starts a rescan of `catalogue` on a worker thread and takes the catalogue (the
    // caller's pointer is null afterwards). The observer must outlive the rescan; its calls
    // come from the worker. Throws std::logic_error when a rescan is already running (not yet
    // waited for) or `catalogue` is null, std::system_error when no thread can be had; the
    // catalogue then stays with the caller.
    void Start(std::unique_ptr<Catalogue>&& catalogue, RescanObserver& observer);

    // Asks the walk to stop at its next check (after the current item). Never blocks.
    void RequestStop();

    // A rescan was started and not yet waited for: the task holds the catalogue.
    bool Running() const { return worker_.joinable(); }
    // The worker's work is over: Wait() returns at once.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }

    // Waits for the worker to end and hands back the catalogue and the result. `catalogue`
    // receives the catalogue (what was found, completed or stopped). Throws
    // std::logic_error when no rescan is running.
    RescanResult Wait(std::unique_ptr<Catalogue>& catalogue);

  private:
    // The worker's part: the rescan, the result, then the observer's last call.
    void Work(std::stop_token stop, RescanObserver& observer);

    RescanDriver driver_;
    std::unique_ptr<Catalogue> catalogue_;
    RescanResult result_;
    std::atomic<bool> finished_{false};
    std::jthread worker_;
};

}  // namespace quillory
