#include "platform/append_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"

namespace quillory {

void AppendToFile(const std::string& path, std::string_view bytes) {
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) throw SystemError("Cannot append to \"" + path + "\"", errno);
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            close(fd);
            throw SystemError("Cannot append to \"" + path + "\"", code);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (close(fd) != 0 && errno != EINTR) throw SystemError("Cannot append to \"" + path + "\"", errno);
}

std::string IoErrorText(int systemCode) {
    switch (systemCode) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case EISDIR:
            return "Invalid filename";
        case EMFILE:
        case ENFILE:
            return "Too many open files";
        case EACCES:
        case EPERM:
        case EROFS:
            return "File access denied";
        case ENOSPC:
        case EDQUOT:
            return "Disk full";
        default:
            return "I/O error " + std::to_string(systemCode);
    }
}

}  // namespace quillory
