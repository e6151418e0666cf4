// The watch budget: how many folders get a watch, which ones, and how the others are covered.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "tests/live/live_harness.h"
#include "tests/live/scripted_watches.h"

namespace quillory::test {
namespace {

void SetOldModificationTime(const std::string& path) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {978307200, 0}};  // 2001-01-01
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// 30 folders: the roots home/ with 4 folders and other/ with 24 folders (two of them recently modified,
// the others last modified in 2001).
struct BudgetTree {
    TempDir dir;
    LiveHarness live;

    BudgetTree() {
        for (int i = 0; i < 4; ++i) dir.MakeDir("home/h" + std::to_string(i));
        for (int i = 0; i < 24; ++i) {
            dir.MakeDir("other/o" + std::to_string(i));
            if (i != 7 && i != 15) SetOldModificationTime(dir / ("other/o" + std::to_string(i)));
        }
        live.Options().IncludedFolders = dir / "other/" + "\n" + dir / "home/";
        live.Scan();
    }
    LiveSettings Settings(size_t freeWatches) {
        LiveSettings settings = QuickSettings();
        settings.home = dir / "home";
        settings.freeWatches = [freeWatches] { return freeWatches; };
        return settings;
    }
};

TEST(LiveBudget, HoldsHalfTheFreeWatchesForHomeThenRecentFolders) {
    BudgetTree t;
    // Half of 16: the home root and its 4 folders, the other root, then o7 and o15.
    t.live.StartWatching(t.Settings(16));
    ASSERT_TRUE(t.live.WaitUntilCurrent());
    EXPECT_EQ(t.live.Watcher().Counts().watched, 8u);
    EXPECT_EQ(t.live.Watcher().Counts().checked, 22u);
    // The quick check never runs: only watched folders can report these.
    for (int i = 0; i < 4; ++i) t.dir.WriteFile("home/h" + std::to_string(i) + "/new", "x");
    t.dir.WriteFile("home/top", "x");
    t.dir.WriteFile("other/o7/new", "x");
    t.dir.WriteFile("other/o15/new", "x");
    EXPECT_TRUE(t.live.WaitUntilCurrent());
}

TEST(LiveBudget, QuickCheckFindsChangesInUnwatchedFolders) {
    BudgetTree t;
    LiveSettings settings = t.Settings(10);
    settings.quickCheckMs = 100;
    t.live.StartWatching(settings);
    ASSERT_TRUE(t.live.WaitUntilCurrent());
    EXPECT_EQ(t.live.Watcher().Counts().watched, 5u);
    EXPECT_EQ(t.live.Watcher().Counts().checked, 25u);
    t.dir.WriteFile("other/o3/new", "x");
    std::rename((t.dir / "other/o4").c_str(), (t.dir / "other/o4-renamed").c_str());
    t.dir.MakeDir("other/o5/sub/deeper");
    EXPECT_TRUE(t.live.WaitUntilCurrent());
}

TEST(LiveBudget, RunningOutOfWatchesGivesBackAMarginAndAddsNoMore) {
    TempDir dir;
    for (int i = 0; i < 99; ++i) dir.MakeDir("f" + std::to_string(i));
    LiveHarness live;
    live.Options().IncludedFolders = dir.Path() + "/";
    live.Scan();
    auto script = std::make_shared<ScriptedWatches::Script>();
    script->addsLeft = 80;
    LiveSettings settings = QuickSettings();
    settings.quickCheckMs = 100;
    settings.openWatches = [script] { return std::make_unique<ScriptedWatches>(script); };
    live.StartWatching(settings);
    ASSERT_TRUE(live.WaitUntilCurrent());
    EXPECT_EQ(live.Watcher().Counts().watched, 80u - KnownFolders::kLeastGivenBack);
    EXPECT_EQ(live.Watcher().Counts().checked, 100u - (80u - KnownFolders::kLeastGivenBack));
    script->addsLeft = INT_MAX;
    // A new folder is covered by the quick check: no watch is asked for any more.
    dir.MakeDir("f98/new");
    dir.WriteFile("f98/new/file", "x");
    ASSERT_TRUE(live.WaitUntilCurrent());
    EXPECT_EQ(live.Watcher().Counts().watched, 80u - KnownFolders::kLeastGivenBack);
}

}  // namespace
}  // namespace quillory::test
