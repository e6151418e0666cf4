#include "platform/prune_paths.h"

#include <fstream>
#include <sstream>

namespace quillory {

namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

std::string PrunePathsFolders(std::string_view confText) {
    std::string_view value;
    bool found = false;
    while (!confText.empty()) {
        const size_t end = confText.find('\n');
        const std::string_view line = Trim(confText.substr(0, end));
        confText = end == std::string_view::npos ? std::string_view{} : confText.substr(end + 1);
        if (!line.starts_with("PRUNEPATHS")) continue;
        const std::string_view rest = Trim(line.substr(10));
        // PRUNEPATHS_EXTRA and the like are other variables.
        if (!rest.starts_with('=')) continue;
        value = Trim(rest.substr(1));
        found = true;
    }
    if (!found) return {};
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    std::string folders;
    while (!value.empty()) {
        const size_t start = value.find_first_not_of(" \t");
        if (start == std::string_view::npos) break;
        value.remove_prefix(start);
        const size_t end = value.find_first_of(" \t");
        std::string folder(value.substr(0, end));
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end);
        if (!folder.ends_with('/')) folder += '/';
        folders += folder + "\r\n";
    }
    return folders;
}

std::string FirstStartExcludedFolders(const std::string& confPath) {
    std::ifstream file(confPath, std::ios::binary);
    if (file) {
        std::ostringstream text;
        text << file.rdbuf();
        std::string folders = PrunePathsFolders(text.str());
        if (!folders.empty()) return folders;
    }
    return "/tmp/\r\n/var/tmp/\r\n/var/spool/\r\n/var/cache/\r\n/media/\r\n/var/lib/docker/\r\n"
           "/var/lib/containers/\r\n/home/.ecryptfs/\r\n";
}

}  // namespace quillory
