#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/link_target.h"

namespace quillory {

FileLock::FileLock(const std::string& path, const std::string& what) {
    const std::string target = FinalLinkTarget(path);
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    lockPath_ = folder + "." + name + ".lock";
    fd_ = open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd_ < 0) throw SystemError("Cannot create the lock file \"" + lockPath_ + "\"", errno);
    while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const int code = errno;
        close(fd_);
        if (code == EWOULDBLOCK) throw Error(what + " is in use by another process", code);
        throw SystemError("Cannot lock \"" + lockPath_ + "\"", code);
    }
}

FileLock::~FileLock() {
    close(fd_);  // releases the lock
}

}  // namespace quillory
