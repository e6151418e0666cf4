#pragma once
// An advisory lock that one process at a time holds on a file: a lock file beside it, locked
// with flock. The lock ends with the object or with the process (a killed holder never
// leaves a stale lock behind). The lock file itself stays; it holds nothing.

#include <string>

namespace quillory {

class FileLock {
  public:
    // Takes the lock for `path` (the lock file is ".<name>.lock" beside the file the path
    // finally names, links followed) without waiting. Throws Error when another process
    // holds it ("<what> is in use by another process") or the lock file cannot be made.
    FileLock(const std::string& path, const std::string& what);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    const std::string& LockPath() const { return lockPath_; }

  private:
    std::string lockPath_;
    int fd_ = -1;
};

}  // namespace quillory
