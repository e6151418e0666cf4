#include "command/search_command.h"

#include "core/activity_log.h"

#include <charconv>
#include <ostream>

#include "command/command_status.h"
#include "core/activity_log.h"
#include "platform/error.h"
#include "platform/terminal.h"
#include "search/query_parser.h"
#include "search/search_driver.h"

namespace quillory::cli {

namespace {

int64_t ParseLimit(const std::string& value) {
    int64_t limit = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, limit);
    if (value.empty() || ec != std::errc() || ptr != end || limit < 0) {
        throw UsageError{"search: --limit needs a whole number of 0 or more, not \"" + value + "\""};
    }
    return limit;
}

// Writes the full path of every result, in result order, each followed by the terminator.
void WriteResults(std::ostream& out, const EntryList& results, char terminator, bool terminal) {
    for (const TMyItem& entry : results.Entries()) {
        const std::string_view folder = entry.Folder();
        const std::string_view name = entry.Name();
        if (terminal) {
            out << TerminalSafeText(folder) << TerminalSafeText(name);
        } else {
            out.write(folder.data(), static_cast<std::streamsize>(folder.size()));
            out.write(name.data(), static_cast<std::streamsize>(name.size()));
        }
        out.put(terminator);
    }
}

}  // namespace

SearchRequest ParseSearchArguments(const std::vector<std::string>& args) {
    SearchRequest request;
    bool wordsOnly = false;
    bool first = true;
    auto addWord = [&](const std::string& word) {
        if (!first) request.text.push_back(' ');
        request.text.append(word);
        first = false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (wordsOnly || arg.size() < 2 || arg[0] != '-') {
            addWord(arg);
        } else if (arg == "--") {
            wordsOnly = true;
        } else if (arg == "--case") {
            request.search.CaseSensitive = true;
        } else if (arg == "--whole-words") {
            request.search.WholeWords = true;
        } else if (arg == "--no-folders") {
            request.search.FindFolders = false;
        } else if (arg == "--no-files") {
            request.search.FindFiles = false;
        } else if (arg == "--full-path") {
            request.search.FullPath = true;
        } else if (arg == "--from-file") {
            request.fromFile = true;
        } else if (ParseResultOutputOption("search", args, i, request.output)) {
            continue;
        } else if (arg == "-0") {
            request.terminator = '\0';
        } else if (arg == "--limit") {
            if (i + 1 >= args.size()) throw UsageError{"search: --limit needs a number"};
            request.limit = ParseLimit(args[++i]);
        } else if (arg.starts_with("--limit=")) {
            request.limit = ParseLimit(arg.substr(8));
        } else {
            throw UsageError{"search: unknown option \"" + arg +
                             "\" (put -- before words that begin with -)"};
        }
    }
    CheckResultOutputOptions("search", request.output);
    if (request.terminator == '\0' && request.output.format) {
        throw UsageError{"search: -0 cannot be combined with --format (its lines end with a newline)"};
    }
    if (!request.search.FindFolders && !request.search.FindFiles) {
        throw UsageError{"search: --no-folders and --no-files together would exclude every entry"};
    }
    return request;
}

void SearchEntries(const SearchRequest& request, const EntryList& entries, const NameCache* names,
                   SearchOutcome& outcome) {
    TSearchDriver driver;
    TWordList words;
    ParseQuery(request.text, request.search.CaseSensitive, false, words);
    driver.BeginSearch(outcome.results);
    const int64_t limit = request.limit == 0 ? INT64_MAX : request.limit;
    driver.RunSearch(entries, names, words, request.search, limit, outcome.results);
    outcome.statusText = driver.StatusText();
}

void SearchDatabaseFile(const SearchRequest& request, const std::string& path, SearchOutcome& outcome) {
    TSearchDriver driver;
    TProgramOptions databaseOptions{std::string()};
    const int64_t limit = request.limit == 0 ? INT64_MAX : request.limit;
    driver.SearchDatabase(path, ActivityLog(), request.text, request.search, limit, outcome.results,
                          databaseOptions);
    outcome.statusText = driver.StatusText();
}

int WriteSearchOutcome(const SearchRequest& request, SearchOutcome& outcome, std::ostream& out,
                       std::ostream& err, bool outputIsTerminal) {
    SortResultsForOutput(outcome.results, request.output);
    const bool terminal = outputIsTerminal && request.terminator == '\n';
    if (!WriteResultOutput(out, outcome.results, request.output, terminal)) {
        WriteResults(out, outcome.results, request.terminator, terminal);
    }
    out.flush();
    err << outcome.statusText << '\n';
    if (!out) throw Error("Cannot write the output");
    return outcome.results.Empty() ? kExitNoResults : kExitOk;
}

}  // namespace quillory::cli
