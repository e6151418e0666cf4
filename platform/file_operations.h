#pragma once
// The system calls behind copying and moving one file. Every call has the Linux
// implementation here; tests derive from this class and override a call to make it fail
// (a rename refused across file systems, a copy that stops half way, a delete refused).

#include <cstdint>
#include <string>

namespace quillory {

// What copying needs to know about a file.
struct FileStatus {
    bool regular = false;  // a regular file (not a folder, pipe, device ...)
    uint64_t device = 0;   // with `inode`: the same pair means the same file
    uint64_t inode = 0;
};

class FileOperations {
  public:
    virtual ~FileOperations() = default;

    // Each returns 0 on success or the errno value of the failure.

    // Status of the file `path` names, following a symbolic link (the copy copies what a
    // link points to).
    virtual int Stat(const std::string& path, FileStatus& status);
    // Renames without ever replacing an existing target (renameat2 RENAME_NOREPLACE).
    virtual int RenameNoReplace(const std::string& from, const std::string& to);
    // Renames, replacing an existing target file.
    virtual int Rename(const std::string& from, const std::string& to);
    // Copies the whole content of open file `from` to open file `to`.
    virtual int CopyContent(int from, int to);
    // Flushes the content of open file `fd` to the disk.
    virtual int Sync(int fd);
    virtual int Unlink(const std::string& path);
};

// The plain Linux calls.
FileOperations& SystemFileOperations();

}  // namespace quillory
