#include "platform/background_file_writer.h"

#include <system_error>
#include <utility>

namespace quillory {

BackgroundFileWriter::BackgroundFileWriter(AtomicFileWriter& file) : file_(file) {
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread: Write writes on the caller's thread.
    }
}

BackgroundFileWriter::~BackgroundFileWriter() {
    {
        const std::lock_guard lock(mutex_);
        abandon_ = true;
    }
    Stop();
}

void BackgroundFileWriter::Stop() noexcept {
    {
        const std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void BackgroundFileWriter::Write(std::string& buffer) {
    if (!thread_.joinable()) {
        if (error_) std::rethrow_exception(error_);
        file_.Write(buffer);
        buffer.clear();
        return;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !hasPending_ || error_; });
    if (error_) std::rethrow_exception(error_);
    pending_.swap(buffer);
    hasPending_ = true;
    lock.unlock();
    changed_.notify_all();
}

void BackgroundFileWriter::Finish() {
    Stop();
    if (error_) std::rethrow_exception(error_);
}

void BackgroundFileWriter::Run() noexcept {
    std::string writing;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return hasPending_ || finishing_; });
            if (!hasPending_ || abandon_) return;
            // The buffer written last goes back, emptied, for the caller to fill next.
            writing.swap(pending_);
            hasPending_ = false;
        }
        changed_.notify_all();
        try {
            file_.Write(writing);
            file_.StartWriteback();
            writing.clear();
        } catch (...) {
            {
                const std::lock_guard lock(mutex_);
                error_ = std::current_exception();
            }
            changed_.notify_all();
            return;
        }
    }
}

}  // namespace quillory
