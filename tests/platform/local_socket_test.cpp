// The listening side of a local socket: what it does with whatever lies at its path, and a stop
// from another thread that ends every wait of the thread serving it.

#include "platform/local_socket.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace quillory {
namespace {

std::chrono::steady_clock::time_point Generous() {
    return std::chrono::steady_clock::now() + test::kGenerousWait;
}

TEST(PlatformLocalSocketServer, ReplacesAStaleSocketButNothingElseAndRemovesItsOwn) {
    test::TempDir dir;
    const std::string path = dir / "sock";
    std::string error;
    {
        LocalSocketServer stale;
        ASSERT_TRUE(stale.Listen(path, error)) << error;
        // Ends without removing its file, as a program that was killed.
        stale.Stop();
        ASSERT_TRUE(std::filesystem::is_socket(path));
        LocalSocketServer server;
        ASSERT_TRUE(server.Listen(path, error)) << error;
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        LocalSocketConnection client(path, Generous());
        EXPECT_TRUE(client.Connected());
        server.Close();
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    const std::string file = dir.WriteFile("file", "keep");
    LocalSocketServer server;
    EXPECT_FALSE(server.Listen(file, error));
    EXPECT_NE(error.find(file), std::string::npos) << error;
    EXPECT_EQ(test::ReadFileBytes(file), "keep");
    EXPECT_FALSE(server.Listen(std::string(200, 'x'), error));
}

TEST(PlatformLocalSocketServer, AStopEndsTheWaitForAConnectionAndForAClient) {
    test::TempDir dir;
    const std::string path = dir / "sock";
    LocalSocketServer server;
    std::string error;
    ASSERT_TRUE(server.Listen(path, error)) << error;
    std::atomic<int> stage{0};
    long read = 0;
    bool acceptedAfterStop = true;
    std::thread serving([&] {
        const std::unique_ptr<LocalSocketConnection> client = server.Accept();
        stage = 1;
        char byte;
        // The client sends nothing: only the stop ends this wait.
        read = client ? client->ReadSome(&byte, 1, Generous() + test::kGenerousWait) : 0;
        acceptedAfterStop = server.Accept() != nullptr;
        stage = 2;
    });
    LocalSocketConnection client(path, Generous());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(test::WaitUntil([&] { return stage.load() == 1; }));
    server.Stop();
    const bool ended = test::WaitUntil([&] { return stage.load() == 2; });
    client.FinishSending();  // ends a read that the stop did not
    serving.join();
    EXPECT_TRUE(ended);
    EXPECT_EQ(read, -1);
    EXPECT_FALSE(acceptedAfterStop);
}

}  // namespace
}  // namespace quillory
