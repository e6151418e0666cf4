#include "scan/rescan_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "scan/duration_text.h"
#include "search/search_driver.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

class Observer final : public RescanObserver {
  public:
    void Progress(std::string, size_t found) override { progress.push_back(found); }
    void Heartbeat() override {
        ++events;
        if (onEvents) onEvents();
    }
    void Finished() override { ++finished; }

    std::vector<size_t> progress;
    int events = 0, finished = 0;
    std::function<void()> onEvents;
};

// A catalogue, a driver with hand-driven clocks, and an observer.
struct Rescan {
    Catalogue catalogue;
    Observer observer;
    RescanDriver driver;
    std::stop_source stop;
    int64_t now = 1'000'000;
    int64_t perReading = 0;  // milliseconds the clock moves at every reading

    explicit Rescan(const std::string& roots) {
        catalogue.Options.IncludedFolders = roots;
        driver.SetTickSource([this] { return now += perReading; });
        driver.SetDateClock([] { return 45000.25; });
    }
    RescanResult Run() { return driver.Rescan(catalogue, stop.get_token(), observer); }
};

TEST(DurationText, HoursMinutesSeconds) {
    const struct {
        int64_t seconds;
        const char* text;
    } rows[] = {{0, "0:00:00"},      {7, "0:00:07"},       {127, "0:02:07"}, {3726, "1:02:06"},
                {97205, "27:00:05"}, {359999, "99:59:59"}, {-5, "0:00:00"}};
    for (const auto& row : rows) EXPECT_EQ(DurationText(row.seconds), row.text) << row.seconds;
}

TEST(RoundedSeconds, HalvesGoToEven) {
    const struct {
        int64_t ms, seconds;
    } rows[] = {{0, 0},    {499, 0},  {500, 0},        {501, 1},       {1500, 2},
                {2500, 2}, {3500, 4}, {3726000, 3726}, {3726499, 3726}};
    for (const auto& row : rows) EXPECT_EQ(RoundedSeconds(row.ms), row.seconds) << row.ms;
}

TEST(RescanDriver, CompletedRescanReportsCountAndTime) {
    test::TempDir dir;
    dir.WriteFile("r/a/b.txt", "");
    dir.WriteFile("r/c.txt", "");
    const struct {
        int64_t elapsedMs;
        int32_t seconds;
        const char* clock;
    } rows[] = {{0, 0, "0:00:00"},
                {2500, 2, "0:00:02"},
                {3500, 4, "0:00:04"},
                {7000, 7, "0:00:07"},
                {3726000, 3726, "1:02:06"}};
    for (const auto& row : rows) {
        Rescan rescan(dir / "r/" + "\r\n");
        // The clock jumps by the whole duration as soon as the walk has begun.
        rescan.observer.onEvents = [&] {
            if (rescan.now == 1'000'000) rescan.now += row.elapsedMs;
        };
        const RescanResult result = rescan.Run();
        ASSERT_TRUE(result.Completed());
        EXPECT_EQ(result.found, 3u);
        EXPECT_EQ(result.elapsedMs, row.elapsedMs);
        EXPECT_EQ(result.seconds, row.seconds);
        EXPECT_EQ(result.endTime, 45000.25);
        EXPECT_EQ(result.statusText, std::string("OK! 3 files found. Search time: ") + row.clock + ".");
        EXPECT_FALSE(result.failure);
        // The driver reads the options and never writes them; the caller applies the result.
        EXPECT_EQ(rescan.catalogue.Options.LastRescanSeconds, 0);
        ApplyRescanResult(result, rescan.catalogue.Options);
        EXPECT_EQ(rescan.catalogue.Options.LastRescanSeconds, row.seconds);
        EXPECT_EQ(rescan.catalogue.Options.LastRescanTime, 45000.25);
    }
}

TEST(RescanDriver, EmptyRootEndsWithZeroCountAndTime) {
    test::TempDir dir;
    Rescan rescan(dir.Path() + "/");
    const RescanResult result = rescan.Run();
    ASSERT_TRUE(result.Completed());
    EXPECT_EQ(result.statusText, "OK! 0 files found. Search time: 0:00:00.");
    EXPECT_EQ(result.seconds, 0);
    EXPECT_EQ(rescan.catalogue.Entries.Count(), 0u);
}

