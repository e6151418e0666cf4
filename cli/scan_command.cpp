// quillory-cli scan: rescans the database's folders (or the ones given) and saves it.

#include <iostream>
#include <ostream>
#include <stop_token>

#include "cli/cli.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "core/text_lines.h"
#include "platform/file_lock.h"
#include "platform/full_path.h"
#include "platform/interrupt.h"
#include "platform/path_status.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "scan/rescan_driver.h"

namespace quillory::cli {

namespace {

// The exit status of a scan stopped by Ctrl+C (128 + SIGINT, as shells report it).
constexpr int kExitInterrupted = 130;

struct ScanRequest {
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    bool includeGiven = false;
    bool excludeGiven = false;
    enum class ExtMode { Unchanged, Include, Exclude, Off } extMode = ExtMode::Unchanged;
    std::vector<std::string> extensions;
};

// The stored lists hold one item a line: an item with a line break in it would come back as
// two, so it is refused.
void RefuseLineBreaks(const std::string& option, const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) {
        throw UsageError{"scan: " + option + " cannot hold a line break"};
    }
}

// A folder line: absolute (a relative folder is taken from the current folder, so the
// database names real places), ending with "/".
std::string FolderLine(const std::string& option, const std::string& dir) {
    if (dir.empty()) throw UsageError{"scan: " + option + " needs a folder"};
    RefuseLineBreaks(option, dir);
    std::string line = dir;
    if (dir.front() != '/') {
        line = FullPath(dir);
        if (line.empty() || line.front() != '/')
            throw UsageError{"scan: cannot resolve the relative folder " + dir};
    }
    if (line.back() != '/') line.push_back('/');
    return line;
}

// "mp3,.Wav" -> {"mp3", "Wav"}: one leading dot dropped, empty items dropped.
std::vector<std::string> ExtensionLines(const std::string& option, const std::string& list) {
    RefuseLineBreaks(option, list);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        std::string item = list.substr(start, comma - start);
        if (!item.empty() && item.front() == '.') item.erase(0, 1);
        if (!item.empty()) lines.push_back(std::move(item));
        start = comma + 1;
    }
    if (lines.empty()) throw UsageError{"scan: " + option + " needs at least one extension"};
    return lines;
}

ScanRequest ParseScanArguments(const std::vector<std::string>& args) {
    ScanRequest request;
    auto setMode = [&](ScanRequest::ExtMode mode) {
        if (request.extMode != ScanRequest::ExtMode::Unchanged) {
            throw UsageError{"scan: --ext-include, --ext-exclude and --no-ext-filter exclude each other"};
        }
        request.extMode = mode;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](const std::string& option) -> std::string {
            if (arg.size() > option.size() && arg.compare(0, option.size() + 1, option + "=") == 0) {
                return arg.substr(option.size() + 1);
            }
            if (i + 1 >= args.size()) throw UsageError{"scan: " + option + " needs a value"};
            return args[++i];
        };
        auto is = [&](const std::string& option) { return arg == option || arg.starts_with(option + "="); };
        if (is("--include")) {
            request.include.push_back(FolderLine("--include", value("--include")));
            request.includeGiven = true;
        } else if (is("--exclude")) {
            request.exclude.push_back(FolderLine("--exclude", value("--exclude")));
            request.excludeGiven = true;
        } else if (is("--ext-include")) {
            setMode(ScanRequest::ExtMode::Include);
            request.extensions = ExtensionLines("--ext-include", value("--ext-include"));
        } else if (is("--ext-exclude")) {
            setMode(ScanRequest::ExtMode::Exclude);
            request.extensions = ExtensionLines("--ext-exclude", value("--ext-exclude"));
        } else if (arg == "--no-ext-filter") {
            setMode(ScanRequest::ExtMode::Off);
        } else {
            throw UsageError{"scan: unknown option \"" + arg + "\""};
        }
    }
    return request;
}

