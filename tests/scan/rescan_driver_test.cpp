#include "scan/rescan_driver.h"

#include <gtest/gtest.h>

#include "scan/duration_text.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

class Observer final : public RescanObserver {
  public:
    void SetStatusText(std::string_view text) override { statuses.emplace_back(text); }
    void ShowProgress(std::string_view, size_t found) override { progress.push_back(found); }
    void ProcessPendingEvents() override {
        ++events;
        if (onEvents) onEvents();
    }
    void RescanStarted() override {
        ++started;
        busyAtStart = busy->Busy;
    }
    void RescanEnded() override { ++ended; }

    BusyState* busy = nullptr;
    std::vector<std::string> statuses;
    std::vector<size_t> progress;
    int events = 0, started = 0, ended = 0;
    bool busyAtStart = false;
    std::function<void()> onEvents;
};

// A catalogue, options, busy flag with a hand-driven clock, and a driver over them.
struct Rescan {
    EntryList catalogue;
    TProgramOptions options{std::string()};
    BusyState busy;
    Observer observer;
    RescanDriver driver{catalogue, options, busy, observer};
    int64_t now = 1'000'000;
    int64_t perReading = 0;  // milliseconds the clock moves at every reading

    explicit Rescan(const std::string& roots) {
        options.IncludedFolders = roots;
        busy.Ticks = [this] { return now += perReading; };
        observer.busy = &busy;
        driver.SetDateClock([] { return 45000.25; });
    }
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

TEST(RescanDriver, CompletedRescanRecordsStatisticsAndShowsCountAndTime) {
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
            if (rescan.busy.Busy && rescan.now == 1'000'000) rescan.now += row.elapsedMs;
        };
        ASSERT_EQ(rescan.driver.Rescan(), WalkOutcome::Completed);
        EXPECT_EQ(rescan.options.LastRescanSeconds, row.seconds);
        EXPECT_EQ(rescan.options.LastRescanTime, 45000.25);
        ASSERT_EQ(rescan.observer.statuses.size(), 2u);
        EXPECT_EQ(rescan.observer.statuses[0], "Waiting...");
        EXPECT_EQ(rescan.observer.statuses[1],
                  std::string("OK! 3 files found. Search time: ") + row.clock + ".");
        EXPECT_FALSE(rescan.busy.Busy);
        EXPECT_EQ(rescan.observer.started, 1);
        EXPECT_TRUE(rescan.observer.busyAtStart);
        EXPECT_EQ(rescan.observer.ended, 1);
        EXPECT_EQ(rescan.busy.StartTick, 1'000'000);
    }
}

TEST(RescanDriver, EmptyRootEndsWithZeroCountAndTime) {
    test::TempDir dir;
    Rescan rescan(dir.Path() + "/");
    ASSERT_EQ(rescan.driver.Rescan(), WalkOutcome::Completed);
    EXPECT_EQ(rescan.observer.statuses.back(), "OK! 0 files found. Search time: 0:00:00.");
    EXPECT_EQ(rescan.options.LastRescanSeconds, 0);
    EXPECT_EQ(rescan.catalogue.Count(), 0u);
}

TEST(RescanDriver, SearchDuringRescanStopsItAndKeepsStatistics) {
    test::TempDir dir;
    for (int i = 0; i < 60; ++i) dir.WriteFile("r/d" + std::to_string(i % 6) + "/f" + std::to_string(i), "");
    Rescan rescan(dir / "r/");
    rescan.options.LastRescanSeconds = 77;
    rescan.options.LastRescanTime = 123.5;
    rescan.perReading = 10;  // events every fifth item
    rescan.observer.onEvents = [&] {
        if (rescan.observer.events == 4) {
            // A search runs to its end inside the event processing.
            rescan.busy.Begin();
            rescan.busy.Busy = false;
        }
    };
    ASSERT_EQ(rescan.driver.Rescan(), WalkOutcome::Stopped);
    const size_t found = rescan.catalogue.Count();
    EXPECT_GT(found, 0u);
    EXPECT_LT(found, 66u);
    EXPECT_EQ(rescan.observer.statuses.back(), "Stop " + std::to_string(found) + " files found");
    EXPECT_EQ(rescan.options.LastRescanSeconds, 77);
    EXPECT_EQ(rescan.options.LastRescanTime, 123.5);
    EXPECT_EQ(rescan.observer.ended, 1);

    // A new rescan can start afterwards and completes.
    rescan.observer.onEvents = nullptr;
    ASSERT_EQ(rescan.driver.Rescan(), WalkOutcome::Completed);
    EXPECT_EQ(rescan.catalogue.Count(), 66u);
}

TEST(RescanDriver, ListsComeFromTheOptions) {
    test::TempDir dir;
    dir.WriteFile("r/keep/a.Mp3", "");
    dir.WriteFile("r/keep/b.wav", "");
    dir.WriteFile("r/skip/c.mp3", "");
    dir.WriteFile("s/d.mp3", "");
    Rescan rescan(dir / "r/\r\n" + dir / "s/\r\n");
    rescan.options.ExcludedFolders = dir / "r/SKIP/\r\n";
    rescan.options.ExtensionFilterOn = true;
    rescan.options.IncludeExtensionsMode = true;
    rescan.options.IncludedExtensions = "mp3\r\nogg\r\n";
    ASSERT_EQ(rescan.driver.Rescan(), WalkOutcome::Completed);
    std::vector<std::string> paths;
    for (const TMyItem& e : rescan.catalogue.Entries()) paths.push_back(EntryFullPath(e));
    EXPECT_EQ(paths, (std::vector<std::string>{dir / "r/keep", dir / "r/keep/a.Mp3", dir / "s/d.mp3"}));
    EXPECT_EQ(rescan.driver.Lists().includedFolders.size(), 2u);

    // Changed option texts take effect at the next rescan.
    rescan.options.IncludedExtensions = "wav";
    rescan.options.ExcludedFolders.clear();
    ASSERT_EQ(rescan.driver.Rescan(), WalkOutcome::Completed);
    paths.clear();
    for (const TMyItem& e : rescan.catalogue.Entries()) paths.push_back(std::string(e.Name()));
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"b.wav", "keep", "skip"}));
}

}  // namespace
}  // namespace quillory
