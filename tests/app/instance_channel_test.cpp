#include "app/instance_channel.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

// Sends raw bytes on a connection of its own and waits until the server has dealt with them.
void SendRaw(const QByteArray& bytes, QSignalSpy* until = nullptr) {
    QLocalSocket socket;
    socket.connectToServer(InstanceSocketPath());
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write(bytes);
    ASSERT_TRUE(socket.waitForBytesWritten(1000));
    if (until) until->wait(2000);
}

// Leaves a socket file behind as a copy that was killed would.
void MakeStaleSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    ASSERT_LT(static_cast<size_t>(name.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

// A raw connection to the socket at `path` (no allocation: a forked child may call it).
int ConnectRaw(const QByteArray& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return fd;
    ::close(fd);
    return -1;
}

// Whether the server has closed connection `fd`, waiting up to `ms` for it.
bool ClosedByServer(int fd, int ms = 0) {
    pollfd p{fd, POLLIN, 0};
    char byte;
    return ::poll(&p, 1, ms) > 0 && ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}

TEST(AppInstanceChannel, SocketLivesInTheRuntimeFolder) {
    test::IsolatedHome home;
    EXPECT_EQ(InstanceSocketPath().toStdString(), home.RuntimeFolder() + "/TQuilloryForm1");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceSocketPath(),
              QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/TQuilloryForm1");
}

TEST(AppInstanceChannel, NoRunningCopyAnswersAtOnce) {
    test::IsolatedHome home;
    // Nothing to connect to is known at once: the connection time is never waited out.
    constexpr int kConnectMs = 60000;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(SendToRunningCopy("quit", kConnectMs));
    EXPECT_LT(timer.elapsed(), kConnectMs);
}

TEST(AppInstanceChannel, WordsReachTheRunningCopy) {
    test::IsolatedHome home;
    InstanceServer server;
    QString error;
    ASSERT_TRUE(server.Listen(&error)) << error.toStdString();
    EXPECT_EQ(server.SocketPath(), InstanceSocketPath());
    // Only the user may connect.
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(InstanceSocketPath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);

    QSignalSpy quit(&server, &InstanceServer::quitRequested);
    QSignalSpy rescan(&server, &InstanceServer::rescanRequested);
    EXPECT_TRUE(SendToRunningCopy("rescan"));
    EXPECT_TRUE(rescan.wait(2000));
    EXPECT_EQ(quit.count(), 0);
    EXPECT_TRUE(SendToRunningCopy("quit"));
    EXPECT_TRUE(quit.wait(2000));
    EXPECT_EQ(rescan.count(), 1);
    EXPECT_EQ(quit.count(), 1);
}

TEST(AppInstanceChannel, UnknownAndOversizedLinesAreIgnored) {
    test::IsolatedHome home;
    InstanceServer server;
    ASSERT_TRUE(server.Listen());
    QSignalSpy quit(&server, &InstanceServer::quitRequested);
    QSignalSpy rescan(&server, &InstanceServer::rescanRequested);

    // Only exact lines count; CR LF is accepted.
    SendRaw("hello\nQUIT\n quit\nquit now\n\nrescan\r\n", &rescan);
    EXPECT_EQ(rescan.count(), 1);
    EXPECT_EQ(quit.count(), 0);

    // A line longer than any word is dropped whole, with the client.
    {
        QLocalSocket socket;
        socket.connectToServer(InstanceSocketPath());
        ASSERT_TRUE(socket.waitForConnected(1000));
        QSignalSpy gone(&socket, &QLocalSocket::disconnected);
        socket.write(QByteArray(kInstanceMaxLineLength + 100, 'x') + "\nquit\n");
        socket.flush();
        EXPECT_TRUE(gone.wait(2000));
    }
    {
        QLocalSocket socket;
        socket.connectToServer(InstanceSocketPath());
        ASSERT_TRUE(socket.waitForConnected(1000));
        QSignalSpy gone(&socket, &QLocalSocket::disconnected);
        socket.write(QByteArray(kInstanceMaxLineLength + 10, 'y'));  // no line break at all
        socket.flush();
        EXPECT_TRUE(gone.wait(2000));
    }
    EXPECT_EQ(quit.count(), 0);

    // The server still serves others.
    EXPECT_TRUE(SendToRunningCopy("quit"));
    EXPECT_TRUE(quit.wait(2000));
}

TEST(AppInstanceChannel, StaleSocketIsReplaced) {
    test::IsolatedHome home;
    MakeStaleSocket(InstanceSocketPath());
    ASSERT_TRUE(QFile::exists(InstanceSocketPath()));
    EXPECT_FALSE(SendToRunningCopy("quit"));  // nobody answers it

    InstanceServer server;
    QString error;
    ASSERT_TRUE(server.Listen(&error)) << error.toStdString();
    QSignalSpy quit(&server, &InstanceServer::quitRequested);
    EXPECT_TRUE(SendToRunningCopy("quit"));
    EXPECT_TRUE(quit.wait(2000));
}

TEST(AppInstanceChannel, TwoServersCannotShareTheName) {
    test::IsolatedHome home;
    InstanceServer first;
    ASSERT_TRUE(first.Listen());
    QSignalSpy quit(&first, &InstanceServer::quitRequested);
    QSignalSpy rescan(&first, &InstanceServer::rescanRequested);

    InstanceServer second;
    QString error;
    EXPECT_FALSE(second.Listen(&error));
    EXPECT_FALSE(second.IsListening());
    EXPECT_FALSE(error.isEmpty());

    // The first still owns the name, and looking at it sent no word.
    EXPECT_TRUE(SendToRunningCopy("quit"));
    EXPECT_TRUE(quit.wait(2000));
    EXPECT_EQ(quit.count(), 1);
    EXPECT_EQ(rescan.count(), 0);
}

TEST(AppInstanceChannel, SomethingElseAtTheNameIsLeftAlone) {
    test::IsolatedHome home;
    const std::string path = home.Dir().WriteFile("runtime/TQuilloryForm1", "mine");
    InstanceServer server;
    QString error;
    EXPECT_FALSE(server.Listen(&error));
    EXPECT_EQ(test::ReadFileBytes(path), "mine");
}

TEST(AppInstanceChannel, NameIsFreeAgainAfterTheServerEnds) {
    test::IsolatedHome home;
    {
        InstanceServer server;
        ASSERT_TRUE(server.Listen());
    }
    EXPECT_FALSE(SendToRunningCopy("rescan"));
    InstanceServer next;
    EXPECT_TRUE(next.Listen());
}

// Clients that connect and say nothing would use up the program's descriptors: only so many
// are served at once, the others are closed at once, and each is dropped after its time.
TEST(AppInstanceChannel, IdleClientsAreCappedAndDropped) {
    test::IsolatedHome home;
    const QByteArray path = QFile::encodeName(InstanceSocketPath());
    const auto closed = [](const std::vector<int>& fds) {
        return std::count_if(fds.begin(), fds.end(), [](int fd) { return ClosedByServer(fd); });
    };
    {
        // Those beyond the limit as soon as they are seen; the others keep a time no test
        // outlasts.
        InstanceServer server;
        server.SetClientTimeout(3600000);
        ASSERT_TRUE(server.Listen());
        std::vector<int> idle;
        for (int i = 0; i < 3 * kInstanceMaxClients; ++i) idle.push_back(ConnectRaw(path));
        ASSERT_TRUE(QTest::qWaitFor([&] { return closed(idle) >= 2 * kInstanceMaxClients; }, 30000));
        EXPECT_EQ(closed(idle), 2 * kInstanceMaxClients);
        for (const int fd : idle) ::close(fd);
    }
    // As many as are served at once: each is dropped when its time is up.
    InstanceServer server;
    server.SetClientTimeout(200);
    ASSERT_TRUE(server.Listen());
    std::vector<int> idle;
    for (int i = 0; i < kInstanceMaxClients; ++i) idle.push_back(ConnectRaw(path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed(idle) == kInstanceMaxClients; }, 30000));
    for (const int fd : idle) ::close(fd);
    QSignalSpy quit(&server, &InstanceServer::quitRequested);
    EXPECT_TRUE(SendToRunningCopy("quit"));
    EXPECT_TRUE(quit.wait(2000));
}

// With the socket's permissions loosened, another user's program may connect, but is not heard.
TEST(AppInstanceChannel, AnotherUsersWordsAreNotHeard) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to change user";
    test::IsolatedHome home;
    InstanceServer server;
    ASSERT_TRUE(server.Listen());
    const QByteArray path = QFile::encodeName(InstanceSocketPath());
    for (const std::string& open : {path.toStdString(), home.RuntimeFolder(), home.Dir().Path()})
        ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    QSignalSpy quit(&server, &InstanceServer::quitRequested);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::setgid(65534) == 0 && ::setuid(65534) == 0 ? ConnectRaw(path) : -1;
        // Dropped without its word acted on (a server that keeps listening is given up on).
        ::_exit(fd >= 0 && ::send(fd, "quit\n", 5, MSG_NOSIGNAL) == 5 && ClosedByServer(fd, 5000) ? 0 : 1);
    }
    int status = -1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 10000));
    EXPECT_EQ(status, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(quit.count(), 0);
    EXPECT_TRUE(SendToRunningCopy("quit"));  // the owner still is
    EXPECT_TRUE(quit.wait(2000));
}

}  // namespace
}  // namespace quillory::app
