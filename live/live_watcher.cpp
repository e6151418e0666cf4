#include "live/live_watcher.h"

#include "core/text_lines.h"
#include "live/live_engine.h"

namespace quillory {

LiveSeed TakeLiveSeed(const Catalogue& catalogue) {
    const TProgramOptions& options = catalogue.Options;
    LiveSeed seed;
    seed.lists.includedFolders = SplitLines(options.IncludedFolders);
    seed.lists.excludedFolders = ExcludedFolderList(SplitLines(options.ExcludedFolders));
    ExtensionFilter& filter = seed.lists.extensions;
    filter.on = options.ExtensionFilterOn;
    filter.includeMode = options.IncludeExtensionsMode;
    filter.excludeMode = options.ExcludeExtensionsMode;
    filter.included = ExtensionSet(SplitLines(options.IncludedExtensions));
    filter.excluded = ExtensionSet(SplitLines(options.ExcludedExtensions));
    for (const TMyItem& entry : catalogue.Entries.Entries()) {
        // A link to a folder is never entered: nothing is listed there.
        if ((entry.Attributes & kAttrDirectory) == 0 || (entry.Attributes & kAttrReparsePoint) != 0) continue;
        std::string path = EntryFullPath(entry);
        path.push_back('/');
        seed.folders.push_back({std::move(path), entry.Modified});
    }
    return seed;
}

LiveWatcher::LiveWatcher(const Catalogue& catalogue, BatchSink sink, LiveSettings settings)
    : sink_(std::move(sink)) {
    worker_ = std::make_unique<Worker<void>>(
        [this, seed = TakeLiveSeed(catalogue), settings = std::move(settings)](std::stop_token stop) mutable {
            LiveEngine engine(std::move(seed), std::move(settings), sink_, counts_);
            engine.Run(std::move(stop));
        });
}

LiveWatcher::~LiveWatcher() {
    worker_->RequestStop();
}

LiveCounts LiveWatcher::Counts() const {
    return {counts_.watched.load(std::memory_order_relaxed), counts_.checked.load(std::memory_order_relaxed),
            counts_.started.load(std::memory_order_acquire)};
}

void LiveWatcher::Finish() {
    worker_->RequestStop();
    worker_->Take();
}

}  // namespace quillory
