#include "platform/local_socket.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"
#include "platform/peer_credentials.h"

namespace quillory {

namespace {

using Clock = LocalSocketConnection::Clock;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyNow()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The largest send buffer asked for; the system caps it at what it allows.
constexpr int kLargestSendBuffer = 4 << 20;

// Waits for `events` on `fd` until `deadline`; false on timeout or error, and once `stopFd`
// (when not -1) is readable.
bool WaitFor(int fd, short events, Clock::time_point deadline, int stopFd = -1) {
    for (;;) {
        pollfd p[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
        const int ready = ::poll(p, stopFd >= 0 ? 2 : 1, MsLeft(deadline));
        if (ready > 0) return p[1].revents == 0;
        if (ready == 0) return false;
        if (errno != EINTR) return false;
    }
}

bool Address(const std::string& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

int Connect(const std::string& path, Clock::time_point deadline) {
    sockaddr_un address;
    if (!Address(path, address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return fd;
    // A full backlog: the peer is there but behind; wait as long as the deadline allows.
    if ((errno == EAGAIN || errno == EINPROGRESS) && WaitFor(fd, POLLOUT, deadline)) {
        int error = 0;
        socklen_t size = sizeof(error);
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace

LocalSocketConnection::LocalSocketConnection(const std::string& path, Clock::time_point deadline)
    : fd_(Connect(path, deadline)) {}

LocalSocketConnection::~LocalSocketConnection() {
    if (fd_ >= 0) ::close(fd_);
}

bool LocalSocketConnection::WaitFor(short events, Clock::time_point deadline) const {
    return quillory::WaitFor(fd_, events, deadline, stopFd_);
}

long LocalSocketConnection::SendAvailable(std::string_view bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            return -1;
        }
    }
    return static_cast<long>(sent);
}

bool LocalSocketConnection::SendAll(std::string_view bytes, Clock::time_point deadline) {
    for (;;) {
        const long sent = SendAvailable(bytes);
        if (sent < 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
        if (bytes.empty()) return true;
        if (!WaitFor(POLLOUT, deadline)) return false;
    }
}

void LocalSocketConnection::FinishSending() {
    ::shutdown(fd_, SHUT_WR);
}

void LocalSocketConnection::EnlargeSendBuffer() {
    const int bytes = kLargestSendBuffer;
    ::setsockopt(fd_, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof(bytes));
}

long LocalSocketConnection::ReadSome(char* buffer, size_t size, Clock::time_point deadline) {
    for (;;) {
        const ssize_t got = ::recv(fd_, buffer, size, 0);
        if (got >= 0) return static_cast<long>(got);
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
        if (!WaitFor(POLLIN, deadline)) return -1;
    }
}

bool LocalSocketConnection::ReadExactly(char* buffer, size_t size, int progressMs) {
    while (size > 0) {
        const long got = ReadSome(buffer, size, SteadyNow() + std::chrono::milliseconds(progressMs));
        if (got <= 0) return false;
        buffer += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

LocalSocketServer::~LocalSocketServer() {
    Close();
}

bool LocalSocketServer::Listen(const std::string& path, std::string& error) {
    if (listenFd_ >= 0) return true;
    sockaddr_un address;
    if (!Address(path, address)) {
        error = "The socket path is too long: " + path;
        return false;
    }
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        // Anything but a socket is not ours to delete.
        if (!S_ISSOCK(existing.st_mode)) {
            error = path + " exists and is not a socket";
            return false;
        }
        ::unlink(path.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // User-only; the runtime folder is private anyway, and every connection's user is checked.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(path.c_str(), 0600) != 0 || ::listen(fd, 16) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return false;
    }
    stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd_ < 0) {
        error = std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    listenFd_ = fd;
    path_ = path;
    return true;
}

std::unique_ptr<LocalSocketConnection> LocalSocketServer::Accept() {
    while (listenFd_ >= 0) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return nullptr;
        }
        if (fds[1].revents) return nullptr;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) continue;
        // The folder is private already; a connection of another user gets no answer at all.
        if (PeerIsSameUser(fd))
            return std::unique_ptr<LocalSocketConnection>(new LocalSocketConnection(fd, stopFd_));
        ::close(fd);
    }
    return nullptr;
}

void LocalSocketServer::Stop() {
    const uint64_t one = 1;
    if (stopFd_ >= 0) (void)!::write(stopFd_, &one, sizeof(one));
}

void LocalSocketServer::Close() {
    if (listenFd_ < 0) return;
    ::close(listenFd_);
    ::close(stopFd_);
    listenFd_ = stopFd_ = -1;
    ::unlink(path_.c_str());
}

std::string UserRuntimeFolder() {
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        folder = runtime;
    } else {
        folder = "/run/user/" + std::to_string(::getuid());
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::string();
    }
    if (folder.back() != '/') folder.push_back('/');
    return folder;
}

}  // namespace quillory
