// quillory-cli search: the words joined by single blanks are the search text, parsed exactly
// as the search box's text; the results' full paths go to stdout in result order, the status
// text to stderr.

#include <charconv>
#include <cstdint>
#include <iostream>
#include <ostream>

#include "cli/cli.h"
#include "cli/result_output.h"
#include "platform/error.h"
#include "platform/terminal.h"
#include "search/search_driver.h"

namespace quillory::cli {

namespace {

struct SearchCommandOptions {
    TSearchOptions search;
    int64_t limit = kDefaultMaxResultsCount;  // 0: no limit
    std::string text;
};

// How the results are written.
struct ResultOutput {
    char terminator = '\n';       // after each path; NUL with -0
    ResultOutputOptions options;  // --sort, --format, --fields
};

int64_t ParseLimit(const std::string& value) {
    int64_t limit = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, limit);
    if (value.empty() || ec != std::errc() || ptr != end || limit < 0) {
        throw UsageError{"search: --limit needs a whole number of 0 or more, not \"" + value + "\""};
    }
    return limit;
}

void ParseArguments(const std::vector<std::string>& args, SearchCommandOptions& options,
                    ResultOutput& output) {
    bool wordsOnly = false;
    bool first = true;
    auto addWord = [&](const std::string& word) {
        if (!first) options.text.push_back(' ');
        options.text.append(word);
        first = false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (wordsOnly || arg.size() < 2 || arg[0] != '-') {
            addWord(arg);
        } else if (arg == "--") {
            wordsOnly = true;
        } else if (arg == "--case") {
            options.search.CaseSensitive = true;
        } else if (arg == "--whole-words") {
            options.search.WholeWords = true;
        } else if (arg == "--no-folders") {
            options.search.FindFolders = false;
        } else if (arg == "--no-files") {
            options.search.FindFiles = false;
        } else if (arg == "--full-path") {
            options.search.FullPath = true;
        } else if (ParseResultOutputOption("search", args, i, output.options)) {
            continue;
        } else if (arg == "-0") {
            output.terminator = '\0';
        } else if (arg == "--limit") {
            if (i + 1 >= args.size()) throw UsageError{"search: --limit needs a number"};
            options.limit = ParseLimit(args[++i]);
        } else if (arg.starts_with("--limit=")) {
            options.limit = ParseLimit(arg.substr(8));
        } else {
            throw UsageError{"search: unknown option \"" + arg +
                             "\" (put -- before words that begin with -)"};
        }
    }
    CheckResultOutputOptions("search", output.options);
    if (output.terminator == '\0' && output.options.format) {
        throw UsageError{"search: -0 cannot be combined with --format (its lines end with a newline)"};
    }
    if (!options.search.FindFolders && !options.search.FindFiles) {
        throw UsageError{"search: --no-folders and --no-files together would exclude every entry"};
    }
}

// Whether the results go to a terminal as lines: there a name's control characters are shown
// as "?" (they could move the cursor or hide a line); a pipe or -0 gets every byte.
bool ToTerminal(const Context& context, const ResultOutput& output) {
    return &context.out == &std::cout && output.terminator == '\n' && IsTerminal(StandardStream::Output);
}

// Writes the full path of every result, in result order, each followed by the terminator.
void WriteResults(const Context& context, const EntryList& results, const ResultOutput& output,
                  bool terminal) {
    for (const TMyItem& entry : results.Entries()) {
        const std::string_view folder = entry.Folder();
        const std::string_view name = entry.Name();
        if (terminal) {
            context.out << TerminalSafeText(folder) << TerminalSafeText(name);
        } else {
            context.out.write(folder.data(), static_cast<std::streamsize>(folder.size()));
            context.out.write(name.data(), static_cast<std::streamsize>(name.size()));
        }
        context.out.put(output.terminator);
    }
}

}  // namespace

int RunSearch(Context& context, const std::vector<std::string>& args) {
    SearchCommandOptions options;
    ResultOutput output;
    ParseArguments(args, options, output);

    // One search of the file as it is read: no catalogue is built, only the matches are kept.
    CreateDataFolder();
    TProgramOptions programOptions{std::string()};
    TSearchDriver driver;
    EntryList results;
    const int64_t limit = options.limit == 0 ? INT64_MAX : options.limit;
    driver.SearchDatabase(DatabasePath(context), ActivityLog(), options.text, options.search, limit, results,
                          programOptions);

    SortResultsForOutput(results, output.options);
    const bool terminal = ToTerminal(context, output);
    if (!WriteResultOutput(context.out, results, output.options, terminal)) {
        WriteResults(context, results, output, terminal);
    }
    context.out.flush();
    context.err << driver.StatusText() << '\n';
    if (!context.out) throw Error("Cannot write the output");
    return results.Empty() ? kExitNoResults : kExitOk;
}

}  // namespace quillory::cli
