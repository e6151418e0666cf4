// Live catalogue benchmark: a live watcher over a generated tree, with the catalogue applied on
// the calling thread as the window applies it.
//
//   quillory-live-bench ROOT [IDLE_SECONDS]
//
// Prints: the start of watching (wall time, memory), idle CPU, a burst of creations and
// deletions until the catalogue equals a fresh walk, the latency from a single change to its
// entry (median of 20), the watches held against the budget, and the quick check of every
// folder (1% of them changed) next to a full rescan.

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/catalogue.h"
#include "live/live_watcher.h"
#include "platform/folder_stamp.h"
#include "platform/watch_allowance.h"
#include "scan/rescan_driver.h"

using namespace quillory;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double CpuSeconds(int who) {
    struct rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
    }
    return 0;
}

class NoProgress final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
};

// The catalogue, the batches that arrive from the watcher's thread, and their application.
struct LiveCatalogue {
    Catalogue catalogue;
    std::mutex mutex;
    std::vector<LiveBatch> arrived;
    std::unique_ptr<LiveWatcher> watcher;
    double applySeconds = 0;

    void Start(LiveSettings settings) {
        watcher = std::make_unique<LiveWatcher>(
            catalogue,
            [this](LiveBatch batch) {
                std::lock_guard lock(mutex);
                arrived.push_back(std::move(batch));
            },
            std::move(settings));
        while (!watcher->Counts().started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Applies what arrived; `seen` hears every changed entry's path.
    void Apply(const std::function<void(const std::string&)>& seen = {}) {
        std::vector<LiveBatch> batches;
        {
            std::lock_guard lock(mutex);
            batches.swap(arrived);
        }
        const auto began = Clock::now();
        for (const LiveBatch& batch : batches) {
            const LiveChanges changes = ApplyLiveBatch(catalogue, batch);
            if (!seen) continue;
            for (const TMyItem& e : changes.added.Entries()) seen(EntryFullPath(e));
            for (const TMyItem& e : changes.removed.Entries()) seen(EntryFullPath(e));
        }
        applySeconds += Seconds(began);
    }
};

double Rescan(Catalogue& catalogue) {
    RescanDriver driver;
    NoProgress observer;
    const auto began = Clock::now();
    driver.Rescan(catalogue, {}, observer);
    return Seconds(began);
}

std::set<std::string> PathsOf(const EntryList& entries) {
    std::set<std::string> paths;
    for (const TMyItem& e : entries.Entries()) paths.insert(EntryFullPath(e));
    return paths;
}

std::multiset<std::tuple<std::string, int64_t, DateTime, DateTime, uint32_t>> FactsOf(
    const EntryList& entries) {
    std::multiset<std::tuple<std::string, int64_t, DateTime, DateTime, uint32_t>> facts;
    for (const TMyItem& e : entries.Entries())
        facts.emplace(EntryFullPath(e), e.Size, e.Modified, e.Created, e.Attributes);
    return facts;
}

std::vector<std::string> FoldersOf(const EntryList& entries) {
    std::vector<std::string> folders;
    for (const TMyItem& e : entries.Entries()) {
        if ((e.Attributes & kAttrDirectory) && !(e.Attributes & kAttrReparsePoint))
            folders.push_back(EntryFullPath(e) + "/");
    }
    return folders;
}

void Touch(const std::string& path) {
    std::ofstream(path, std::ios::binary) << "";
}

}  // namespace

namespace {

void MeasureIdle(int seconds) {
    const double cpu = CpuSeconds(RUSAGE_SELF);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    std::printf("idle CPU over %d s:                 %.3f s\n", seconds, CpuSeconds(RUSAGE_SELF) - cpu);
}

// Single changes, each after the watcher has been quiet for a while: create, rename, delete.
void MeasureLatency(LiveCatalogue& live, const std::vector<std::string>& folders) {
    std::mt19937 rng(7);
    std::vector<double> times[3];
    for (int round = 0; round < 20; ++round) {
        const std::string folder = folders[std::uniform_int_distribution<size_t>(0, folders.size() - 1)(rng)];
        const std::string first = folder + "latency-" + std::to_string(round);
        const std::string second = first + "-renamed";
        for (int kind = 0; kind < 3; ++kind) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1100));
            live.Apply();
            const std::string& awaited = kind == 0 ? first : second;  // a delete removes the renamed one
            const auto began = Clock::now();
            if (kind == 0) Touch(first);
            if (kind == 1) std::rename(first.c_str(), second.c_str());
            if (kind == 2) std::remove(second.c_str());
            bool seen = false;
            while (!seen) {
                live.Apply([&](const std::string& path) { seen = seen || path == awaited; });
                if (!seen) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            times[kind].push_back(Seconds(began) * 1000);
        }
    }
    const char* names[3] = {"create", "rename", "delete"};
    for (int kind = 0; kind < 3; ++kind) {
        std::sort(times[kind].begin(), times[kind].end());
        std::printf("change to visible, %s (median of 20): %.0f ms\n", names[kind], times[kind][10]);
    }
}