TEST(RescanDriver, StoppedRescanKeepsWhatWasFoundAndTheStatistics) {
    test::TempDir dir;
    for (int i = 0; i < 60; ++i) dir.WriteFile("r/d" + std::to_string(i % 6) + "/f" + std::to_string(i), "");
    Rescan rescan(dir / "r/");
    rescan.catalogue.Options.LastRescanSeconds = 77;
    rescan.catalogue.Options.LastRescanTime = 123.5;
    rescan.perReading = 10;  // a heartbeat every fifth item
    rescan.observer.onEvents = [&] {
        if (rescan.observer.events == 4) rescan.stop.request_stop();
    };
    const RescanResult result = rescan.Run();
    ASSERT_EQ(result.outcome, WalkOutcome::Stopped);
    const size_t found = rescan.catalogue.Entries.Count();
    EXPECT_GT(found, 0u);
    EXPECT_LT(found, 66u);
    EXPECT_EQ(result.found, found);
    EXPECT_EQ(result.statusText, "Stop " + std::to_string(found) + " files found");
    ApplyRescanResult(result, rescan.catalogue.Options);
    EXPECT_EQ(rescan.catalogue.Options.LastRescanSeconds, 77);
    EXPECT_EQ(rescan.catalogue.Options.LastRescanTime, 123.5);

    // A new rescan can start afterwards and completes.
    rescan.stop = std::stop_source();
    rescan.observer.onEvents = nullptr;
    ASSERT_TRUE(rescan.Run().Completed());
    EXPECT_EQ(rescan.catalogue.Entries.Count(), 66u);
}

TEST(RescanDriver, ListsComeFromTheOptions) {
    test::TempDir dir;
    dir.WriteFile("r/keep/a.Mp3", "");
    dir.WriteFile("r/keep/b.wav", "");
    dir.WriteFile("r/skip/c.mp3", "");
    dir.WriteFile("s/d.mp3", "");
    Rescan rescan(dir / "r/\r\n" + dir / "s/\r\n");
    TProgramOptions& options = rescan.catalogue.Options;
    options.ExcludedFolders = dir / "r/SKIP/\r\n";
    options.ExtensionFilterOn = true;
    options.IncludeExtensionsMode = true;
    options.IncludedExtensions = "mp3\r\nogg\r\n";
    ASSERT_TRUE(rescan.Run().Completed());
    std::vector<std::string> paths;
    for (const TMyItem& e : rescan.catalogue.Entries.Entries()) paths.push_back(EntryFullPath(e));
    EXPECT_EQ(paths, (std::vector<std::string>{dir / "r/keep", dir / "r/keep/a.Mp3", dir / "s/d.mp3"}));
    EXPECT_EQ(rescan.driver.Lists().includedFolders.size(), 2u);

    // Changed option texts take effect at the next rescan.
    options.IncludedExtensions = "wav";
    options.ExcludedFolders.clear();
    ASSERT_TRUE(rescan.Run().Completed());
    paths.clear();
    for (const TMyItem& e : rescan.catalogue.Entries.Entries()) paths.push_back(std::string(e.Name()));
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"b.wav", "keep", "skip"}));
}

// Overlapping lines of the option text, read through the system's parallel listing.
TEST(RescanDriver, FolderInsideAnotherIncludedFolderIsWalkedOnce) {
    test::TempDir dir;
    dir.WriteFile("r/sub/a.txt", "");
    dir.WriteFile("r/b.txt", "");
    Rescan rescan(dir / "r\r\n" + dir / "r/sub/\r\n" + dir / "r/\r\n");
    const RescanResult result = rescan.Run();
    ASSERT_TRUE(result.Completed());
    EXPECT_EQ(result.found, 3u);
}

// Progress reaches the observer as copies on the worker thread; the user interface thread
// only reads them under the lock, as a window posting them to itself would.
class TaskObserver final : public RescanObserver {
  public:
    void Progress(std::string folder, size_t found) override {
        std::lock_guard lock(mutex);
        lastFolder = std::move(folder);
        lastFound = found;
        ++progressCalls;
        onWorker = onWorker && std::this_thread::get_id() != uiThread;
    }
    void Finished() override {
        std::lock_guard lock(mutex);
        ++finished;
        onWorker = onWorker && std::this_thread::get_id() != uiThread;
    }
    std::mutex mutex;
    std::thread::id uiThread = std::this_thread::get_id();
    std::string lastFolder;
    size_t lastFound = 0;
    int progressCalls = 0, finished = 0;
    bool onWorker = true;
};

