#include "platform/file_operations.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace quillory {

int FileOperations::Stat(const std::string& path, FileStatus& status) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return errno;
    status.regular = S_ISREG(st.st_mode);
    status.device = st.st_dev;
    status.inode = st.st_ino;
    return 0;
}

int FileOperations::RenameNoReplace(const std::string& from, const std::string& to) {
    return renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0 ? 0 : errno;
}

int FileOperations::Rename(const std::string& from, const std::string& to) {
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int FileOperations::CopyContent(int from, int to) {
    // copy_file_range lets the kernel (or a reflinking file system) move the bytes; where it
    // cannot, a plain read/write loop does.
    for (;;) {
        const ssize_t n = copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n == 0) return 0;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        return errno;
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t n = read(from, buffer.data(), buffer.size());
        if (n == 0) return 0;
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(to, buffer.data() + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            done += w;
        }
    }
}

int FileOperations::Sync(int fd) {
    return fsync(fd) == 0 ? 0 : errno;
}

int FileOperations::Unlink(const std::string& path) {
    return unlink(path.c_str()) == 0 ? 0 : errno;
}

FileOperations& SystemFileOperations() {
    static FileOperations operations;
    return operations;
}

}  // namespace quillory
