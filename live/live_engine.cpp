#include "live/live_engine.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/watch_allowance.h"
#include "scan/file_time.h"

namespace quillory {

namespace {

// How often a walk lets notices be read: often enough that the system's queue of notices does
// not fill up while a large folder is listed.
constexpr int64_t kReadNoticesEveryMs = 20;

std::vector<std::string> RootsOf(const std::vector<std::string>& lines) {
    std::vector<std::string> roots;
    for (std::string root : lines) {
        if (root.empty()) continue;
        if (root.back() != '/') root.push_back('/');
        if (std::find(roots.begin(), roots.end(), root) == roots.end()) roots.push_back(std::move(root));
    }
    return roots;
}

std::string HomeFolder(const std::string& configured) {
    std::string home = configured;
    if (home.empty()) {
        const char* variable = std::getenv("HOME");
        home = variable ? variable : "";
    }
    if (!home.empty() && home.back() != '/') home.push_back('/');
    return home;
}

}  // namespace

struct LiveEngine::Candidate {
    std::string path;
    DateTime modified;
    bool root;
    bool home;
};

LiveEngine::LiveEngine(LiveSeed seed, LiveSettings settings, const LiveWatcher::BatchSink& sink,
                       LiveWatcher::CountCells& counts)
    : seed_(std::move(seed)), settings_(std::move(settings)), sink_(sink), counts_(counts) {
    if (!settings_.mounts) ownMounts_ = std::make_unique<FixedMountPolicy>();
    mounts_ = settings_.mounts ? settings_.mounts : ownMounts_.get();
    settings_.limits.eventIntervalMs = kReadNoticesEveryMs;
    roots_ = RootsOf(seed_.lists.includedFolders);
    noteSink_ = [this](const WatchEvent& event) { Note(event); };
}

void LiveEngine::Run(std::stop_token stop) {
    watches_ = settings_.openWatches ? settings_.openWatches() : OpenSystemFolderWatches();
    std::stop_callback wake(stop, [this] { watches_->Wake(); });
    Start();
    lastBatch_ = SteadyTickCount() - settings_.minIntervalMs;
    nextQuickCheck_ = SteadyTickCount() + settings_.quickCheckMs;
    while (!stop.stop_requested()) {
        watches_->Wait(TimeoutMs(SteadyTickCount()), noteSink_);
        const int64_t now = SteadyTickCount();
        if (now >= nextQuickCheck_) {
            QuickCheck();
            nextQuickCheck_ = now + settings_.quickCheckMs;
        }
        if (noted_ && !pending_.Empty()) {
            lastNotice_ = now;
            if (firstNotice_ < 0) firstNotice_ = now;
        }
        noted_ = false;
        if (!stop.stop_requested() && firstNotice_ >= 0 && now >= BatchDueAt()) SendBatch(stop);
    }
}

// The catalogue's folders, most worth watching first, each watched (while the budget lasts)
// before it is looked at; those changed since the catalogue recorded them are listed again.
void LiveEngine::Start() {
    const size_t free = settings_.freeWatches ? settings_.freeWatches() : FreeUserWatches();
    known_.emplace(*watches_, free / 2);
    preparer_.emplace(PreparerServices{*known_, roots_, seed_.lists, settings_.limits, *mounts_, *this});
    const std::string home = HomeFolder(settings_.home);
    std::vector<Candidate> candidates;
    for (const std::string& root : roots_) candidates.push_back({root, 0, true, root.starts_with(home)});
    for (LiveSeed::Folder& folder : seed_.folders) {
        if (IsRoot(folder.path)) continue;
        const bool underHome = !home.empty() && folder.path.starts_with(home);
        candidates.push_back({std::move(folder.path), folder.modified, false, underHome});
    }
    seed_.folders = {};
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.home != b.home) return a.home;
        if (a.root != b.root) return a.root;
        return a.modified > b.modified;
    });
    for (const Candidate& candidate : candidates) Register(candidate);
    if (!pending_.Empty()) firstNotice_ = lastNotice_ = SteadyTickCount() - settings_.longestDelayMs;
    PublishCounts();
    counts_.started.store(true, std::memory_order_release);
}

void LiveEngine::Register(const Candidate& candidate) {
    uint32_t depth = 0;
    const bool underRoot = DepthBelowRoot(candidate.path, depth);
    const int watch = underRoot ? known_->Watch(candidate.path) : -1;
    const std::optional<FolderStamp> stamp = ReadFolderStamp(candidate.path, candidate.root);
    if (!underRoot || !stamp || !MayList(candidate.path, depth, *stamp, candidate.root)) {
        // Known for a moment, so that forgetting it drops whatever the catalogue holds there.
        known_->Unwatch(watch);
        known_->Add(candidate.path, KnownFolder{-1, depth, 0, {}, {}});
        pending_.forgotten.insert(candidate.path);
        if (candidate.root) pending_.roots.insert(candidate.path);
        return;
    }
    known_->Add(candidate.path, KnownFolder{watch, depth, 0, stamp->modified, stamp->changed});
    if (!candidate.root && times_.Date(stamp->modified) != candidate.modified) {
        pending_.folders.insert(candidate.path);
        NoteEntry(candidate.path);
    }
}

// Whether a walk lists the folder (a root: whatever is mounted there).
bool LiveEngine::MayList(const std::string& path, uint32_t depth, const FolderStamp& stamp, bool root) {
    if (!stamp.folder || path.size() > settings_.limits.longestPath || depth >= settings_.limits.deepestLevel)
        return false;
    return root || !stamp.mountRoot || mounts_->MayEnter(stamp.deviceMajor, stamp.deviceMinor);
}

// Levels below the innermost root that holds `path`; false when no root holds it.
bool LiveEngine::DepthBelowRoot(const std::string& path, uint32_t& depth) const {
    const std::string* innermost = nullptr;
    for (const std::string& root : roots_) {
        if (path.starts_with(root) && (!innermost || root.size() > innermost->size())) innermost = &root;
    }
    if (!innermost) return false;
    depth = static_cast<uint32_t>(
        std::count(path.begin() + static_cast<std::ptrdiff_t>(innermost->size()), path.end(), '/'));
    return true;
}

bool LiveEngine::IsRoot(const std::string& path) const {
    return std::find(roots_.begin(), roots_.end(), path) != roots_.end();
}

void LiveEngine::PublishCounts() {
    const size_t watched = known_->Watched();
    counts_.watched.store(watched, std::memory_order_relaxed);
    counts_.checked.store(known_->Count() - watched, std::memory_order_relaxed);
}

}  // namespace quillory