void MeasureBurst(LiveCatalogue& live, const std::vector<std::string>& folders, size_t creations) {
    std::set<std::string> expected = PathsOf(live.catalogue.Entries);
    std::vector<std::string> made;
    const double processCpu = CpuSeconds(RUSAGE_SELF), ownCpu = CpuSeconds(RUSAGE_THREAD);
    live.applySeconds = 0;
    const auto began = Clock::now();
    for (size_t i = 0; i < creations; ++i) {
        made.push_back(folders[i % folders.size()] + "burst-" + std::to_string(i));
        Touch(made.back());
    }
    for (size_t i = 0; i < creations / 2; ++i) std::remove(made[i].c_str());
    const double madeSeconds = Seconds(began);
    for (size_t i = creations / 2; i < creations; ++i) expected.insert(made[i]);
    double caughtUp = 0;
    for (;;) {
        const size_t before = live.catalogue.Entries.Count();
        const uint64_t generation = live.catalogue.Entries.Generation();
        live.Apply();
        if (live.catalogue.Entries.Generation() != generation) caughtUp = Seconds(began);
        if (live.catalogue.Entries.Count() == expected.size() && before == expected.size() &&
            PathsOf(live.catalogue.Entries) == expected)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const double watcherCpu = (CpuSeconds(RUSAGE_SELF) - processCpu) - (CpuSeconds(RUSAGE_THREAD) - ownCpu);
    std::printf("burst of %zu creations and %zu deletions (made in %.2f s):\n", creations, creations / 2,
                madeSeconds);
    std::printf("  catalogue equal to the expected entries %.2f s after the burst began\n", caughtUp);
    std::printf("  watcher thread CPU %.2f s, applying on the owner's thread %.2f s\n", watcherCpu,
                live.applySeconds);
    Catalogue fresh(live.catalogue.Options);
    Rescan(fresh);
    std::printf("  equal to a fresh rescan (path, size, times but access, attributes): %s\n",
                FactsOf(fresh.Entries) == FactsOf(live.catalogue.Entries) ? "yes" : "NO");
    for (size_t i = creations / 2; i < creations; ++i) std::remove(made[i].c_str());
}

void MeasureQuickCheck(const std::string& root, const std::vector<std::string>& folders,
                       double rescanSeconds) {
    const auto statBegan = Clock::now();
    for (const std::string& folder : folders) ReadFolderStamp(folder, false);
    const double statSeconds = Seconds(statBegan);
    LiveCatalogue live;
    live.catalogue.Options.IncludedFolders = root + "/";
    Rescan(live.catalogue);
    LiveSettings settings;
    settings.freeWatches = [] { return size_t{0}; };
    settings.quickCheckMs = 3000;
    live.Start(settings);
    const auto started = Clock::now();
    std::set<std::string> awaited;
    for (size_t i = 0; i < folders.size(); i += 100) {
        const std::string path = folders[i] + "quick-check-" + std::to_string(i);
        awaited.insert(path);
        Touch(path);
    }
    const size_t changed = awaited.size();
    while (!awaited.empty()) {
        live.Apply([&](const std::string& path) { awaited.erase(path); });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const double checkSeconds = Seconds(started) - settings.quickCheckMs / 1000.0;
    std::printf(
        "quick check of %zu unwatched folders, %zu changed: %.2f s to the applied batch "
        "(stat alone %.2f s); full rescan %.2f s\n",
        live.watcher->Counts().checked, changed, checkSeconds, statSeconds, rescanSeconds);
    for (size_t i = 0; i < folders.size(); i += 100)
        std::remove((folders[i] + "quick-check-" + std::to_string(i)).c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillory-live-bench ROOT [IDLE_SECONDS]\n");
        return 2;
    }
    const std::string root = argv[1];
    const int idleSeconds = argc > 2 ? std::stoi(argv[2]) : 60;
    LiveCatalogue live;
    live.catalogue.Options.IncludedFolders = root + "/";
    const double rescanSeconds = Rescan(live.catalogue);
    const std::vector<std::string> folders = FoldersOf(live.catalogue.Entries);
    std::printf("catalogue: %zu entries, %zu folders (full rescan %.2f s)\n", live.catalogue.Entries.Count(),
                folders.size() + 1, rescanSeconds);
    const size_t budget = FreeUserWatches() / 2;
    const long residentBefore = ResidentKb();
    const auto began = Clock::now();
    live.Start({});
    std::printf("start of watching:                  %.2f s, +%ld MB resident\n", Seconds(began),
                (ResidentKb() - residentBefore) / 1024);
    const LiveCounts counts = live.watcher->Counts();
    std::printf("watches held %zu of a budget of %zu; %zu folders left to the quick check\n", counts.watched,
                budget, counts.checked);
    MeasureIdle(idleSeconds);
    MeasureLatency(live, folders);
    MeasureBurst(live, folders, std::max<size_t>(1, live.catalogue.Entries.Count() / 10));
    live.watcher.reset();
    MeasureQuickCheck(root, folders, rescanSeconds);
    return 0;
}
