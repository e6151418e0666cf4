#include "platform/local_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"

namespace quillory {

namespace {

using Clock = LocalSocketConnection::Clock;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyNow()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` on `fd` until `deadline`; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, MsLeft(deadline));
        if (ready > 0) return true;
        if (ready == 0) return false;
        if (errno != EINTR) return false;
    }
}

int Connect(const std::string& path, Clock::time_point deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size());
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

void LocalSocketConnection::KeepDescriptors(msghdr& message) {
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
        const size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
            if (receivedFd_ >= 0) ::close(receivedFd_);
            receivedFd_ = fd;
        }
    }
}

LocalSocketConnection::LocalSocketConnection(const std::string& path, Clock::time_point deadline)
    : fd_(Connect(path, deadline)) {}

LocalSocketConnection::~LocalSocketConnection() {
    if (receivedFd_ >= 0) ::close(receivedFd_);
    if (fd_ >= 0) ::close(fd_);
}

int LocalSocketConnection::TakeDescriptor() {
    const int fd = receivedFd_;
    receivedFd_ = -1;
    return fd;
}

bool LocalSocketConnection::SendAll(std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd_, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

void LocalSocketConnection::FinishSending() {
    ::shutdown(fd_, SHUT_WR);
}

size_t LocalSocketConnection::ReadSome(char* buffer, size_t size, Clock::time_point deadline) {
    for (;;) {
        // Room for descriptors the peer may send along; the last one is kept (KeepDescriptors).
        alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))];
        iovec part{buffer, size};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        const ssize_t got = ::recvmsg(fd_, &message, MSG_CMSG_CLOEXEC);
        if (got >= 0) KeepDescriptors(message);
        if (got > 0) return static_cast<size_t>(got);
        if (got == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return 0;
        if (!WaitFor(fd_, POLLIN, deadline)) return 0;
    }
}

bool LocalSocketConnection::ReadExactly(char* buffer, size_t size, int progressMs) {
    while (size > 0) {
        const size_t got = ReadSome(buffer, size, SteadyNow() + std::chrono::milliseconds(progressMs));
        if (got == 0) return false;
        buffer += got;
        size -= got;
    }
    return true;
}

long SendWithDescriptor(int fd, std::string_view bytes, int passed, int progressMs) {
    for (;;) {
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
        iovec part{const_cast<char*>(bytes.data()), bytes.size()};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &passed, sizeof(int));
        const ssize_t n = ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) return static_cast<long>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, progressMs) > 0 && (p.revents & POLLOUT)) continue;
        }
        return -1;
    }
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
