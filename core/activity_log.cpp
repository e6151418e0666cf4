#include "core/activity_log.h"

#include <atomic>
#include <cstdio>

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

namespace {

// One report per process: a log that cannot be written usually stays so, and every load and
// save would otherwise repeat the same complaint several times over.
void ReportLogFailure(const std::string& path, const std::string& reason) noexcept {
    static std::atomic<bool> reported{false};
    if (reported.exchange(true)) return;
    std::fprintf(stderr, "quillory: the activity log %s cannot be written: %s\n", path.c_str(),
                 reason.c_str());
    std::fflush(stderr);
}

}  // namespace

bool ActivityLog::AppendLog(std::string_view message) const {
    std::string path;
    try {
        path = path_.empty() ? DataFolder() + "quillory.log" : path_;
        std::string line = LogLine(clock_(), message);
        line += '\n';
        AppendToFile(path, line);
        return true;
    } catch (const Error& e) {
        ReportLogFailure(path, e.SystemCode() != 0 ? SystemReason(e.SystemCode()) : e.what());
    } catch (const std::exception& e) {
        ReportLogFailure(path, e.what());
    }
    return false;
}

}  // namespace quillory
