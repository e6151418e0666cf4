#pragma once
// The search command of quillory-cli as three steps that both the command line and the
// running program's search channel run: parse the arguments, search an entry list, write
// what the command prints. Whoever answers, the same arguments over the same entries give
// the same bytes on stdout, the same status line and the same exit status.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "command/result_output.h"
#include "core/entry_list.h"
#include "core/name_cache.h"
#include "core/program_options.h"
#include "search/search_options.h"

namespace quillory::cli {

struct SearchRequest {
    TSearchOptions search;
    int64_t limit = kDefaultMaxResultsCount;  // 0: no limit
    std::string text;                         // the words joined by single blanks
    char terminator = '\n';                   // after each path; NUL with -0
    ResultOutputOptions output;               // --sort, --format, --fields
    bool fromFile = false;                    // --from-file: never ask the running program
};

// The search command's arguments (everything after "search"). A bad one throws UsageError.
SearchRequest ParseSearchArguments(const std::vector<std::string>& args);

struct SearchOutcome {
    EntryList results;  // copies of the matches, in catalogue order
    std::string statusText;
};

// Searches `entries`. `names`, when given, must hold their names up to date in the compared
// case of the request (Catalogue::CurrentNames); without it each name is cased as the loop
// reaches it. Only reads `entries` and `names`.
void SearchEntries(const SearchRequest& request, const EntryList& entries, const NameCache* names,
                   SearchOutcome& outcome);

// Searches the database file `path` as it is read: no catalogue is built, only the matches
// are kept. Results, status text and errors are those of loading the file and then searching.
void SearchDatabaseFile(const SearchRequest& request, const std::string& path, SearchOutcome& outcome);

// Sorts the results as asked and writes them to `out` (a terminal gets "?" for a name's
// control characters, unless -0), then the status line to `err`. Returns the exit status:
// 0 with results, 1 without. Throws Error when `out` failed.
int WriteSearchOutcome(const SearchRequest& request, SearchOutcome& outcome, std::ostream& out,
                       std::ostream& err, bool outputIsTerminal);

}  // namespace quillory::cli
