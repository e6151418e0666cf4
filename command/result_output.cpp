#include "command/result_output.h"

#include <array>
#include <ostream>
#include <string_view>

#include "actions/export_writers.h"
#include "command/command_status.h"
#include "platform/terminal.h"
#include "results/collation.h"
#include "results/sort_results.h"

namespace quillory::cli {

namespace {

constexpr std::array<std::string_view, kResultColumnCount> kSortWords = {"name", "folder", "size", "date",
                                                                         "ext"};

// The value of option `name` at args[i]: after "=" in the same argument, or the next one.
std::optional<std::string> OptionValue(const std::string& command, const std::vector<std::string>& args,
                                       size_t& i, std::string_view name) {
    const std::string& arg = args[i];
    if (arg == name) {
        if (i + 1 >= args.size()) throw UsageError{command + ": " + std::string(name) + " needs a value"};
        return args[++i];
    }
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        return arg.substr(name.size() + 1);
    }
    return std::nullopt;
}

void ParseSort(const std::string& command, const std::string& value, ResultOutputOptions& options) {
    std::string_view column = value;
    bool descending = false;
    if (const size_t colon = column.find(':'); colon != std::string_view::npos) {
        if (column.substr(colon + 1) != "desc") {
            throw UsageError{command + ": --sort takes COLUMN or COLUMN:desc, not \"" + value + "\""};
        }
        column = column.substr(0, colon);
        descending = true;
    }
    for (size_t i = 0; i < kSortWords.size(); ++i) {
        if (column == kSortWords[i]) {
            options.sortColumn = static_cast<int>(i);
            options.sortDescending = descending;
            return;
        }
    }
    throw UsageError{command + ": --sort column must be name, folder, size, date or ext, not \"" +
                     std::string(column) + "\""};
}

void ParseFields(const std::string& command, const std::string& value, ResultOutputOptions& options) {
    std::vector<ExportFieldItem> fields = DefaultExportFieldItems();
    for (ExportFieldItem& item : fields) item.checked = false;
    bool any = false;
    size_t start = 0;
    for (;;) {
        const size_t comma = value.find(',', start);
        const std::string word =
            value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::optional<ExportField> field = ExportFieldFromWord(word);
        if (!field) {
            throw UsageError{command + ": unknown field \"" + word +
                             "\" (fields: name,folder,size,created,modified,accessed,ext,attributes)"};
        }
        fields[static_cast<size_t>(*field)].checked = true;
        any = true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (!any) throw UsageError{command + ": --fields needs at least one field"};
    options.fields = std::move(fields);
    options.fieldsGiven = true;
}

}  // namespace

bool ParseResultOutputOption(const std::string& command, const std::vector<std::string>& args, size_t& i,
                             ResultOutputOptions& options) {
    if (auto value = OptionValue(command, args, i, "--sort")) {
        ParseSort(command, *value, options);
    } else if (auto format = OptionValue(command, args, i, "--format")) {
        if (*format == "list") {
            options.format = ResultFormat::List;
        } else if (*format == "table") {
            options.format = ResultFormat::Table;
        } else {
            throw UsageError{command + ": --format must be list or table, not \"" + *format + "\""};
        }
    } else if (auto fields = OptionValue(command, args, i, "--fields")) {
        ParseFields(command, *fields, options);
    } else {
        return false;
    }
    return true;
}

void CheckResultOutputOptions(const std::string& command, const ResultOutputOptions& options) {
    if (options.fieldsGiven && options.format != ResultFormat::Table) {
        throw UsageError{command + ": --fields applies to --format table only"};
    }
}

void SortResultsForOutput(EntryList& results, const ResultOutputOptions& options) {
    if (!options.sortColumn) return;
    ResultSorter sorter(Collation::FromEnvironment(CollationStrength::Tertiary));
    SortState state;
    if (options.sortDescending) {
        // The state a first click on the column leaves, so this click is the second one.
        state.ResultsSorted = true;
        state.SortColumn = static_cast<int8_t>(*options.sortColumn);
    }
    MemorySelection selection(results.Count());
    SortByColumn(state, results, selection, sorter, *options.sortColumn);
}

bool WriteResultOutput(std::ostream& out, const EntryList& results, const ResultOutputOptions& options,
                       bool terminal) {
    if (!options.format) return false;
    if (terminal) {
        // Line by line, so only the names' control characters become "?", not the line ends.
        const LocaleFormats formats = LocaleFormats::FromEnvironment();
        for (const TMyItem& entry : results.Entries()) {
            const std::string line = *options.format == ResultFormat::List
                                         ? std::string(entry.Folder()) + std::string(entry.Name())
                                         : ResultTableRow(entry, options.fields, formats);
            out << TerminalSafeText(line) << kExportLineEnd;
        }
        return true;
    }
    if (*options.format == ResultFormat::List) {
        WriteFileList(out, results);
    } else {
        WriteResultTable(out, results, options.fields, LocaleFormats::FromEnvironment());
    }
    return true;
}

}  // namespace quillory::cli
