#pragma once
// Writes a file's content on a thread of its own, in the order it is handed over: the caller
// encodes the next buffer while the system copies the previous one into the file, so that the
// two overlap instead of taking turns. Three buffers go round, so nothing is allocated once
// they have grown to their working size.

#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "platform/atomic_file.h"

namespace quillory {

class BackgroundFileWriter {
  public:
    // Starts the writing thread; when no thread can be had, every Write writes at once on the
    // caller's thread instead.
    explicit BackgroundFileWriter(AtomicFileWriter& file);
    // Waits for the thread. Buffers not yet written are dropped silently: a writer destroyed
    // without Finish belongs to a save that failed, whose file is never committed.
    ~BackgroundFileWriter();
    BackgroundFileWriter(const BackgroundFileWriter&) = delete;
    BackgroundFileWriter& operator=(const BackgroundFileWriter&) = delete;

    // Hands `buffer` over for writing and leaves an empty buffer in its place (one written
    // before, its capacity kept). Waits while the previous buffer has not been taken up yet.
    // Throws the error of an earlier write (Error "Stream write error: <reason>").
    void Write(std::string& buffer);

    // Waits until everything handed over is written. Throws the first write error.
    void Finish();

  private:
    void Run() noexcept;
    void Stop() noexcept;

    AtomicFileWriter& file_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string pending_;  // handed over, not yet taken up by the thread
    bool hasPending_ = false;
    bool finishing_ = false;
    bool abandon_ = false;
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace quillory
