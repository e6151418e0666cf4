#pragma once
// The activity log: a plain-text file (quillory.log in the data folder) to which every
// database load and save appends dated lines. Each line is one open, append and close, so
// the log is complete on disk after every line and nothing holds it open in between.
//
// The log records what happened; it never decides whether it happens. A line that cannot be
// written (a full disk, a log in a read-only or missing folder) is lost, the first such
// failure of the process is reported on the standard error stream, and the load, save or
// search that was logging goes on as if the line had been written.

#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/date_time.h"
#include "platform/locale_formats.h"

namespace quillory {

// The data folder: the application-data folder followed by "/quillory/".
std::string DataFolder();
// The working database: "index.dat" in the data folder.
std::string WorkingDatabasePath();
// Creates the data folder with any missing parents.
void CreateDataFolder();

class ActivityLog {
  public:
    // quillory.log in the data folder (worked out at every line), the environment's locale
    // formats and the system clock.
    ActivityLog();
    // A log file of the caller's choosing, for tests and tools.
    ActivityLog(std::string path, LocaleFormats formats, DateClock clock);

    // Appends the current date and time text followed by `message` and a line end. Never
    // throws: returns false when the line could not be written and is lost; the first such
    // failure of the process prints one line on the standard error stream:
    //   quillory: the activity log <path> cannot be written: <system's reason>
    bool AppendLog(std::string_view message) const;

    // The line `AppendLog` writes for `message` at `when`, without the line end.
    std::string LogLine(DateTime when, std::string_view message) const;

  private:
    std::string path_;  // empty: the data folder's quillory.log
    LocaleFormats formats_;
    DateClock clock_;
};

// The fixed messages of the database load and save.
namespace log_messages {
inline constexpr std::string_view kStartSave = ": Start Save of data";
inline constexpr std::string_view kEndSave = ": End Save of data";
inline constexpr std::string_view kStartLoad = ": Start Load of data";
inline constexpr std::string_view kEndLoad = ": End Load of data";
inline constexpr std::string_view kCountOfRecords = ": Count of records = ";
inline constexpr std::string_view kRealCountOfRecords = ": Real count of records = ";
}  // namespace log_messages

}  // namespace quillory
