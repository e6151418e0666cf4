#include "platform/path_status.h"

#include <sys/stat.h>

#include <cerrno>

namespace quillory {

bool PathExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool PathMissing(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace quillory
