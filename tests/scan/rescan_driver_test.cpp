#include "scan/rescan_driver.h"

#include <gtest/gtest.h>

#include "scan/duration_text.h"
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

}  // namespace
}  // namespace quillory
