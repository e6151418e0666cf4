#include "scan/rescan_driver.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include <thread>

#include "core/text_lines.h"
#include "platform/parallel_directory_lister.h"
#include "scan/duration_text.h"

namespace quillory {

std::string CompletedStatusText(size_t found, std::string_view clockText) {
    std::string text = "OK! " + std::to_string(found) + " files found. Search time: ";
    text += clockText;
    text += '.';
    return text;
}

std::string StoppedStatusText(size_t found) {
    return "Stop " + std::to_string(found) + " files found";
}

RescanDriver::RescanDriver(EntryList& catalogue, TProgramOptions& options, BusyState& busy,
                           RescanObserver& observer)
    : catalogue_(catalogue),
      options_(options),
      busy_(busy),
      observer_(observer),
      reporter_(observer),
      lister_(nullptr),
      mounts_(&systemMounts_),
      now_(NowDateTime) {}

WalkOutcome RescanDriver::Rescan() {
    BeginRescan();
    LoadFolderLists();
    LoadExtensionLists();
    const WalkOutcome outcome = WalkFolders();
    if (outcome == WalkOutcome::Completed) {
        FinishRescan();
    } else {
        StopRescan();
    }
    return outcome;
}

void RescanDriver::BeginRescan() {
    observer_.SetStatusText("Waiting...");
    observer_.ProcessPendingEvents();
    busy_.Begin();
    observer_.RescanStarted();
}

void RescanDriver::LoadFolderLists() {
    lists_.includedFolders = SplitLines(options_.IncludedFolders);
    lists_.excludedFolders = ExcludedFolderList(SplitLines(options_.ExcludedFolders));
}

void RescanDriver::LoadExtensionLists() {
    ExtensionFilter& filter = lists_.extensions;
    filter.on = options_.ExtensionFilterOn;
    filter.includeMode = options_.IncludeExtensionsMode;
    filter.excludeMode = options_.ExcludeExtensionsMode;
    if (options_.IncludedExtensions != includedExtensionsText_) {
        filter.included = ExtensionSet(SplitLines(options_.IncludedExtensions));
        includedExtensionsText_ = options_.IncludedExtensions;
    }
    if (options_.ExcludedExtensions != excludedExtensionsText_) {
        filter.excluded = ExtensionSet(SplitLines(options_.ExcludedExtensions));
        excludedExtensionsText_ = options_.ExcludedExtensions;
    }
}

WalkOutcome RescanDriver::WalkFolders() {
    if (lister_)
        return quillory::WalkFolders(lists_, catalogue_, busy_, {*lister_, *mounts_, reporter_}, limits_);
    // The readers live for one walk only: no thread stays behind between rescans.
    ParallelDirectoryLister::Settings settings;
    settings.workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    settings.deepestLevel = limits_.deepestLevel;
    settings.longestPath = limits_.longestPath;
    ParallelDirectoryLister lister(settings);
    return quillory::WalkFolders(lists_, catalogue_, busy_, {lister, *mounts_, reporter_}, limits_);
}

void RescanDriver::FinishRescan() {
    const int64_t seconds = RoundedSeconds(busy_.ElapsedMs());
    options_.LastRescanSeconds =
        static_cast<int32_t>(std::clamp<int64_t>(seconds, 0, std::numeric_limits<int32_t>::max()));
    options_.LastRescanTime = now_();
    observer_.SetStatusText(
        CompletedStatusText(catalogue_.Count(), ElapsedClockText(busy_.StartTick, busy_.Ticks)));
    busy_.Busy = false;
    observer_.RescanEnded();
}

void RescanDriver::StopRescan() {
    observer_.SetStatusText(StoppedStatusText(catalogue_.Count()));
    observer_.RescanEnded();
}

}  // namespace quillory
