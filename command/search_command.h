#pragma once
// The search command of quillory-cli as steps that both the command line and the running
// program's search channel run: parse the arguments, search (the file, or a catalogue in
// memory), order the matches and format what the command prints. Both answers order and
// format with the same code, so the same arguments over the same entries give the same bytes
// on stdout, the same status line and the same exit status.

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "command/result_output.h"
#include "core/column_ranks.h"
#include "core/entry_list.h"
#include "core/name_cache.h"
#include "core/program_options.h"
#include "search/search_driver.h"
#include "search/search_options.h"

namespace quillory::command {

struct SearchRequest {
    TSearchOptions search;
    int64_t limit = kDefaultMaxResultsCount;  // 0: no limit
    std::string text;                         // the words joined by single blanks
    char terminator = '\n';                   // after each path; NUL with -0
    ResultOutputOptions output;               // --sort, --format, --fields
    bool fromFile = false;                    // --from-file: never ask the running program
    bool count = false;                       // --count: print only the number of matches
};

// The search command's arguments (everything after "search"). A bad one throws UsageError.
SearchRequest ParseSearchArguments(const std::vector<std::string>& args);

struct SearchOutcome {
    EntryList results;  // copies of the matches, in catalogue order
    std::string statusText;
};

// Searches the database file `path` as it is read: no catalogue is built, only the matches
// are kept. Results, status text and errors are those of loading the file and then searching.
void SearchDatabaseFile(const SearchRequest& request, const std::string& path, SearchOutcome& outcome);

// A search answered from a catalogue without copying it: the rows of `entries` to print, in
// the order they are printed, and the status text.
struct CatalogueAnswer {
    std::vector<size_t> rows;
    std::string statusText;
};

// Searches `entries` and orders the matches as --sort asks. `names`, when given, must hold
// their names up to date in the compared case of the request (Catalogue::CurrentNames).
// `ranks` (the catalogue's) serve the sort when they hold its column for exactly these
// entries in `sorter`'s locale; otherwise the matches are sorted as OutputOrder sorts them.
// Either way the order is the same. Only reads `entries`, `names` and `ranks`.
void SearchCatalogue(const SearchRequest& request, const EntryList& entries, const NameCache* names,
                     const ColumnRanks* ranks, ResultSorter& sorter, CatalogueAnswer& answer);

// The search command's output of rows entries[rows[k]] (see FormatResultRows), to `sink` a
// block at a time. Returns the exit status: 0 with rows, 1 without; `kExitError` when the
// sink stopped the formatting.
int FormatSearchRows(const SearchRequest& request, std::span<const TMyItem> entries,
                     std::span<const size_t> rows, bool outputIsTerminal, const OutputBlockSink& sink);

// The whole answer from a catalogue: SearchCatalogue and FormatSearchRows in one, with the
// same bytes to `sink`, the same exit status and the status text in `statusText`. `driver`
// runs the search: a stop requested of it ends the search early (the answer is then
// incomplete, and the caller must not give it out).
int AnswerFromCatalogue(const SearchRequest& request, const EntryList& entries, const NameCache* names,
                        const ColumnRanks* ranks, ResultSorter& sorter, TSearchDriver& driver,
                        bool outputIsTerminal, const OutputBlockSink& sink, std::string& statusText);

// The file's answer: sorts the results as asked and writes them to `out` (a terminal gets
// "?" for a name's control characters, unless -0), then the status line to `err`. Returns
// the exit status: 0 with results, 1 without. Throws Error when `out` failed.
int WriteSearchOutcome(const SearchRequest& request, const SearchOutcome& outcome, std::ostream& out,
                       std::ostream& err, bool outputIsTerminal);

}  // namespace quillory::command
