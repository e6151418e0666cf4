// quillory-cli scan: rescans the database's folders (or the ones given) and saves it.

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <ostream>
#include <stop_token>

#include "cli/cli.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "core/text_lines.h"
#include "platform/text.h"
#include "scan/rescan_driver.h"

namespace quillory::cli {

namespace {

// The exit status of a scan stopped by Ctrl+C (128 + SIGINT, as shells report it).
constexpr int kExitInterrupted = 130;

// Set by the SIGINT handler, read between items of the walk. A signal handler may touch
// nothing else.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

// Routes SIGINT to g_interrupted while a scan runs, then puts the previous handling back.
class InterruptGuard {
  public:
    InterruptGuard() {
        g_interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &previous_);
        // A scan started with SIGINT blocked could not be stopped otherwise.
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigprocmask(SIG_UNBLOCK, &set, &previousMask_);
    }
    ~InterruptGuard() {
        sigprocmask(SIG_SETMASK, &previousMask_, nullptr);
        sigaction(SIGINT, &previous_, nullptr);
    }
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

  private:
    struct sigaction previous_ {};
    sigset_t previousMask_{};
};

struct ScanRequest {
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    bool includeGiven = false;
    bool excludeGiven = false;
    enum class ExtMode { Unchanged, Include, Exclude, Off } extMode = ExtMode::Unchanged;
    std::vector<std::string> extensions;
};

// A folder line: absolute (a relative folder is taken from the current folder, so the
// database names real places), ending with "/".
std::string FolderLine(const std::string& option, const std::string& dir) {
    if (dir.empty()) throw UsageError{"scan: " + option + " needs a folder"};
    std::string line;
    if (dir.front() != '/') {
        std::string cwd(4096, '\0');
        if (!getcwd(cwd.data(), cwd.size()))
            throw UsageError{"scan: cannot resolve the relative folder " + dir};
        line = cwd.c_str();
        if (line.back() != '/') line.push_back('/');
    }
    line += dir;
    if (line.back() != '/') line.push_back('/');
    return line;
}

// "mp3,.Wav" -> {"mp3", "Wav"}: one leading dot dropped, empty items dropped.
std::vector<std::string> ExtensionLines(const std::string& option, const std::string& list) {
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
        if (g_interrupted) stop_.request_stop();
    }

    // Clears the progress line, if one was drawn.
    void EndLine() {
        if (drawn_) err_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }

  private:
    void DrawLine() {
        std::string line = std::to_string(found_) + " entries found  ";
        const size_t width = TerminalWidth();
        const size_t room = width > line.size() + 4 ? width - line.size() - 1 : 0;
        line += ShortenFromLeft(folder_, room);
        err_ << "\r\x1b[K" << line << std::flush;
        drawn_ = true;
    }

    static size_t TerminalWidth() {
        struct winsize size {};
        if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
        return 80;
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

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

}  // namespace

int RunScan(Context& context, const std::vector<std::string>& args) {
    const ScanRequest request = ParseScanArguments(args);
    const std::string path = DatabasePath(context);

    // The data folder holds the activity log, written as the program writes it.
    CreateDataFolder();
    const ActivityLog log;
    Catalogue catalogue;
    if (FileExists(path)) {
        LoadDatabase(catalogue.Entries, catalogue.Options, path, log);
    } else {
        catalogue.Options = TProgramOptions();
    }
    ApplyRequest(request, catalogue.Options);

    const bool terminal = &context.err == &std::cerr && isatty(STDERR_FILENO) == 1;
    InterruptGuard interrupts;
    std::stop_source stop;
    ScanObserver observer(context.err, stop, terminal);
    RescanDriver driver;
    const RescanResult result = driver.Rescan(catalogue, stop.get_token(), observer);
    observer.EndLine();

    // A Ctrl+C that came after the last check still means: keep nothing.
    if (!result.Completed() || g_interrupted) {
        context.err << StoppedStatusText(catalogue.Entries.Count()) << '\n';
        return kExitInterrupted;
    }
    ApplyRescanResult(result, catalogue.Options);
    SaveDatabase(catalogue.Entries, catalogue.Options, path, log);
    context.err << result.statusText << '\n';
    return kExitOk;
}

}  // namespace quillory::cli
