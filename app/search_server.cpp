#include "app/search_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/answer_stream.h"
#include "command/catalogue_keeper.h"
#include "app/instance_channel.h"
#include "command/command_status.h"
#include "command/search_channel.h"
#include "command/search_command.h"
#include "platform/peer_credentials.h"
#include "platform/shared_memory_file.h"

namespace quillory::app {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLargestSendBuffer = 4 << 20;

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Sends everything or gives up: a client that does not take it all in time is dropped.
bool SendAll(int fd, std::string_view bytes, const SendWait& wait) {
    return SendAvailable(fd, bytes, &wait) == static_cast<long>(bytes.size());
}

// Whether both paths name the same file (or, for files that do not exist, the same text).
bool SameFile(const std::string& a, const std::string& b) {
    struct stat infoA {};
    struct stat infoB {};
    if (::stat(a.c_str(), &infoA) == 0 && ::stat(b.c_str(), &infoB) == 0) {
        return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    }
    return a == b;
}

bool IsSocketFile(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

std::string SearchServerSocketPath() {
    return QFile::encodeName(InstanceSocketPath()).toStdString() + ".search";
}

SearchServer::SearchServer(CatalogueKeeper& keeper, std::string workingDatabasePath)
    : keeper_(keeper),
      workingDatabasePath_(std::move(workingDatabasePath)),
      environment_(cli::OutputEnvironment()),
      sorter_(Collation::FromEnvironment(CollationStrength::Tertiary)) {
    driver_.SetStopRequest(&stopSearch_);
    keeper_.SetReaderStop([this] { StopSearch(); });
}

SearchServer::~SearchServer() {
    Stop();
    keeper_.SetReaderStop(nullptr);
}

void SearchServer::StopSearch() {
    stopSearch_.store(true);
}

void SearchServer::BeginSearch() {
    {
        const std::lock_guard lock(searchMutex_);
        // Cleared before the catalogue is asked for: a stop asked for meanwhile is kept.
        stopSearch_.store(false);
        searching_.store(true);
        ++searchNumber_;
        searchDeadline_ = Clock::now() + std::chrono::milliseconds(searchBudgetMs_.load());
    }
    searchChanged_.notify_all();
}

void SearchServer::EndSearch() {
    {
        const std::lock_guard lock(searchMutex_);
        searching_.store(false);
    }
    searchChanged_.notify_all();
}

void SearchServer::WatchSearches(std::stop_token stop) {
    std::unique_lock lock(searchMutex_);
    while (!stop.stop_requested()) {
        if (!searching_.load()) {
            searchChanged_.wait(lock, stop, [this] { return searching_.load(); });
            continue;
        }
        const uint64_t number = searchNumber_;
        const auto over = [this, number] { return !searching_.load() || searchNumber_ != number; };
        if (searchChanged_.wait_until(lock, stop, searchDeadline_, over) || stop.stop_requested()) continue;
        // The budget is spent: the search ends (a stop set now only ever ends this search,
        // as the next one clears it under the same lock).
        stopSearch_.store(true);
        searchChanged_.wait(lock, stop, over);
    }
}

SendWait SearchServer::SendingWait() const {
    return {Clock::now() + std::chrono::milliseconds(sendMs_), wakeFd_};
}

bool SearchServer::Listen(const std::string& socketPath, std::string* error) {
    const auto fail = [error](const std::string& reason) {
        if (error) {
            *error = reason;
        } else {
            std::fprintf(stderr, "quillory: %s\n", reason.c_str());
        }
        return false;
    };
    if (listenFd_ >= 0) return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.empty() || socketPath.size() >= sizeof(address.sun_path)) {
        return fail("The socket path is too long: " + socketPath);
    }
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size());
    struct stat existing {};
    if (::lstat(socketPath.c_str(), &existing) == 0) {
        // Anything but a socket is not ours to delete.
        if (!IsSocketFile(socketPath)) return fail(socketPath + " exists and is not a socket");
        ::unlink(socketPath.c_str());
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return fail(std::strerror(errno));
    // User-only; the runtime folder is private anyway, and every connection's user is checked.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(socketPath.c_str(), 0600) != 0 || ::listen(fd, 16) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(fd);
        return fail(socketPath + ": " + reason);
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        ::close(fd);
        ::unlink(socketPath.c_str());
        return fail(std::strerror(errno));
    }
    listenFd_ = fd;
    socketPath_ = socketPath;
    watch_ = std::jthread([this](std::stop_token stop) { WatchSearches(stop); });
    worker_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
    return true;
}

void SearchServer::Stop() {
    if (listenFd_ < 0) return;
    worker_.request_stop();
    // Ends the search, and every wait for a client, at once.
    StopSearch();
    const uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof(one));
    if (worker_.joinable()) worker_.join();
    watch_.request_stop();
    if (watch_.joinable()) watch_.join();
    ::close(listenFd_);
    ::close(wakeFd_);
    listenFd_ = wakeFd_ = -1;
    // Only the file this server made: a later copy may have taken the name meanwhile.
    ::unlink(socketPath_.c_str());
}

void SearchServer::Serve(std::stop_token stop) {
    while (!stop.stop_requested()) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) continue;
        // The folder is private already; a connection of another user gets no answer at all.
        if (!PeerIsSameUser(fd) || !Answer(fd)) ::close(fd);
    }
}

