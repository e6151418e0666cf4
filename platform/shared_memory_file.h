#pragma once
// A file that lives in memory only, written through a mapping and handed to another process
// of the same user by a read-only descriptor: the other process reads the bytes where they
// lie instead of receiving a copy of them through a socket.
//
// A descriptor handed out can be reopened for writing by any process of the same user
// (through /proc/<pid>/fd), whatever access it came with. So the file is sealed: it can never
// shrink (a write to the writer's mapping past a shortened end would end the writer's
// process), nothing but the writer's own mapping may write to it, and once handed out it
// cannot grow either. Access is user-only besides.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillory {

class SharedMemoryFile {
  public:
    // An empty file; Valid() is false when the system gives none (or cannot seal it).
    SharedMemoryFile();
    ~SharedMemoryFile();
    SharedMemoryFile(const SharedMemoryFile&) = delete;
    SharedMemoryFile& operator=(const SharedMemoryFile&) = delete;

    bool Valid() const { return fd_ >= 0; }
    // Appends `bytes`, growing the file as needed; false when it cannot grow (out of memory),
    // with the bytes before them kept. A file handed out is not grown: the bytes move to a
    // new, larger file, and the readers keep the old one as it was.
    bool Append(std::string_view bytes);
    size_t Size() const { return size_; }
    // The memory the file holds, written or not.
    size_t Capacity() const { return capacity_; }
    std::string_view Bytes() const;
    // Empties the file; its memory is kept, so it is written again without faulting pages in.
    void Clear() { size_ = 0; }
    // Hands the file out: a new descriptor of it that can only read it (close-on-exec), or
    // -1. From now on the file's length is fixed. A reader that reopens it for writing can
    // still neither change the bytes nor change its length.
    int OpenReadOnly();

  private:
    bool Reserve(size_t bytes);
    // Moves the bytes written so far to a new file of at least `capacity` bytes.
    bool MoveToNewFile(size_t capacity);

    int fd_ = -1;
    char* map_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
    bool handedOut_ = false;
};

// The first `size` bytes of the file `fd` (an open descriptor, not taken), mapped to be read.
// Empty when the file is shorter or cannot be mapped.
class ReadOnlyMapping {
  public:
    ReadOnlyMapping(int fd, uint64_t size);
    ~ReadOnlyMapping();
    ReadOnlyMapping(const ReadOnlyMapping&) = delete;
    ReadOnlyMapping& operator=(const ReadOnlyMapping&) = delete;

    bool Mapped() const { return data_ != nullptr; }
    std::string_view Bytes() const { return {data_, size_}; }

  private:
    const char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace quillory