// 12 folders, each with 40 files and 2 subfolders of 4 files: 612 entries.
size_t MakeTree(const test::TempDir& dir) {
    for (int d = 0; d < 12; ++d) {
        const std::string folder = "r/d" + std::to_string(d);
        for (int f = 0; f < 40; ++f) dir.WriteFile(folder + "/f" + std::to_string(f), "");
        for (int s = 0; s < 2; ++s) {
            for (int f = 0; f < 4; ++f)
                dir.WriteFile(folder + "/s" + std::to_string(s) + "/g" + std::to_string(f), "");
        }
    }
    return 12 * (1 + 40 + 2 * (1 + 4));
}

std::set<std::string> Paths(const EntryList& entries) {
    std::set<std::string> paths;
    for (const TMyItem& e : entries.Entries()) paths.insert(EntryFullPath(e));
    return paths;
}

TEST(RescanTask, CompletesOnAWorkerAndHandsTheCatalogueBack) {
    test::TempDir dir;
    const size_t total = MakeTree(dir);
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "r/";
    catalogue->Options.LastRescanSeconds = 5;
    RescanTask task;
    TaskObserver observer;
    WalkLimits limits;
    limits.eventIntervalMs = 0;  // every progress point goes out
    task.Driver().SetLimits(limits);
    EXPECT_FALSE(task.Running());
    task.Start(std::move(catalogue), observer);
    // While the worker owns the catalogue the starting thread holds nothing to reach it by.
    EXPECT_EQ(catalogue, nullptr);
    EXPECT_TRUE(task.Running());
    EXPECT_THROW(task.Start(std::make_unique<Catalogue>(), observer), std::logic_error);

    const RescanResult result = task.Wait(catalogue);
    EXPECT_FALSE(task.Running());
    ASSERT_NE(catalogue, nullptr);
    ASSERT_TRUE(result.Completed());
    EXPECT_EQ(result.found, total);
    EXPECT_EQ(catalogue->Entries.Count(), total);
    EXPECT_EQ(catalogue->Options.LastRescanSeconds, 5);  // the worker never wrote the options
    ApplyRescanResult(result, catalogue->Options);
    EXPECT_EQ(catalogue->Options.LastRescanSeconds, result.seconds);
    EXPECT_GT(catalogue->Options.LastRescanTime, 40000.0);
    {
        std::lock_guard lock(observer.mutex);
        EXPECT_EQ(observer.finished, 1);
        EXPECT_TRUE(observer.onWorker);
        EXPECT_GT(observer.progressCalls, 0);
        EXPECT_TRUE(observer.lastFolder.starts_with(dir / "r/")) << observer.lastFolder;
        EXPECT_LE(observer.lastFound, total);
    }
    EXPECT_THROW(task.Wait(catalogue), std::logic_error);
    ASSERT_NE(catalogue, nullptr);  // a failed Wait takes nothing away

    // The task runs again with the catalogue it gave back.
    task.Start(std::move(catalogue), observer);
    EXPECT_TRUE(task.Wait(catalogue).Completed());
    EXPECT_EQ(catalogue->Entries.Count(), total);
}

