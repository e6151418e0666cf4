#include "command/result_output.h"

#include <array>
#include <atomic>
#include <exception>
#include <string_view>
#include <system_error>
#include <thread>

#include "actions/export_writers.h"
#include "command/command_status.h"
#include "platform/terminal.h"
#include "platform/thread_placement.h"
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

bool FormatRowRange(std::span<const TMyItem> entries, std::span<const size_t> rows,
                    const ResultOutputOptions& options, char terminator, bool terminal,
                    const OutputBlockSink& sink) {
    std::string block;
    block.reserve(kOutputBlockBytes + 4096);
    // Each row is appended whole; a full block goes out before the next row.
    const auto rowDone = [&]() {
        if (block.size() < kOutputBlockBytes) return true;
        const bool more = sink(block);
        block.clear();
        block.reserve(kOutputBlockBytes + 4096);
        return more;
    };
    // Rows lie scattered over the catalogue: ask for an entry a few rows ahead, and for its
    // texts once the entry is there, so the misses overlap instead of coming one by one.
    const auto prefetch = [&](size_t k) {
        if (k + 16 < rows.size()) __builtin_prefetch(&entries[rows[k + 16]]);
        if (k + 8 < rows.size()) {
            const TMyItem& ahead = entries[rows[k + 8]];
            __builtin_prefetch(ahead.Folder().data());
            __builtin_prefetch(ahead.Name().data());
        }
    };
    if (!options.format) {
        for (size_t k = 0; k < rows.size(); ++k) {
            prefetch(k);
            const TMyItem& entry = entries[rows[k]];
            if (terminal) {
                block.append(TerminalSafeText(entry.Folder()));
                block.append(TerminalSafeText(entry.Name()));
            } else {
                block.append(entry.Folder());
                block.append(entry.Name());
            }
            block.push_back(terminator);
            if (!rowDone()) return false;
        }
    } else if (*options.format == ResultFormat::List) {
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
            if (!rowDone()) return false;
        }
    } else {
        const LocaleFormats formats = LocaleFormats::FromEnvironment();
        for (const size_t row : rows) {
            const std::string line = ResultTableRow(entries[row], options.fields, formats);
            block.append(terminal ? TerminalSafeText(line) : line);
            block.append(kExportLineEnd);
            if (!rowDone()) return false;
        }
    }
    return block.empty() || sink(block);
}

// Below this many rows one thread formats them all: a second one costs more than it saves.
constexpr size_t kRowsForTwoThreads = 16384;

}  // namespace

bool FormatResultRows(std::span<const TMyItem> entries, std::span<const size_t> rows,
                      const ResultOutputOptions& options, char terminator, bool terminal,
                      const OutputBlockSink& sink) {
    if (rows.size() < kRowsForTwoThreads)
        return FormatRowRange(entries, rows, options, terminator, terminal, sink);
    // The rows lie scattered over the catalogue and formatting them waits on memory: a second
    // thread formats the later half into blocks kept here, which follow the first half's in
    // order once it has gone out. The bytes are those of one thread.
    const size_t half = rows.size() / 2;
    std::vector<std::string> later;
    std::atomic<bool> abandoned{false};
    std::exception_ptr laterError;
    const auto formatLater = [&] {
        try {
            FormatRowRange(entries, rows.subspan(half), options, terminator, terminal,
                           [&](std::string& block) {
                               later.push_back(std::move(block));
                               block = std::string();
                               return !abandoned.load(std::memory_order_relaxed);
                           });
        } catch (...) {
            laterError = std::current_exception();
        }
    };
    std::thread helper;
    try {
        helper = std::thread(formatLater);
        int keptOff = -1;
        KeepOffThisProcessor(helper, keptOff);
    } catch (const std::system_error&) {
        return FormatRowRange(entries, rows, options, terminator, terminal, sink);  // no thread to be had
    }
    bool more = false;
    try {
        more = FormatRowRange(entries, rows.first(half), options, terminator, terminal, sink);
    } catch (...) {
        abandoned = true;
        helper.join();
        throw;
    }
    if (!more) abandoned = true;
    helper.join();
    if (!more) return false;
    if (laterError) std::rethrow_exception(laterError);
    for (std::string& block : later) {
        if (!sink(block)) return false;
    }
    return true;
}

bool FormatResultRowsOnThisThread(std::span<const TMyItem> entries, std::span<const size_t> rows,
                                  const ResultOutputOptions& options, char terminator, bool terminal,
                                  const OutputBlockSink& sink) {
    return FormatRowRange(entries, rows, options, terminator, terminal, sink);
}

}  // namespace quillory::cli
