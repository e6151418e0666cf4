#pragma once
// Replaces a file without ever leaving it half written: the new content goes to a temporary
// file beside the target, is flushed to disk and then renamed over the target. Until Commit
// succeeds the target is untouched; a writer destroyed without a successful Commit removes
// its temporary file.
//
// A symbolic link is written through: the file it finally names is replaced (created when it
// does not exist yet) and the link survives. The temporary file is created readable by its
// owner only and then given the mode of the file it replaces, so its content is never
// readable by anyone the finished file would not allow; a new file keeps mode 0600.
// Temporary files of this target left behind by a killed process are removed by the next
// writer.

#include <string>
#include <string_view>

namespace quillory {

// What the writer does when the target exists and is not a regular file (a named pipe, a
// device such as /dev/stdout).
enum class SpecialTarget {
    Refuse,     // throws Error "Cannot create file ... Not a regular file"
    WriteInto,  // writes straight into it, as a shell redirection does; no rename
};

class AtomicFileWriter {
  public:
    // Creates the temporary file (or opens the special target). Throws Error
    // "Cannot create file "<path>". <reason>".
    explicit AtomicFileWriter(std::string path, SpecialTarget special = SpecialTarget::Refuse);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Throws Error "Stream write error: <reason>" when the bytes cannot be written.
    void Write(std::string_view bytes);
    // Asks the system to start putting the bytes written so far on disk, without waiting for
    // it: the flush of Commit then waits for less. Advice only; nothing is reported.
    void StartWriteback() noexcept;
    // Flushes, closes and renames over the target. Throws Error ("Stream write error: <reason>"
    // when the data cannot be flushed, "Cannot create file ..." when the rename is refused).
    void Commit();

    // Empty when writing straight into a special target.
    const std::string& TemporaryPath() const { return tempPath_; }

  private:
    void Discard() noexcept;

    std::string target_;
    std::string tempPath_;
    int fd_ = -1;
    bool direct_ = false;
    long long written_ = 0;      // bytes written so far
    long long writtenBack_ = 0;  // bytes whose writeback was started
};

}  // namespace quillory
