#include "platform/peer_credentials.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

TEST(PlatformPeerCredentials, ConnectedPairIsTheSameUser) {
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    Fd a{pair[0]}, b{pair[1]};
    ASSERT_TRUE(PeerUserId(a.fd).has_value());
    EXPECT_EQ(*PeerUserId(a.fd), ::geteuid());
    EXPECT_TRUE(PeerIsSameUser(a.fd));
    EXPECT_TRUE(PeerIsSameUser(b.fd));
}

TEST(PlatformPeerCredentials, NoPeerIsNeverTheSameUser) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    Fd r{pipeFds[0]}, w{pipeFds[1]};
    EXPECT_FALSE(PeerUserId(r.fd).has_value());
    EXPECT_FALSE(PeerIsSameUser(r.fd));
    Fd unconnected{::socket(AF_UNIX, SOCK_STREAM, 0)};
    ASSERT_GE(unconnected.fd, 0);
    EXPECT_FALSE(PeerIsSameUser(unconnected.fd));
    EXPECT_FALSE(PeerIsSameUser(-1));
}

// Only a process that may change its user can make a connection from another one.
TEST(PlatformPeerCredentials, ConnectionFromAnotherUserIsRecognised) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to change user";
    test::TempDir dir;
    const std::string path = dir / "socket";
    Fd server{::socket(AF_UNIX, SOCK_STREAM, 0)};
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    std::memcpy(address.sun_path, path.c_str(), path.size());
    ASSERT_EQ(::bind(server.fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(::listen(server.fd, 1), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) ::_exit(4);
        char byte = 0;
        (void)!::read(fd, &byte, 1);  // until the parent has looked
        ::_exit(0);
    }
    Fd accepted{::accept(server.fd, nullptr, nullptr)};
    ASSERT_GE(accepted.fd, 0);
    EXPECT_EQ(PeerUserId(accepted.fd), std::optional<uid_t>(65534));
    EXPECT_FALSE(PeerIsSameUser(accepted.fd));
    ::close(accepted.fd);
    accepted.fd = -1;
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace quillory
