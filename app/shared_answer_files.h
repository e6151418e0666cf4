#pragma once
// The files in memory a search answer is written into for a client that takes shared blocks:
// one per part of the catalogue (the parts are formatted on two threads at once). They are
// kept from one answer to the next, so their memory is written again instead of taken and
// zeroed anew. A client may read an answer's files until it ends its connection: they are
// used again only once it has; otherwise the next answer takes new ones and leaves the old
// ones to the client.

#include <array>
#include <cstddef>
#include <memory>

#include "platform/shared_memory_file.h"

namespace quillory::app {

class SharedAnswerFiles {
  public:
    static constexpr size_t kParts = 2;

    SharedAnswerFiles() = default;
    ~SharedAnswerFiles();
    SharedAnswerFiles(const SharedAnswerFiles&) = delete;
    SharedAnswerFiles& operator=(const SharedAnswerFiles&) = delete;

    // Empty files for the next answer. False when the system gives none (the answer then
    // goes through the socket).
    bool Prepare();
    SharedMemoryFile& Part(size_t part) { return *files_[part]; }
    // The files now belong to the client of `connection` until it ends it: the connection is
    // taken, and closed when the next answer is prepared. Files grown beyond what is worth
    // keeping are let go now (the client holds its own reference).
    void HeldBy(int connection);

  private:
    std::array<std::unique_ptr<SharedMemoryFile>, kParts> files_;
    int holder_ = -1;
};

}  // namespace quillory::app
