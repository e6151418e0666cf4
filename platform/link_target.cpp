#include "platform/link_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace quillory {

std::string FinalLinkTarget(const std::string& path) {
    std::string current = path;
    for (int step = 0; step < 40; ++step) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<size_t>(n) >= buffer.size()) return current;
        const std::string target(buffer.data(), static_cast<size_t>(n));
        if (!target.empty() && target.front() == '/') {
            current = target;
        } else {
            const size_t slash = current.rfind('/');
            current = (slash == std::string::npos ? "" : current.substr(0, slash + 1)) + target;
        }
    }
    return current;
}

}  // namespace quillory
