#include "platform/watch_allowance.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

// A process table of one process (this user's) with an inotify descriptor holding three
// watches, and a descriptor of another kind whose details hold the same words.
TEST(WatchAllowance, CountsTheWatchLinesOfInotifyDescriptorsOnly) {
    test::TempDir proc;
    proc.WriteFile("sys/fs/inotify/max_user_watches", "100\n");
    proc.WriteFile("4321/fdinfo/5",
                   "pos:\t0\nflags:\t00\ninotify wd:1 ino:2\ninotify wd:2 ino:3\ninotify wd:3 ino:4\n");
    proc.WriteFile("4321/fdinfo/6", "inotify wd:9 ino:9\n");
    proc.MakeDir("4321/fd");
    ASSERT_EQ(symlink("anon_inode:inotify", (proc / "4321/fd/5").c_str()), 0);
    ASSERT_EQ(symlink("/dev/null", (proc / "4321/fd/6").c_str()), 0);
    proc.MakeDir("self-named");

    EXPECT_EQ(ReadMaxUserWatches(proc.Path()), 100u);
    EXPECT_EQ(CountUserWatches(getuid(), proc.Path()), 3u);
    EXPECT_EQ(CountUserWatches(getuid() + 1, proc.Path()), 0u);
    EXPECT_EQ(FreeUserWatches(proc.Path()), 97u);
    EXPECT_EQ(FreeUserWatches(proc / "nowhere"), 0u);
}

}  // namespace
}  // namespace quillory
