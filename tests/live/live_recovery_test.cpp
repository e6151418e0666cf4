// Lost notices and roots that go away: the catalogue ends equal to a fresh walk.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/live/live_harness.h"
#include "tests/live/scripted_watches.h"

namespace quillory::test {
namespace {

TEST(LiveRecovery, LostNoticesMakeEveryFolderListedAgain) {
    TempDir dir;
    for (int i = 0; i < 5; ++i) dir.WriteFile("tree/f" + std::to_string(i) + "/inner/file", "x");
    LiveHarness live;
    live.Options().IncludedFolders = dir / "tree/";
    live.Scan();
    auto script = std::make_shared<ScriptedWatches::Script>();
    LiveSettings settings = QuickSettings();
    settings.openWatches = [script] { return std::make_unique<ScriptedWatches>(script); };
    live.StartWatching(settings);
    ASSERT_TRUE(live.WaitUntilCurrent());
    script->losing = true;
    for (int i = 0; i < 50; ++i) dir.WriteFile("tree/f1/new" + std::to_string(i), "y");
    dir.WriteFile("tree/f2/inner/file", "longer");
    std::filesystem::remove_all(dir / "tree/f3");
    dir.WriteFile("tree/f3", "a file where a folder was");
    std::filesystem::rename(dir / "tree/f4", dir / "tree/f0/f4");
    dir.WriteFile("tree/f0/f4/inner/added", "z");
    // A folder replaced by another of the same name: its watch is on the old one.
    std::filesystem::remove_all(dir / "tree/f2/inner");
    dir.WriteFile("tree/f2/inner/other", "w");
    script->LoseNoticesSoFar();
    ASSERT_TRUE(live.WaitUntilCurrent());
    // Watches were renewed: the folder that replaced the old one reports its changes.
    dir.WriteFile("tree/f2/inner/after", "v");
    EXPECT_TRUE(live.WaitUntilCurrent());
}

TEST(LiveRecovery, RootThatDisappearsAndComesBackIsWalkedAgain) {
    TempDir dir;
    dir.WriteFile("root/a/file", "x");
    dir.WriteFile("root/b", "y");
    LiveHarness live;
    live.Options().IncludedFolders = dir / "root/";
    live.Scan();
    LiveSettings settings = QuickSettings();
    settings.quickCheckMs = 100;
    live.StartWatching(settings);
    ASSERT_TRUE(live.WaitUntilCurrent());
    std::filesystem::rename(dir / "root", dir / "away");
    ASSERT_TRUE(live.WaitUntilCurrent());
    EXPECT_TRUE(live.TheCatalogue().Entries.Empty());
    dir.WriteFile("away/a/while-away", "z");
    std::filesystem::rename(dir / "away", dir / "root");
    ASSERT_TRUE(live.WaitUntilCurrent());
    EXPECT_EQ(live.TheCatalogue().Entries.Count(), 4u);
    dir.WriteFile("root/a/after", "w");
    EXPECT_TRUE(live.WaitUntilCurrent());
}

}  // namespace
}  // namespace quillory::test
