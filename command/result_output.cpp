#include "command/result_output.h"

#include <array>
#include <string_view>

#include "actions/export_writers.h"
#include "command/command_status.h"
#include "platform/terminal.h"
#include "results/collation.h"
#include "results/sort_results.h"

namespace quillory::command {

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

std::vector<size_t> OutputOrder(const EntryList& results, const ResultOutputOptions& options,
                                ResultSorter& sorter) {
    std::vector<size_t> rows(results.Count());
    if (!options.sortColumn || results.Count() < 2) {
        for (size_t k = 0; k < rows.size(); ++k) rows[k] = k;
        return rows;
    }
    const std::vector<uint32_t> order =
        sorter.Order(results, static_cast<ResultColumn>(*options.sortColumn), options.sortDescending, true);
    for (size_t k = 0; k < rows.size(); ++k) rows[k] = order[k];
    return rows;
}

namespace {

// Collects whole rows into blocks of about kOutputBlockBytes for a sink.
class BlockWriter {
  public:
    explicit BlockWriter(const OutputBlockSink& sink) : sink_(sink) {
        block_.reserve(kOutputBlockBytes + 4096);
    }

    std::string& Block() { return block_; }
    // Called after each whole row: a full block goes out. False once the sink stopped.
    bool RowDone() {
        if (block_.size() < kOutputBlockBytes) return true;
        const bool more = sink_(block_);
        block_.clear();
        block_.reserve(kOutputBlockBytes + 4096);
        return more;
    }
    bool Finish() { return block_.empty() || sink_(block_); }

  private:
    const OutputBlockSink& sink_;
    std::string block_;
};

bool FormatPaths(std::span<const TMyItem> entries, std::span<const size_t> rows, char terminator,
                 bool terminal, BlockWriter& out) {
    std::string& block = out.Block();
    for (size_t k = 0; k < rows.size(); ++k) {
        // Rows lie scattered over the catalogue: ask for an entry a few rows ahead, and for its
        // texts once the entry is there, so the misses overlap instead of coming one by one.
        if (k + 16 < rows.size()) __builtin_prefetch(&entries[rows[k + 16]]);
        if (k + 8 < rows.size()) {
            const TMyItem& ahead = entries[rows[k + 8]];
            __builtin_prefetch(ahead.Folder().data());
            __builtin_prefetch(ahead.Name().data());
        }
        const TMyItem& entry = entries[rows[k]];
        if (terminal) {
            block.append(TerminalSafeText(entry.Folder()));
            block.append(TerminalSafeText(entry.Name()));
        } else {
            block.append(entry.Folder());
            block.append(entry.Name());
        }
        block.push_back(terminator);
        if (!out.RowDone()) return false;
    }
    return true;
}

bool FormatList(std::span<const TMyItem> entries, std::span<const size_t> rows, bool terminal,
                BlockWriter& out) {
    std::string& block = out.Block();
    for (const size_t row : rows) {
        const TMyItem& entry = entries[row];
        if (terminal) {
            // Only the names' control characters become "?", not the line ends.
            block.append(TerminalSafeText(std::string(entry.Folder()) + std::string(entry.Name())));
        } else {
            block.append(entry.Folder());
            block.append(entry.Name());
        }
        block.append(kExportLineEnd);
        if (!out.RowDone()) return false;
    }
    return true;
}

bool FormatTable(std::span<const TMyItem> entries, std::span<const size_t> rows,
                 const std::vector<ExportFieldItem>& fields, bool terminal, BlockWriter& out) {
    const LocaleFormats formats = LocaleFormats::FromEnvironment();
    std::string& block = out.Block();
    for (const size_t row : rows) {
        const std::string line = ResultTableRow(entries[row], fields, formats);
        block.append(terminal ? TerminalSafeText(line) : line);
        block.append(kExportLineEnd);
        if (!out.RowDone()) return false;
    }
    return true;
}

}  // namespace

bool FormatResultRows(std::span<const TMyItem> entries, std::span<const size_t> rows,
                      const ResultOutputOptions& options, char terminator, bool terminal,
                      const OutputBlockSink& sink) {
    BlockWriter out(sink);
    bool more = false;
    if (!options.format) {
        more = FormatPaths(entries, rows, terminator, terminal, out);
    } else if (*options.format == ResultFormat::List) {
        more = FormatList(entries, rows, terminal, out);
    } else {
        more = FormatTable(entries, rows, options.fields, terminal, out);
    }
    return more && out.Finish();
}

}  // namespace quillory::command
