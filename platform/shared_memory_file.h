#pragma once
// A file that lives in memory only, written through a mapping and handed to another process
// of the same user by a read-only descriptor: the other process reads the bytes where they
// lie instead of receiving a copy of them through a socket.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillory {

class SharedMemoryFile {
  public:
    // An empty file; Valid() is false when the system gives none.
    SharedMemoryFile();
    ~SharedMemoryFile();
    SharedMemoryFile(const SharedMemoryFile&) = delete;
    SharedMemoryFile& operator=(const SharedMemoryFile&) = delete;

    bool Valid() const { return fd_ >= 0; }
    // Appends `bytes`, growing the file as needed; false when it cannot grow (out of memory),
    // with the bytes before them kept.
    bool Append(std::string_view bytes);
    size_t Size() const { return size_; }
    // The memory the file holds, written or not.
    size_t Capacity() const { return capacity_; }
    std::string_view Bytes() const;
    // Empties the file; its memory is kept, so it is written again without faulting pages in.
    void Clear() { size_ = 0; }
    // A new descriptor of the file that can only read it (close-on-exec), or -1. Through it
    // the reader can neither change the bytes nor shrink the file under the writer's mapping.
    int OpenReadOnly() const;

  private:
    bool Reserve(size_t bytes);

    int fd_ = -1;
    char* map_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
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
