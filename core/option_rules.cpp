#include "core/option_rules.h"

#include <cmath>

#include "core/activity_log.h"
#include "core/database.h"
#include "platform/path_status.h"

namespace quillory {

int ResultLimitIndex(int32_t maxResultsCount) {
    if (maxResultsCount > 10000) return 0;
    if (maxResultsCount > 1000) return 1;
    if (maxResultsCount > 300) return 2;
    if (maxResultsCount > 100) return 3;
    return 4;
}

int32_t ResultLimitForIndex(int index, int32_t current) {
    static constexpr int32_t kStored[kResultLimitItemCount] = {kAllResults, 10000, 1000, 300, 100};
    return index >= 0 && index < kResultLimitItemCount ? kStored[index] : current;
}

namespace {

bool EndsWithSeparator(const std::string& line) {
    return !line.empty() && (line.back() == '\\' || line.back() == '/');
}

}  // namespace

std::vector<std::string> TidyFolderLines(std::vector<std::string> lines) {
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i].empty()) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (!EndsWithSeparator(lines[i])) {
            lines[i] += '/';
        }
    }
    return lines;
}

std::vector<std::string> TidyExtensionLines(std::vector<std::string> lines) {
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i].empty() || lines[i] == ".") {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        } else if (lines[i].front() == '.') {
            lines[i].erase(0, 1);
        }
    }
    return lines;
}

bool AddChosenFolder(std::vector<std::string>& lines, std::string folder) {
    if (!EndsWithSeparator(folder)) folder += '/';
    // Byte for byte: folder names on Linux are case-sensitive, so "/data/Music/" is not
    // "/data/music/". A line not tidied yet counts with the separator it will get.
    for (const std::string& line : lines) {
        if ((EndsWithSeparator(line) ? line : line + '/') == folder) return false;
    }
    lines.push_back(std::move(folder));
    return true;
}

std::string FolderOf(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string NameWithoutExtension(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

std::string WithDatabaseExtension(std::string path) {
    const size_t slash = path.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart) path += ".qdb";
    return path;
}

bool NamedDatabaseDue(const TProgramOptions& options, DateTime now) {
    return !options.DBFileName.empty() && std::fabs(now - options.LastRescanTime) < 1.0;
}

bool MayReplaceNamedDatabase(const std::string& path) {
    if (!PathExists(path)) return true;
    try {
        TProgramOptions header(std::string{});
        const ActivityLog quiet("/dev/null", LocaleFormats::ForLocale("en_US"), [] { return 0.0; });
        CheckDatabase(path, quiet, header);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<std::string> NewDatabaseMessageLines() {
    return {"1. Set list of folders and extensions for your new DB", "(use \"+\" and \"-\" buttons).",
            "2. Click OK, then click Rescan.", "3. Save your new DB to a file."};
}

}  // namespace quillory
