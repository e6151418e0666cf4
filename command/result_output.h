#pragma once
// The result options a listing command accepts: --sort COLUMN[:desc] orders the results as
// clicks on a column header would; --format list|table writes them as the exports do, the
// table with the fields --fields names (default: the export's default ticks).

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "actions/export_fields.h"
#include "core/entry_list.h"

namespace quillory::cli {

enum class ResultFormat { List, Table };

struct ResultOutputOptions {
    std::optional<int> sortColumn;  // 0 name, 1 folder, 2 size, 3 date, 4 ext
    bool sortDescending = false;
    std::optional<ResultFormat> format;  // none: the command writes its own output
    std::vector<ExportFieldItem> fields = DefaultExportFieldItems();
    bool fieldsGiven = false;
};

// If args[i] is --sort, --format or --fields (with its value as the next argument or after
// "="), records it, moves i to the last argument used and returns true. A bad value throws
// UsageError naming `command`.
bool ParseResultOutputOption(const std::string& command, const std::vector<std::string>& args, size_t& i,
                             ResultOutputOptions& options);

// Checks the options together once all are parsed (--fields belongs to --format table).
void CheckResultOutputOptions(const std::string& command, const ResultOutputOptions& options);

// Sorts by the chosen column with the user's collation: one click for ascending, a second
// click on the same column for descending. Nothing happens without --sort.
void SortResultsForOutput(EntryList& results, const ResultOutputOptions& options);

// Writes every result as the chosen export writes it ("list": full paths; "table": the CSV
// rows) with the user's locale formats. Returns false, writing nothing, when no format was
// chosen. For a terminal every control character in a name is shown as "?".
bool WriteResultOutput(std::ostream& out, const EntryList& results, const ResultOutputOptions& options,
                       bool terminal = false);

}  // namespace quillory::cli