void ApplyRequest(const ScanRequest& request, TProgramOptions& options) {
    if (request.includeGiven) options.IncludedFolders = JoinLines(request.include);
    if (request.excludeGiven) options.ExcludedFolders = JoinLines(request.exclude);
    switch (request.extMode) {
        case ScanRequest::ExtMode::Include:
            options.ExtensionFilterOn = true;
            options.IncludeExtensionsMode = true;
            options.ExcludeExtensionsMode = false;
            options.IncludedExtensions = JoinLines(request.extensions);
            break;
        case ScanRequest::ExtMode::Exclude:
            options.ExtensionFilterOn = true;
            options.IncludeExtensionsMode = false;
            options.ExcludeExtensionsMode = true;
            options.ExcludedExtensions = JoinLines(request.extensions);
            break;
        case ScanRequest::ExtMode::Off:
            options.ExtensionFilterOn = false;
            break;
        case ScanRequest::ExtMode::Unchanged:
            break;
    }
}

// Progress for a terminal: one line, rewritten in place at most every event interval, with
// the folder shortened from the left to fit the terminal's width.
class ScanObserver final : public RescanObserver {
  public:
    ScanObserver(std::ostream& err, std::stop_source& stop, bool terminal)
        : err_(err), stop_(stop), terminal_(terminal) {}

    void Progress(std::string folder, size_t found) override {
        if (!terminal_) return;
        folder_ = std::move(folder);
        found_ = found;
        DrawLine();
    }

    // The walk runs on this thread: Ctrl+C is noticed here, at most an event interval late.
    void Heartbeat() override {
        if (InterruptRequested()) stop_.request_stop();
    }

    // Clears the progress line, if one was drawn.
    void EndLine() {
        if (drawn_) err_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }

  private:
    void DrawLine() {
        std::string line = std::to_string(found_) + " entries found  ";
        const size_t width = TerminalColumns();
        const size_t room = width > line.size() + 4 ? width - line.size() - 1 : 0;
        line += ShortenFromLeft(TerminalSafeText(folder_), room);
        err_ << "\r\x1b[K" << line << std::flush;
        drawn_ = true;
    }

    // The last `room` characters of `text`, led by "..." when it had to be cut.
    static std::string ShortenFromLeft(const std::string& text, size_t room) {
        std::vector<size_t> starts;  // byte offset of every character
        for (size_t i = 0; i < text.size();) {
            starts.push_back(i);
            i += text::DecodeCodePoint(text.data() + i, text.data() + text.size()).length;
        }
        if (starts.size() <= room) return text;
        if (room <= 3) return {};
        return "..." + text.substr(starts[starts.size() - (room - 3)]);
    }

    std::ostream& err_;
    std::stop_source& stop_;
    bool terminal_;
    std::string folder_;
    size_t found_ = 0;
    bool drawn_ = false;
};

}  // namespace

int RunScan(Context& context, const std::vector<std::string>& args) {
    const ScanRequest request = ParseScanArguments(args);
    const std::string path = DatabasePath(context);

    // The data folder holds the activity log, written as the program writes it.
    CreateLogFolder();
    // A second scan of the same database would silently overwrite the first one's result.
    const FileLock lock(path, "The database \"" + path + "\"");
    const ActivityLog log;
    Catalogue catalogue;
    if (PathExists(path)) {
        // The walk refills the catalogue from nothing: of the old database only the header is
        // kept. Every record is still read through, so a damaged file is refused as a load
        // refuses it; the record count sizes the catalogue for the walk.
        catalogue.Entries.Reserve(CheckDatabase(path, log, catalogue.Options));
    } else {
        catalogue.Options = TProgramOptions();
    }
    ApplyRequest(request, catalogue.Options);

    const bool terminal = &context.err == &std::cerr && IsTerminal(StandardStream::Error);
    InterruptGuard interrupts;
    std::stop_source stop;
    ScanObserver observer(context.err, stop, terminal);
    RescanDriver driver;
    const RescanResult result = driver.Rescan(catalogue, stop.get_token(), observer);
    observer.EndLine();

    // A Ctrl+C that came after the last check still means: keep nothing.
    if (!result.Completed() || InterruptRequested()) {
        context.err << StoppedStatusText(catalogue.Entries.Count()) << '\n';
        return kExitInterrupted;
    }
    ApplyRescanResult(result, catalogue.Options);
    SaveDatabase(catalogue.Entries, catalogue.Options, path, log);
    context.err << result.statusText << '\n';
    return kExitOk;
}

}  // namespace quillory::cli
