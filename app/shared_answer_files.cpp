#include "app/shared_answer_files.h"

#include <poll.h>
#include <unistd.h>

namespace quillory::app {

namespace {

// A file this large held between answers would be memory spent on one rare answer.
constexpr size_t kKeptBytes = size_t{32} << 20;

// Whether the peer of `connection` has closed it (both directions): a client that has only
// finished sending its request has not.
bool PeerHasClosed(int connection) {
    pollfd p{connection, 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0;
}

}  // namespace

SharedAnswerFiles::~SharedAnswerFiles() {
    if (holder_ >= 0) ::close(holder_);
}

bool SharedAnswerFiles::Prepare() {
    const bool free = holder_ < 0 || PeerHasClosed(holder_);
    if (holder_ >= 0) ::close(holder_);
    holder_ = -1;
    for (auto& file : files_) {
        if (file && free && file->Valid()) {
            file->Clear();
        } else {
            file = std::make_unique<SharedMemoryFile>();
        }
    }
    for (const auto& file : files_) {
        if (!file->Valid()) return false;
    }
    return true;
}

void SharedAnswerFiles::HeldBy(int connection) {
    if (holder_ >= 0) ::close(holder_);
    holder_ = connection;
    for (auto& file : files_) {
        if (file && file->Capacity() > kKeptBytes) file.reset();
    }
}

}  // namespace quillory::app
