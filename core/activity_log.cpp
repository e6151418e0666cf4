#include "core/activity_log.h"

#include "platform/append_file.h"
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
    try {
        AppendToFile(path, line);
    } catch (const Error& e) {
        throw Error(IoErrorText(e.SystemCode()), e.SystemCode());
    }
}

}  // namespace quillory
