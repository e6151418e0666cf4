#pragma once
// The rescan: turns the folder and extension lists of the options into working lists, runs
// the folder walk and, when the walk completes, records how long it took and when it ended.
// A rescan replaces the catalogue in memory only; saving it is the caller's business.

#include <functional>
#include <string>
#include <string_view>

#include "core/busy_state.h"
#include "core/entry_list.h"
#include "core/program_options.h"
#include "scan/folder_walk.h"
#include "scan/rescan_observer.h"

namespace quillory {

// "OK! 3 files found. Search time: 0:00:07."
std::string CompletedStatusText(size_t found, std::string_view clockText);
// "Stop 3 files found"
std::string StoppedStatusText(size_t found);

class RescanDriver {
  public:
    using DateClock = std::function<DateTime()>;

    RescanDriver(EntryList& catalogue, TProgramOptions& options, BusyState& busy, RescanObserver& observer);

    // Replacements for tests; the defaults are the system's listing (read ahead on worker
    // threads), mount table and clock.
    void SetLister(DirectoryLister& lister) { lister_ = &lister; }
    void SetMountPolicy(MountPolicy& mounts) { mounts_ = &mounts; }
    void SetLimits(const WalkLimits& limits) { limits_ = limits; }
    void SetDateClock(DateClock now) { now_ = std::move(now); }

    // The whole rescan: BeginRescan, LoadFolderLists, LoadExtensionLists, the walk, then
    // FinishRescan or StopRescan.
    WalkOutcome Rescan();

    // Shows "Waiting...", lets it paint, sets the busy flag and takes the start tick.
    void BeginRescan();
    // IncludedFolderList and ExcludedFolderList from the option texts.
    void LoadFolderLists();
    // The extension sets from the option texts; a set is rebuilt only when its text changed.
    void LoadExtensionLists();
    WalkOutcome WalkFolders();
    // A completed walk: LastRescanSeconds and LastRescanTime, the final status text, busy
    // flag cleared.
    void FinishRescan();
    // A stopped walk: the stop text; the statistics stay as they were.
    void StopRescan();

    const WalkLists& Lists() const { return lists_; }

  private:
    class Reporter final : public WalkReporter {
      public:
        explicit Reporter(RescanObserver& observer) : observer_(observer) {}
        void ShowProgress(std::string_view folder, size_t found) override {
            observer_.ShowProgress(folder, found);
        }
        void ProcessPendingEvents() override { observer_.ProcessPendingEvents(); }

      private:
        RescanObserver& observer_;
    };

    EntryList& catalogue_;
    TProgramOptions& options_;
    BusyState& busy_;
    RescanObserver& observer_;
    Reporter reporter_;
    FixedMountPolicy systemMounts_;
    DirectoryLister* lister_;
    MountPolicy* mounts_;
    WalkLimits limits_;
    DateClock now_;
    WalkLists lists_;
    // The option texts the extension sets were last built from.
    std::string includedExtensionsText_;
    std::string excludedExtensionsText_;
};

}  // namespace quillory
