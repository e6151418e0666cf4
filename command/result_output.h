#pragma once
// The result options a listing command accepts: --sort COLUMN[:desc] orders the results as
// clicks on a column header would; --format list|table writes them as the exports do, the
// table with the fields --fields names (default: the export's default ticks).

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "actions/export_fields.h"
#include "core/entry_list.h"
#include "results/sort_results.h"

namespace quillory::command {

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

// Receives the formatted output a block at a time (about kOutputBlockBytes each); answers
// false to stop the formatting (the reader has gone).
using OutputBlockSink = std::function<bool(std::string& block)>;
inline constexpr size_t kOutputBlockBytes = 256 * 1024;

// The order --sort asks for, as places into `results` (identity without --sort): the order
// of clicks on the column header with the user's collation (`sorter`'s), one click for
// ascending, a second for descending; equal keys keep their list order in both directions.
std::vector<size_t> OutputOrder(const EntryList& results, const ResultOutputOptions& options,
                                ResultSorter& sorter);

// Formats rows entries[rows[0]], entries[rows[1]], ... as the search command prints them:
// without a format each full path followed by `terminator`; "list": full paths; "table": the
// CSV rows with the user's locale formats. For a terminal every control character in a name
// is shown as "?". Blocks go to `sink` as they fill; false when the sink stopped it.
bool FormatResultRows(std::span<const TMyItem> entries, std::span<const size_t> rows,
                      const ResultOutputOptions& options, char terminator, bool terminal,
                      const OutputBlockSink& sink);

}  // namespace quillory::command
