#include "platform/path_status.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "platform/local_socket.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

// A link is an entry of its own, whatever it leads to, and never the socket it leads to.
TEST(PlatformPathStatus, EntriesAreTheLinksThemselves) {
    test::TempDir dir;
    const std::string socket = dir / "sock";
    LocalSocketServer server;
    std::string error;
    ASSERT_TRUE(server.Listen(socket, error)) << error;
    const std::string toSocket = dir / "to-sock";
    const std::string dangling = dir / "dangling";
    ASSERT_EQ(::symlink(socket.c_str(), toSocket.c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nothing").c_str(), dangling.c_str()), 0);

    EXPECT_TRUE(IsSocketEntry(socket));
    EXPECT_FALSE(IsSocketEntry(toSocket));
    EXPECT_FALSE(IsSocketEntry(dir.Path()));
    EXPECT_TRUE(PathEntryExists(dangling));
    EXPECT_FALSE(PathExists(dangling));
    EXPECT_FALSE(PathEntryExists(dir / "nothing"));
    EXPECT_FALSE(PathEntryExists(""));

    EXPECT_EQ(PathLookupError(toSocket), 0);
    EXPECT_EQ(PathLookupError(dangling), ENOENT);
    EXPECT_EQ(PathLookupError(dir.WriteFile("file", "x") + "/below"), ENOTDIR);
}

}  // namespace
}  // namespace quillory
