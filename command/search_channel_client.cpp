#include "command/search_channel_client.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "platform/error.h"

namespace quillory::cli {

namespace {

using Clock = std::chrono::steady_clock;

// A status line is one short line; anything longer is not an answer of ours.
constexpr uint32_t kMaxStatusBytes = 64 * 1024;

class Connection {
  public:
    explicit Connection(int fd) : fd_(fd) {}
    ~Connection() {
        if (fd_ >= 0) ::close(fd_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    int Fd() const { return fd_; }

  private:
    int fd_;
};

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
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

bool SendAll(int fd, std::string_view bytes, Clock::time_point deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<size_t>(sent));
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fd, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Reads up to `size` bytes (at least one) before the deadline; 0 at the end of the answer or
// on timeout or error.
size_t ReadSome(int fd, char* buffer, size_t size, Clock::time_point deadline) {
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, size, 0);
        if (got > 0) return static_cast<size_t>(got);
        if (got == 0) return 0;
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return 0;
        if (!WaitFor(fd, POLLIN, deadline)) return 0;
    }
}

bool ReadExactly(int fd, char* buffer, size_t size, int progressMs) {
    while (size > 0) {
        const size_t got = ReadSome(fd, buffer, size, Clock::now() + std::chrono::milliseconds(progressMs));
        if (got == 0) return false;
        buffer += got;
        size -= got;
    }
    return true;
}

int Connect(const std::string& path, Clock::time_point deadline) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof(address.sun_path)) return -1;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return fd;
    // A full backlog: the program is there but behind; wait as long as the first byte may take.
    if ((errno == EAGAIN || errno == EINPROGRESS) && WaitFor(fd, POLLOUT, deadline)) {
        int error = 0;
        socklen_t size = sizeof(error);
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0) return fd;
    }
    ::close(fd);
    return -1;
}

}  // namespace

std::string SearchChannelSocketPath() {
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        folder = runtime;
    } else {
        folder = "/run/user/" + std::to_string(::getuid());
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::string();
    }
    if (folder.back() != '/') folder.push_back('/');
    return folder + std::string(kSearchChannelSocketName);
}

std::optional<int> AskRunningProgram(const std::string& socketPath, const ChannelRequest& request,
                                     std::ostream& out, std::ostream& err, ChannelTimeouts timeouts) {
    const std::string frame = EncodeRequest(request);
    if (frame.size() > kMaxRequestBytes) return std::nullopt;
    const Clock::time_point firstByteDeadline =
        Clock::now() + std::chrono::milliseconds(timeouts.firstByteMs);
    const Connection connection(Connect(socketPath, firstByteDeadline));
    const int fd = connection.Fd();
    if (fd < 0) return std::nullopt;
    if (!SendAll(fd, frame, firstByteDeadline)) return std::nullopt;
    // No more requests on this connection: a server waiting for more bytes sees the end.
    ::shutdown(fd, SHUT_WR);

    char kind = 0;
    if (ReadSome(fd, &kind, 1, firstByteDeadline) != 1 || kind != kAnswerRunning) return std::nullopt;
    char headerBytes[kAnswerHeaderBytes];
    if (!ReadExactly(fd, headerBytes, sizeof(headerBytes), timeouts.progressMs)) return std::nullopt;
    const AnswerHeader header = DecodeAnswerHeader(std::string_view(headerBytes, sizeof(headerBytes)));
    if (header.errBytes > kMaxStatusBytes) return std::nullopt;
    std::string status(header.errBytes, '\0');
    if (!ReadExactly(fd, status.data(), status.size(), timeouts.progressMs)) return std::nullopt;

    // From here on the output goes out as it arrives.
    char buffer[64 * 1024];
    uint64_t left = header.outBytes;
    while (left > 0) {
        const size_t want = left < sizeof(buffer) ? static_cast<size_t>(left) : sizeof(buffer);
        const size_t got =
            ReadSome(fd, buffer, want, Clock::now() + std::chrono::milliseconds(timeouts.progressMs));
        if (got == 0) throw Error("The running program stopped answering; the output is incomplete");
        out.write(buffer, static_cast<std::streamsize>(got));
        left -= got;
    }
    out.flush();
    err << status;
    if (!out) throw Error("Cannot write the output");
    return static_cast<int>(header.exitStatus);
}

}  // namespace quillory::cli
