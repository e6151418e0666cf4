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

bool PathEntryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool IsSocketEntry(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

int PathLookupError(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? 0 : errno;
}

}  // namespace quillory
