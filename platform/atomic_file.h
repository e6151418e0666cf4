#pragma once
// Replaces a file without ever leaving it half written: the new content goes to a temporary
// file beside the target, is flushed to disk and then renamed over the target. Until Commit
// succeeds the target is untouched; a writer destroyed without a successful Commit removes
// its temporary file.

#include <string>
#include <string_view>

namespace quillory {

class AtomicFileWriter {
  public:
    // Creates the temporary file. Throws Error "Cannot create file "<path>". <reason>".
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Throws Error "Stream write error" when the bytes cannot be written.
    void Write(std::string_view bytes);
    // Flushes, closes and renames over the target. Throws Error ("Stream write error" when
    // the data cannot be flushed, "Cannot create file ..." when the rename is refused).
    void Commit();

    const std::string& TemporaryPath() const { return tempPath_; }

  private:
    void Discard() noexcept;

    std::string target_;
    std::string tempPath_;
    int fd_ = -1;
};

}  // namespace quillory
