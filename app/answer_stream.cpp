#include "app/answer_stream.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "command/search_channel.h"
#include "platform/clock.h"
#include "platform/local_socket.h"
#include "platform/shared_memory_file.h"

namespace quillory::app {

namespace {

// Waits until the socket `fd` has room; false at the deadline, at the stop or on an error.
bool WaitForRoom(int fd, const SendWait& wait) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(wait.deadline - SteadyNow());
        if (left.count() <= 0) return false;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wait.stopFd, POLLIN, 0}};
        const int ready =
            ::poll(fds, wait.stopFd >= 0 ? 2 : 1, static_cast<int>(std::min<int64_t>(left.count(), 60000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (wait.stopFd >= 0 && fds[1].revents != 0)) return false;
        if (fds[0].revents & POLLOUT) return true;
        if (fds[0].revents != 0) return false;  // gone
    }
}

}  // namespace

long SendAvailable(int fd, std::string_view bytes, const SendWait* wait) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (wait == nullptr) break;
            if (WaitForRoom(fd, *wait)) continue;
        }
        return -1;
    }
    return static_cast<long>(sent);
}

bool AnswerStream::SendSharedFile(SharedMemoryFile& file, const SendWait& wait) {
    if (failed_ || !Flush(&wait)) return false;
    const int readOnly = file.OpenReadOnly();
    if (readOnly < 0) {
        std::string bytes(file.Bytes());
        return AddBlock(bytes) && Flush(&wait);
    }
    const std::string marker = cli::EncodeSharedBlock(file.Size());
    // Room first, so the descriptor's send itself never waits.
    const long sent = WaitForRoom(fd_, wait) ? SendWithDescriptor(fd_, marker, readOnly, 0) : -1;
    // The socket holds its own reference to the file until the client takes it.
    ::close(readOnly);
    if (sent < 0) {
        failed_ = true;
        return false;
    }
    began_ = true;
    Add(marker.substr(static_cast<size_t>(sent)));
    return Flush(&wait);
}

void AnswerStream::Add(std::string piece) {
    if (!piece.empty()) pieces_.push_back(std::move(piece));
}

bool AnswerStream::AddBlock(std::string& block) {
    if (failed_) return false;
    // Blocks longer than the format allows go out in parts.
    std::string_view rest = block;
    while (!rest.empty()) {
        const size_t part = std::min<size_t>(rest.size(), cli::kMaxAnswerBlockBytes);
        Add(cli::EncodeBlockLength(static_cast<uint32_t>(part)));
        if (part == block.size()) {
            Add(std::move(block));
        } else {
            Add(std::string(rest.substr(0, part)));
        }
        rest.remove_prefix(part);
    }
    block.clear();
    return Flush(nullptr);
}

bool AnswerStream::Finish(std::string_view end, const SendWait& wait) {
    if (failed_) return false;
    Add(std::string(end));
    return Flush(&wait);
}

size_t AnswerStream::Waiting() const {
    size_t bytes = 0;
    for (const std::string& piece : pieces_) bytes += piece.size();
    return bytes - sentOfFront_;
}

bool AnswerStream::Flush(const SendWait* wait) {
    while (!pieces_.empty()) {
        const std::string& piece = pieces_.front();
        const long sent = SendAvailable(fd_, std::string_view(piece).substr(sentOfFront_), wait);
        if (sent < 0) {
            // Gone, or not taken in time: nothing more goes to this client.
            failed_ = true;
            pieces_.clear();
            sentOfFront_ = 0;
            return false;
        }
        if (sent > 0) began_ = true;
        sentOfFront_ += static_cast<size_t>(sent);
        if (sentOfFront_ < piece.size()) return true;  // the rest waits for the next chance
        pieces_.pop_front();
        sentOfFront_ = 0;
    }
    return true;
}

}  // namespace quillory::app
