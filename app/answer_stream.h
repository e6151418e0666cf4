#pragma once
// The search channel's answer on its way to the client (command/search_channel.h): blocks of
// output are added as they are formatted and go out at once as far as the socket takes them,
// without ever waiting, so formatting under the catalogue's shared hold overlaps the
// client's reading and is never held up by it. What the socket did not take waits here, and
// Finish sends it with a deadline on each part, once the hold is let go.

#include <deque>
#include <string>
#include <string_view>

namespace quillory {
class SharedMemoryFile;
}

namespace quillory::app {

// Sends `bytes` on the non-blocking connection `fd` as far as the socket takes them; with
// progressMs >= 0 it waits up to that long for room each time the socket is full, with
// progressMs < 0 never. Returns how many bytes went, or -1 once the client has gone or
// made no progress within the wait.
long SendAvailable(int fd, std::string_view bytes, int progressMs);

class AnswerStream {
  public:
    // `fd`: the connection, non-blocking; the caller closes it.
    explicit AnswerStream(int fd) : fd_(fd) {}

    // Adds a block of output (taken from `block`) and sends what the socket takes now.
    // False once the client has gone (nothing more needs formatting).
    bool AddBlock(std::string& block);
    // Sends everything added so far and then `file`'s bytes as a shared block: a read-only
    // descriptor of the file goes with the block's marker (or, when none can be opened, the
    // bytes go as blocks). Allows the client `progressMs` for each part; false once it has
    // gone or did not take it.
    bool SendSharedFile(SharedMemoryFile& file, int progressMs);
    // Adds the end of the answer and sends everything left, allowing the client `progressMs`
    // for each part. False when the client did not take it all.
    bool Finish(std::string_view end, int progressMs);

    bool Failed() const { return failed_; }
    // Bytes waiting for the socket (for tests).
    size_t Waiting() const;

  private:
    void Add(std::string piece);
    // Sends pieces while the socket takes them; with progressMs < 0 it never waits.
    bool Flush(int progressMs);

    int fd_;
    std::deque<std::string> pieces_;
    size_t sentOfFront_ = 0;
    bool failed_ = false;
};

}  // namespace quillory::app
