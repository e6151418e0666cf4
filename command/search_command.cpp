#include "command/search_command.h"

#include <charconv>
#include <ostream>

#include "command/command_status.h"
#include "core/activity_log.h"
#include "platform/error.h"
#include "results/collation.h"
#include "results/ranked_sort.h"
#include "search/query_parser.h"
#include "search/search_driver.h"

namespace quillory::command {

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

}  // namespace

SearchRequest ParseSearchArguments(const std::vector<std::string>& args) {
    SearchRequest request;
    bool wordsOnly = false;
    bool first = true;
    bool limitGiven = false;
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
        } else if (arg == "--case" || arg == "-s") {
            request.search.CaseSensitive = true;
        } else if (arg == "--whole-words" || arg == "-w") {
            request.search.WholeWords = true;
        } else if (arg == "--no-folders") {
            request.search.FindFolders = false;
        } else if (arg == "--no-files") {
            request.search.FindFiles = false;
        } else if (arg == "--full-path" || arg == "-p") {
            request.search.FullPath = true;
        } else if (arg == "--count" || arg == "-c") {
            request.count = true;
        } else if (arg == "--from-file") {
            request.fromFile = true;
        } else if (ParseResultOutputOption("search", args, i, request.output)) {
            continue;
        } else if (arg == "-0") {
            request.terminator = '\0';
        } else if (arg == "--limit" || arg == "-l") {
            if (i + 1 >= args.size()) throw UsageError{"search: " + arg + " needs a number"};
            request.limit = ParseLimit(args[++i]);
            limitGiven = true;
        } else if (arg.starts_with("--limit=")) {
            request.limit = ParseLimit(arg.substr(8));
            limitGiven = true;
        } else {
            throw UsageError{"search: unknown option \"" + arg +
                             "\" (put -- before words that begin with -)"};
        }
    }
    CheckResultOutputOptions("search", request.output);
    if (request.terminator == '\0' && request.output.format) {
        throw UsageError{"search: -0 cannot be combined with --format (its lines end with a newline)"};
    }
    if (request.count && request.output.format) {
        throw UsageError{"search: --count prints only the number of matches, not a --format"};
    }
    // A count counts every match unless a limit is asked for: the default limit is there to
    // keep a listing short.
    if (request.count && !limitGiven) request.limit = 0;
    if (!request.search.FindFolders && !request.search.FindFiles) {
        throw UsageError{"search: --no-folders and --no-files together would exclude every entry"};
    }
    return request;
}

void SearchDatabaseFile(const SearchRequest& request, const std::string& path, SearchOutcome& outcome) {
    TSearchDriver driver;
    TProgramOptions databaseOptions{std::string()};
    const int64_t limit = request.limit == 0 ? INT64_MAX : request.limit;
    driver.SearchDatabase(path, ActivityLog(), request.text, request.search, limit, outcome.results,
                          databaseOptions);
    outcome.statusText = driver.StatusText();
}

namespace {

// SearchCatalogue with the caller's driver (its stop request). A search stopped
// early is not sorted: its matches are incomplete, and the caller knows it from the driver.
void SearchCatalogueWith(TSearchDriver& driver, const SearchRequest& request, const EntryList& entries,
                         const NameCache* names, const ColumnRanks* ranks, ResultSorter& sorter,
                         CatalogueAnswer& answer) {
    TWordList words;
    ParseQuery(request.text, request.search.CaseSensitive, false, words);
    EntryList unused;
    driver.BeginSearch(unused);
    const int64_t limit = request.limit == 0 ? INT64_MAX : request.limit;
    driver.FindMatches(entries, names, words, request.search, limit);
    answer.statusText = driver.StatusText();
    const std::span<const size_t> matches = driver.MatchIndices();
    answer.rows.assign(matches.begin(), matches.end());
    const ResultOutputOptions& output = request.output;
    if (!output.sortColumn || matches.size() < 2 || driver.StopRequested()) return;

    const ColumnRank* rank =
        ranks ? ranks->Find(*output.sortColumn, entries.Generation(), sorter.GetCollation().LocaleId())
              : nullptr;
    std::vector<uint32_t> order;
    if (rank) {
        const std::vector<uint32_t> catalogueIndex(matches.begin(), matches.end());
        if (matches.size() < UINT32_MAX &&
            RankedOrder(*rank, catalogueIndex, output.sortDescending, order, sorter.RankedMemory())) {
            for (size_t k = 0; k < order.size(); ++k) answer.rows[k] = matches[order[k]];
            return;
        }
    }
    // No ranks for these entries: the matches are copied and sorted as the file's are.
    EntryList copies;
    copies.Reserve(matches.size());
    for (const size_t index : matches) copies.AppendCopy(entries[index]);
    const std::vector<size_t> places = OutputOrder(copies, output, sorter);
    for (size_t k = 0; k < places.size(); ++k) answer.rows[k] = matches[places[k]];
}

}  // namespace

void SearchCatalogue(const SearchRequest& request, const EntryList& entries, const NameCache* names,
                     const ColumnRanks* ranks, ResultSorter& sorter, CatalogueAnswer& answer) {
    TSearchDriver driver;
    SearchCatalogueWith(driver, request, entries, names, ranks, sorter, answer);
}

int FormatSearchRows(const SearchRequest& request, std::span<const TMyItem> entries,
                     std::span<const size_t> rows, bool outputIsTerminal, const OutputBlockSink& sink) {
    if (request.count) {
        std::string line = std::to_string(rows.size()) + '\n';
        if (!sink(line)) return kExitError;
        return rows.empty() ? kExitNoResults : kExitOk;
    }
    const bool terminal = outputIsTerminal && request.terminator == '\n';
    if (!FormatResultRows(entries, rows, request.output, request.terminator, terminal, sink))
        return kExitError;
    return rows.empty() ? kExitNoResults : kExitOk;
}

int AnswerFromCatalogue(const SearchRequest& request, const EntryList& entries, const NameCache* names,
                        const ColumnRanks* ranks, ResultSorter& sorter, TSearchDriver& driver,
                        bool outputIsTerminal, const OutputBlockSink& sink, std::string& statusText) {
    CatalogueAnswer answer;
    SearchCatalogueWith(driver, request, entries, names, ranks, sorter, answer);
    statusText = std::move(answer.statusText);
    return FormatSearchRows(request, entries.Entries(), answer.rows, outputIsTerminal, sink);
}

int WriteSearchOutcome(const SearchRequest& request, const SearchOutcome& outcome, std::ostream& out,
                       std::ostream& err, bool outputIsTerminal) {
    std::vector<size_t> rows;
    if (request.output.sortColumn) {
        ResultSorter sorter(Collation::FromEnvironment(CollationStrength::Tertiary));
        rows = OutputOrder(outcome.results, request.output, sorter);
    } else {
        rows.resize(outcome.results.Count());
        for (size_t k = 0; k < rows.size(); ++k) rows[k] = k;
    }
    const int status = FormatSearchRows(
        request, outcome.results.Entries(), rows, outputIsTerminal, [&out](std::string& block) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            return true;
        });
    out.flush();
    err << outcome.statusText << '\n';
    if (!out) throw Error("Cannot write the output");
    return status;
}

}  // namespace quillory::command
