#pragma once
// The search channel's answer on its way to the client (command/search_channel.h): blocks of
// output are added as they are formatted and go out at once as far as the socket takes them,
// without ever waiting, so formatting under the catalogue's shared hold overlaps the
// client's reading and is never held up by it. What the socket did not take waits here, and
// is sent once the hold is let go. Every wait for the client ends at the answer's deadline
// or at once when the server is asked to stop: a client that reads slowly, or not at all,
// holds the server's end for a few seconds at most.

#include <chrono>
#include <deque>
#include <string>
#include <string_view>

namespace quillory {
class SharedMemoryFile;
}

namespace quillory::app {

// How long sending to a client may wait for it to make room.
struct SendWait {
    std::chrono::steady_clock::time_point deadline;
    // Readable once the sending must end at once (an event descriptor); -1 for none.
    int stopFd = -1;
};

// Sends `bytes` on the non-blocking connection `fd` as far as the socket takes them; given
// `wait`, it waits for room each time the socket is full, without, never. Returns how many
// bytes went, or -1 once the client has gone, or the wait ended (deadline, stop) first.
long SendAvailable(int fd, std::string_view bytes, const SendWait* wait);

class AnswerStream {
  public:
    // `fd`: the connection, non-blocking; the caller closes it.
    explicit AnswerStream(int fd) : fd_(fd) {}

    // Adds a block of output (taken from `block`) and sends what the socket takes now.
    // False once the client has gone (nothing more needs formatting).
    bool AddBlock(std::string& block);
    // Sends everything added so far and then `file`'s bytes as a shared block: a read-only
    // descriptor of the file goes with the block's marker (or, when none can be opened, the
    // bytes go as blocks). False once the client has gone or did not take it within `wait`.
    bool SendSharedFile(SharedMemoryFile& file, const SendWait& wait);
    // Adds the end of the answer and sends everything left; false when the client did not
    // take it all within `wait`.
    bool Finish(std::string_view end, const SendWait& wait);

    bool Failed() const { return failed_; }
    // Whether any byte of the output has gone to the socket (the answer can no longer be
    // replaced by another one).
    bool Began() const { return began_; }
    // Bytes waiting for the socket (for tests).
    size_t Waiting() const;

  private:
    void Add(std::string piece);
    // Sends pieces while the socket takes them; waits for room only given `wait`.
    bool Flush(const SendWait* wait);

    int fd_;
    std::deque<std::string> pieces_;
    size_t sentOfFront_ = 0;
    bool failed_ = false;
    bool began_ = false;
};

}  // namespace quillory::app
