#include "platform/data_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/error.h"

namespace quillory {

std::string ApplicationDataFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] == '/') {
        home = env;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        home = pw->pw_dir;
    } else {
        throw Error("Cannot find the application-data folder: neither XDG_DATA_HOME nor HOME is set");
    }
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    if (home == "/") home.clear();
    return home + "/.local/share";
}

void CreateFolderTree(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size()) {
        const size_t next = path.find('/', pos);
        const size_t end = next == std::string::npos ? path.size() : next;
        partial = path.substr(0, end);
        pos = end + 1;
        if (partial.empty()) continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            const int code = errno;
            throw Error("Cannot create folder \"" + partial + "\". " + SystemReason(code), code);
        }
    }
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        throw Error("Cannot create folder \"" + path + "\". Not a directory", ENOTDIR);
    }
}

}  // namespace quillory
