#include "platform/full_path.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace quillory {

std::string FullPathFrom(const std::string& base, const std::string& path) {
    if (path.empty()) return path;
    const std::string joined = path.front() == '/' ? path : base + "/" + path;
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= joined.size()) {
        size_t slash = joined.find('/', start);
        if (slash == std::string::npos) slash = joined.size();
        const std::string part = joined.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string full;
    for (const std::string& part : parts) full += "/" + part;
    // "dir/", "dir/." and "dir/.." name a folder: keep the final separator they imply.
    const bool folder = joined.back() == '/' || joined.ends_with("/.") || joined.ends_with("/..");
    if (full.empty() || folder) full += '/';
    return full;
}

std::string FullPath(const std::string& path) {
    if (path.empty() || path.front() == '/') return FullPathFrom("/", path);
    char cwd[PATH_MAX];
    // Without a current folder the relative path is the best name there is.
    if (!getcwd(cwd, sizeof cwd)) return path;
    return FullPathFrom(cwd, path);
}

std::string ResolvedPath(const std::string& path) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string result(resolved);
        std::free(resolved);
        return result;
    }
    return FullPath(path);
}

}  // namespace quillory