// Stops requested from the user interface thread at random moments: the walk ends cleanly at
// any point, keeps a consistent part of the tree, and the result agrees with the catalogue.
// Run under ThreadSanitizer too (QUILLORY_SANITIZE=thread).
TEST(RescanTask, StopFromAnotherThreadAtRandomMoments) {
    test::TempDir dir;
    const size_t total = MakeTree(dir);
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "r/";
    RescanTask task;
    TaskObserver first;
    task.Start(std::move(catalogue), first);
    ASSERT_TRUE(task.Wait(catalogue).Completed());
    const std::set<std::string> all = Paths(catalogue->Entries);
    ASSERT_EQ(all.size(), total);

    std::mt19937 rng(8);
    std::uniform_int_distribution<int> pauseUs(0, 3000);
    int stopped = 0;
    for (int round = 0; round < 40; ++round) {
        TaskObserver observer;
        catalogue->Options.LastRescanSeconds = 99;
        task.Start(std::move(catalogue), observer);
        const int pause = round % 8 == 0 ? 0 : pauseUs(rng);
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        task.RequestStop();
        task.RequestStop();  // a second request changes nothing
        const RescanResult result = task.Wait(catalogue);
        ASSERT_NE(catalogue, nullptr);
        EXPECT_EQ(result.found, catalogue->Entries.Count());
        EXPECT_FALSE(result.failure);
        const std::set<std::string> found = Paths(catalogue->Entries);
        EXPECT_EQ(found.size(), catalogue->Entries.Count()) << "no entry twice";
        EXPECT_TRUE(std::includes(all.begin(), all.end(), found.begin(), found.end()));
        if (result.Completed()) {
            EXPECT_EQ(found, all);
        } else {
            ++stopped;
            EXPECT_EQ(result.statusText, "Stop " + std::to_string(found.size()) + " files found");
            ApplyRescanResult(result, catalogue->Options);
            EXPECT_EQ(catalogue->Options.LastRescanSeconds, 99);
        }
        std::lock_guard lock(observer.mutex);
        EXPECT_EQ(observer.finished, 1);
    }
    EXPECT_GT(stopped, 0);
}

// "A search stops the rescan": request the stop, wait, take the catalogue back, search it.
TEST(RescanTask, SearchDuringARescanSearchesWhatWasFound) {
    test::TempDir dir;
    const size_t total = MakeTree(dir);
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "r/";
    RescanTask task;
    TaskObserver observer;
    task.Start(std::move(catalogue), observer);
    task.RequestStop();
    const RescanResult result = task.Wait(catalogue);
    catalogue->PrepareNameCache(false);
    TSearchDriver search;
    EntryList results;
    const size_t count = search.Search(*catalogue, "g", {}, 100000, results);
    size_t expected = 0;
    for (const TMyItem& e : catalogue->Entries.Entries())
        expected += e.Name().find_first_of("gG") != std::string_view::npos;
    EXPECT_EQ(count, expected);
    EXPECT_LE(result.found, total);
}

// The second root cannot be listed for want of memory: the error travels back with the
// result, and the catalogue comes back with the first root's entries.
TEST(RescanTask, AnErrorOnTheWorkerComesBackWithTheCatalogue) {
    test::TempDir dir;
    dir.WriteFile("a/one.txt", "");
    struct FailingSecondRoot final : DirectoryLister {
        std::string failing;
        SystemDirectoryLister system;
        std::unique_ptr<FolderListing> OpenFolder(const std::string& path) override {
            if (path == failing) throw std::bad_alloc();
            return system.OpenFolder(path);
        }
    } lister;
    lister.failing = dir / "b/";
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "a/\r\n" + dir / "b/\r\n";
    RescanTask task;
    task.Driver().SetLister(lister);
    TaskObserver observer;
    EXPECT_THROW(task.Start(nullptr, observer), std::logic_error);
    task.Start(std::move(catalogue), observer);
    const RescanResult result = task.Wait(catalogue);
    ASSERT_TRUE(result.failure);
    EXPECT_THROW(std::rethrow_exception(result.failure), std::bad_alloc);
    EXPECT_EQ(result.outcome, WalkOutcome::Stopped);
    ASSERT_NE(catalogue, nullptr);
    EXPECT_EQ(catalogue->Entries.Count(), 1u);
    EXPECT_EQ(result.statusText, "Stop 1 files found");
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.finished, 1);
}

TEST(RescanTask, DestroyedWhileRunningStopsTheWorker) {
    test::TempDir dir;
    MakeTree(dir);
    TaskObserver observer;
    {
        auto catalogue = std::make_unique<Catalogue>();
        catalogue->Options.IncludedFolders = dir / "r/";
        RescanTask task;
        task.Start(std::move(catalogue), observer);
    }
    std::lock_guard lock(observer.mutex);
    EXPECT_EQ(observer.finished, 1);
}

}  // namespace
}  // namespace quillory
