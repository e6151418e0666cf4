#include "core/activity_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/data_folder.h"
#include "platform/error.h"

namespace quillory {

std::string DataFolder() {
    return ApplicationDataFolder() + "/quillory/";
}

std::string WorkingDatabasePath() {
    return DataFolder() + "index.dat";
}

void CreateDataFolder() {
    CreateFolderTree(ApplicationDataFolder() + "/quillory");
}

namespace {

// The runtime's input/output messages for the system's error codes.
std::string LogErrorText(int code) {
    switch (code) {
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
            return "I/O error " + std::to_string(code);
    }
}

}  // namespace

ActivityLog::ActivityLog() : formats_(LocaleFormats::FromEnvironment()), clock_(NowDateTime) {}

ActivityLog::ActivityLog(std::string path, LocaleFormats formats, DateClock clock)
    : path_(std::move(path)), formats_(std::move(formats)), clock_(std::move(clock)) {}

std::string ActivityLog::LogLine(DateTime when, std::string_view message) const {
    std::string line = DateText(when, formats_);
    line.append(message);
    return line;
}

void ActivityLog::AppendLog(std::string_view message) const {
    const std::string path = path_.empty() ? DataFolder() + "quillory.log" : path_;
    std::string line = LogLine(clock_(), message);
    line += '\n';
    const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw Error(LogErrorText(errno));
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            close(fd);
            throw Error(LogErrorText(code));
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (close(fd) != 0 && errno != EINTR) throw Error(LogErrorText(errno));
}

}  // namespace quillory
