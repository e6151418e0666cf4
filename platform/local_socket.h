#pragma once
// Stream connections over local (Unix domain) sockets, with deadlines on every wait: a peer
// that is slow, stopped or gone never blocks either end past its deadline. A server answers
// its connections on one thread; stopping it, from any thread, ends each of its waits at
// once. It lets in processes of its own user only: the socket file is user-only, and the
// credentials of every connection are checked besides.

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

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
    // Sends as much of `bytes` as the socket takes now, without waiting: how many bytes went,
    // or -1 once the peer has gone.
    long SendAvailable(std::string_view bytes);
    // Tells the peer that nothing more will be sent.
    void FinishSending();
    // Asks for as large a send buffer as the system allows one socket (it caps the request):
    // a large answer then goes out in a few sends instead of one per couple of hundred
    // kilobytes the peer reads.
    void EnlargeSendBuffer();
    // Reads up to `size` bytes (at least one) before the deadline: how many came, 0 at the end
    // of the stream, -1 at the deadline, on an error or once the server stops.
    long ReadSome(char* buffer, size_t size, Clock::time_point deadline);
    // Reads exactly `size` bytes, allowing `progressMs` for each part; false when they do not
    // all come.
    bool ReadExactly(char* buffer, size_t size, int progressMs);

  private:
    friend class LocalSocketServer;
    // An accepted connection of the server whose stop makes `stopFd` readable.
    LocalSocketConnection(int fd, int stopFd) : fd_(fd), stopFd_(stopFd) {}
    bool WaitFor(short events, Clock::time_point deadline) const;

    int fd_ = -1;
    int stopFd_ = -1;
};

class LocalSocketServer {
  public:
    LocalSocketServer() = default;
    // Close().
    ~LocalSocketServer();
    LocalSocketServer(const LocalSocketServer&) = delete;
    LocalSocketServer& operator=(const LocalSocketServer&) = delete;

    // Listens at `path` (user-only, up to 16 connections waiting). A socket file already there
    // is replaced; anything else there is left alone. False with the reason in `error`.
    bool Listen(const std::string& path, std::string& error);
    bool Listening() const { return listenFd_ >= 0; }
    // Waits for the next connection of a process of this user (one of another user is closed
    // unanswered); nullptr once the server is stopped.
    std::unique_ptr<LocalSocketConnection> Accept();
    // From any thread: ends Accept and every wait of the accepted connections at once, and for
    // good.
    void Stop();
    // Stops listening and removes the socket file, once no thread waits on the server.
    void Close();

  private:
    int listenFd_ = -1;
    int stopFd_ = -1;
    std::string path_;
};

// The user's runtime folder: $XDG_RUNTIME_DIR, else /run/user/<uid> when it exists, else
// empty. It ends with "/" unless empty.
std::string UserRuntimeFolder();

}  // namespace quillory