bool SearchServer::Answer(int fd) {
    std::string bytes;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(requestMs_);
    cli::ChannelRequest unused;
    for (;;) {
        const cli::DecodeStatus status = cli::DecodeRequest(bytes, unused);
        if (status == cli::DecodeStatus::Complete) break;
        if (status == cli::DecodeStatus::TooLarge) {
            SendAll(fd, cli::EncodeErrorAnswer("The request is larger than the limit"), SendingWait());
            ++answered_;
            return false;
        }
        if (status == cli::DecodeStatus::Invalid) {
            SendAll(fd, cli::EncodeErrorAnswer("The request is not a search request"), SendingWait());
            ++answered_;
            return false;
        }
        char buffer[16 * 1024];
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got > 0) {
            bytes.append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got == 0) {  // the client ended before a whole request
            SendAll(fd, cli::EncodeErrorAnswer("The request is incomplete"), SendingWait());
            ++answered_;
            return false;
        }
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
        // Too slow, or the server ends: dropped without an answer.
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        const int left = MsLeft(deadline);
        if (left == 0 || ::poll(fds, 2, left) <= 0 || fds[1].revents != 0) return false;
    }
    const bool kept = Search(fd, bytes);
    ++answered_;
    return kept;
}

bool SearchServer::Search(int fd, const std::string& requestBytes) {
    cli::ChannelRequest request;
    cli::DecodeRequest(requestBytes, request);
    const std::string busy(1, cli::kAnswerBusy);
    // Another file, or settings that would sort or format otherwise: the client reads the file.
    if (request.environment != environment_ || !SameFile(request.databasePath, workingDatabasePath_)) {
        SendAll(fd, busy, SendingWait());
        return false;
    }
    cli::SearchRequest search;
    try {
        search = cli::ParseSearchArguments(request.args);
    } catch (const cli::UsageError& e) {
        SendAll(fd, cli::EncodeErrorAnswer(e.what()), SendingWait());
        return false;
    }

    // The socket holds as much of the answer as the system allows one (the request is advice,
    // capped by the system): a large answer then goes out in a few sends instead of waiting
    // for the client to read every couple of hundred kilobytes.
    const int sendBuffer = kLargestSendBuffer;
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof(sendBuffer));
    // Shared files take the output when the client can read them; otherwise it goes through
    // the socket.
    const bool shared = request.takesSharedBlocks && sharedFiles_.Prepare();
    // A stopped search's output is incomplete: no more of it is formatted.
    const cli::OutputBlockSink toFirstFile = [this](std::string& block) {
        return !stopSearch_.load(std::memory_order_relaxed) && sharedFiles_.Part(0).Append(block);
    };
    const cli::OutputBlockSink toSecondFile = [this](std::string& block) {
        return !stopSearch_.load(std::memory_order_relaxed) && sharedFiles_.Part(1).Append(block);
    };
    // Search, sort and format run under the shared hold, with the catalogue's own entries
    // (no copies): CPU work bounded by the answer's size, a few milliseconds, or as long as
    // the budget allows a costly search. Streamed blocks go out as far as the socket takes
    // them without waiting; the rest, and shared files, are sent after the hold.
    AnswerStream stream(fd);
    std::string statusText;
    int exitStatus = cli::kExitError;
    bool started = false;
    bool formatted = false;
    // Stopped while the search held the catalogue, with no output gone: the answer is "busy".
    bool stopped = false;
    BeginSearch();
    const bool searched = keeper_.TryRead([&](const Catalogue& catalogue) {
        if (stopSearch_.load()) {
            stopped = true;
            return;
        }
        // One byte to an empty socket never waits; the client now allows the search its time.
        started = SendAvailable(fd, std::string(1, cli::kAnswerRunning), nullptr) == 1;
        if (!started) return;
        try {
            // The output is sent as it comes only once the search behind it is whole: until
            // its first byte has gone, a stop still turns the answer into "busy".
            const cli::OutputBlockSink toSocket = [this, &stream](std::string& block) {
                if (!stream.Began() && stopSearch_.load(std::memory_order_relaxed)) return false;
                return stream.AddBlock(block);
            };
            exitStatus = cli::AnswerFromCatalogue(
                search, catalogue.Entries, catalogue.CurrentNames(search.search.CaseSensitive),
                &catalogue.Ranks, sorter_, driver_, request.outputIsTerminal, shared ? toFirstFile : toSocket,
                statusText, shared ? &toSecondFile : nullptr);
            formatted = exitStatus != cli::kExitError;
        } catch (const std::exception&) {
            // The client sees the answer end early: before any output it reads the file.
        }
        stopped = stopSearch_.load() && !stream.Began();
    });
    EndSearch();
    if (!searched || (!started && stopped)) {
        SendAll(fd, busy, SendingWait());
        return false;
    }
    if (!started) return false;  // the client has gone
    if (stopped) {
        // After the answer's first byte: the stop's own mark, and the client reads the file.
        SendAll(fd, cli::EncodeBlockLength(cli::kSearchStoppedMarker), SendingWait());
        return false;
    }
    if (!formatted) return false;  // no file went out
    const SendWait wait = SendingWait();
    bool whole = true;
    for (size_t part = 0; shared && whole && part < SharedAnswerFiles::kParts; ++part) {
        SharedMemoryFile& file = sharedFiles_.Part(part);
        whole = file.Size() == 0 || stream.SendSharedFile(file, wait);
    }
    if (whole)
        stream.Finish(cli::EncodeAnswerEnd(static_cast<uint32_t>(exitStatus), statusText + "\n"), wait);
    if (!shared) return false;
    // The client may read the files it got until it ends the connection, whole answer or not.
    sharedFiles_.HeldBy(fd);
    return true;
}

}  // namespace quillory::app
