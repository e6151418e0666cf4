#include "platform/watch_allowance.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <memory>
#include <string_view>

namespace quillory {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool IsInotifyDescriptor(const std::string& linkPath) {
    char target[64];
    const ssize_t n = readlink(linkPath.c_str(), target, sizeof target);
    return n > 0 && std::string_view(target, static_cast<size_t>(n)) == "anon_inode:inotify";
}

size_t CountWatchLines(const std::string& fdinfoPath) {
    std::ifstream in(fdinfoPath);
    size_t count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("inotify wd:")) ++count;
    }
    return count;
}

// The watches of one process: the lines of its inotify descriptors.
size_t CountProcessWatches(const std::string& processPath) {
    DirHandle fds(opendir((processPath + "/fd").c_str()));
    if (!fds) return 0;
    size_t count = 0;
    while (const struct dirent* entry = readdir(fds.get())) {
        if (!AllDigits(entry->d_name)) continue;
        if (!IsInotifyDescriptor(processPath + "/fd/" + entry->d_name)) continue;
        count += CountWatchLines(processPath + "/fdinfo/" + entry->d_name);
    }
    return count;
}

}  // namespace

size_t ReadMaxUserWatches(const std::string& procRoot) {
    std::ifstream in(procRoot + "/sys/fs/inotify/max_user_watches");
    long long value = 0;
    if (!(in >> value) || value < 0) return 0;
    return static_cast<size_t>(value);
}

size_t CountUserWatches(uint32_t uid, const std::string& procRoot) {
    DirHandle processes(opendir(procRoot.c_str()));
    if (!processes) return 0;
    size_t count = 0;
    while (const struct dirent* entry = readdir(processes.get())) {
        if (!AllDigits(entry->d_name)) continue;
        const std::string processPath = procRoot + "/" + entry->d_name;
        struct stat status {};
        // A process directory belongs to the process's user.
        if (stat(processPath.c_str(), &status) != 0 || status.st_uid != uid) continue;
        count += CountProcessWatches(processPath);
    }
    return count;
}

size_t FreeUserWatches(const std::string& procRoot) {
    const size_t limit = ReadMaxUserWatches(procRoot);
    const size_t held = CountUserWatches(getuid(), procRoot);
    return held >= limit ? 0 : limit - held;
}

}  // namespace quillory
