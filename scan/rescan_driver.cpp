#include "scan/rescan_driver.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "core/text_lines.h"
#include "platform/parallel_directory_lister.h"
#include "scan/duration_text.h"

namespace quillory {

void ApplyRescanResult(const RescanResult& result, TProgramOptions& options) {
    if (!result.Completed()) return;
    options.LastRescanSeconds = result.seconds;
    options.LastRescanTime = result.endTime;
}

RescanDriver::RescanDriver() : mounts_(&systemMounts_), now_(NowDateTime), ticks_(CoarseTickCount) {}

RescanResult RescanDriver::Rescan(Catalogue& catalogue, std::stop_token stop, RescanObserver& observer) {
    const int64_t startTick = ticks_();
    LoadFolderLists(catalogue.Options);
    LoadExtensionLists(catalogue.Options);
    RescanResult result;
    result.outcome = WalkFolders(catalogue.Entries, std::move(stop), observer);
    result.found = catalogue.Entries.Count();
    result.elapsedMs = std::max<int64_t>(0, ticks_() - startTick);
    result.seconds = static_cast<int32_t>(
        std::clamp<int64_t>(RoundedSeconds(result.elapsedMs), 0, std::numeric_limits<int32_t>::max()));
    if (result.Completed()) {
        result.endTime = now_();
        result.statusText = FoundStatusText(result.found, DurationText(result.seconds) + ".");
    } else {
        result.statusText = StoppedStatusText(result.found);
    }
    return result;
}

void RescanDriver::LoadFolderLists(const TProgramOptions& options) {
    lists_.includedFolders = SplitLines(options.IncludedFolders);
    lists_.excludedFolders = ExcludedFolderList(SplitLines(options.ExcludedFolders));
}

void RescanDriver::LoadExtensionLists(const TProgramOptions& options) {
    ExtensionFilter& filter = lists_.extensions;
    filter.on = options.ExtensionFilterOn;
    filter.includeMode = options.IncludeExtensionsMode;
    filter.excludeMode = options.ExcludeExtensionsMode;
    if (options.IncludedExtensions != includedExtensionsText_) {
        filter.included = ExtensionSet(SplitLines(options.IncludedExtensions));
        includedExtensionsText_ = options.IncludedExtensions;
    }
    if (options.ExcludedExtensions != excludedExtensionsText_) {
        filter.excluded = ExtensionSet(SplitLines(options.ExcludedExtensions));
        excludedExtensionsText_ = options.ExcludedExtensions;
    }
}

WalkOutcome RescanDriver::WalkFolders(EntryList& entries, std::stop_token stop, RescanObserver& observer) {
    if (lister_) {
        return quillory::WalkFolders(lists_, entries, std::move(stop), {*lister_, *mounts_, observer, ticks_},
                                     limits_);
    }
    // The readers live for one walk only: no thread stays behind between rescans.
    ParallelDirectoryLister::Settings settings;
    // The walk's own thread reads every folder it reaches before a worker and, while it waits
    // for one, the next folder queued: it counts as one of the readers, so one thread per core.
    settings.workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 2, 5) - 1;
    settings.deepestLevel = limits_.deepestLevel;
    settings.longestPath = limits_.longestPath;
    ParallelDirectoryLister lister(settings);
    return quillory::WalkFolders(lists_, entries, std::move(stop), {lister, *mounts_, observer, ticks_},
                                 limits_);
}

RescanTask::~RescanTask() {
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();
    }
}

void RescanTask::Start(std::unique_ptr<Catalogue>&& catalogue, RescanObserver& observer) {
    if (worker_.joinable()) throw std::logic_error("a rescan is already running");
    if (!catalogue) throw std::logic_error("a rescan needs a catalogue");
    catalogue_ = std::move(catalogue);
    result_ = RescanResult();
    finished_.store(false, std::memory_order_relaxed);
    // From here until Wait() only the worker touches catalogue_, result_ and driver_.
    try {
        worker_ = std::jthread([this, &observer](std::stop_token stop) { Work(std::move(stop), observer); });
    } catch (...) {
        catalogue = std::move(catalogue_);
        throw;
    }
}

void RescanTask::Work(std::stop_token stop, RescanObserver& observer) {
    // An exception must not leave the worker (it would end the program): it travels in the
    // result, and the catalogue keeps what was found before it.
    try {
        result_ = driver_.Rescan(*catalogue_, std::move(stop), observer);
    } catch (...) {
        result_ = RescanResult();
        result_.failure = std::current_exception();
        result_.found = catalogue_->Entries.Count();
        result_.statusText = StoppedStatusText(result_.found);
    }
    finished_.store(true, std::memory_order_release);
    observer.Finished();
}

void RescanTask::RequestStop() {
    worker_.request_stop();
}

RescanResult RescanTask::Wait(std::unique_ptr<Catalogue>& catalogue) {
    if (!worker_.joinable()) throw std::logic_error("no rescan is running");
    worker_.join();
    worker_ = std::jthread();
    catalogue = std::move(catalogue_);
    return std::move(result_);
}

}  // namespace quillory
