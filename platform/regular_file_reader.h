#pragma once
// Reading a regular file front to back. Opening never blocks: a named pipe, a device or a
// folder given where a file is expected is refused at once with a clear message instead of
// waiting forever for a writer.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillory {

class RegularFileReader {
  public:
    // Throws Error "Cannot open file "<path>". <reason>" when the file cannot be opened or is
    // not a regular file ("Not a regular file").
    explicit RegularFileReader(const std::string& path);
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader&) = delete;
    RegularFileReader& operator=(const RegularFileReader&) = delete;

    // The size when the file was opened.
    uint64_t Size() const { return size_; }

    // Reads up to `n` bytes into `buffer`; 0 at the end of the file. Throws Error
    // "Stream read error: <reason>" when the system refuses the read.
    size_t Read(char* buffer, size_t n);

  private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

}  // namespace quillory
