#pragma once
// A client's stream connection to a local (Unix domain) socket, with deadlines on every wait:
// a peer that is slow, stopped or gone never blocks the caller past its deadline.

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

struct msghdr;

namespace quillory {

class LocalSocketConnection {
  public:
    using Clock = std::chrono::steady_clock;

    // Connects to the socket at `path`, waiting for a full backlog until `deadline`;
    // Connected() is false when nothing answers.
    LocalSocketConnection(const std::string& path, Clock::time_point deadline);
    ~LocalSocketConnection();
    LocalSocketConnection(const LocalSocketConnection&) = delete;
    LocalSocketConnection& operator=(const LocalSocketConnection&) = delete;

    bool Connected() const { return fd_ >= 0; }
    // The connected socket (still owned here), e.g. to ask who is at the other end.
    int Descriptor() const { return fd_; }
    // Sends every byte before `deadline`; false when that fails.
    bool SendAll(std::string_view bytes, Clock::time_point deadline);
    // Tells the peer that nothing more will be sent.
    void FinishSending();
    // Reads up to `size` bytes (at least one) before the deadline; 0 at the end of the stream,
    // on timeout or on an error.
    size_t ReadSome(char* buffer, size_t size, Clock::time_point deadline);
    // Reads exactly `size` bytes, allowing `progressMs` for each part; false when they do not
    // all come.
    bool ReadExactly(char* buffer, size_t size, int progressMs);
    // The descriptor the peer sent with the bytes read last (the caller owns it from now
    // on), or -1. A descriptor not taken before the next one comes is closed.
    int TakeDescriptor();

  private:
    void KeepDescriptors(msghdr& message);

    int fd_ = -1;
    int receivedFd_ = -1;
};

// Sends the first of `bytes` (at least one) on the connected socket `fd` with the descriptor
// `passed` attached (the caller keeps its own), waiting up to `progressMs` for room. Returns
// how many bytes went, or -1 once the peer has gone or made no room in time.
long SendWithDescriptor(int fd, std::string_view bytes, int passed, int progressMs);

// The user's runtime folder: $XDG_RUNTIME_DIR, else /run/user/<uid> when it exists, else
// empty. It ends with "/" unless empty.
std::string UserRuntimeFolder();

}  // namespace quillory
