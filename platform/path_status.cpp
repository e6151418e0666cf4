#include "platform/path_status.h"

#include <sys/stat.h>

namespace quillory {

bool PathExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

}  // namespace quillory
