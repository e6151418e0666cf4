#include "actions/export_writers.h"

#include <ostream>

#include "platform/atomic_file.h"

namespace quillory {

namespace {

void AppendQuoted(std::string& row, std::string_view value) {
    row.push_back('"');
    for (const char c : value) {
        if (c == '"') row.push_back('"');
        row.push_back(c);
    }
    row.push_back('"');
}

// Text goes out in blocks of this size, so a large export is not held in memory at once.
constexpr size_t kFlushBytes = 1 << 20;

template <typename Sink, typename MakeLine>
void WriteLines(const EntryList& results, Sink&& sink, MakeLine&& makeLine) {
    std::string block;
    for (const TMyItem& entry : results.Entries()) {
        makeLine(entry, block);
        block.append(kExportLineEnd);
        if (block.size() >= kFlushBytes) {
            sink(block);
            block.clear();
        }
    }
    if (!block.empty()) sink(block);
}

void AppendFullPath(const TMyItem& entry, std::string& out) {
    out.append(entry.Folder());
    out.append(entry.Name());
}

}  // namespace

std::string ResultTableRow(const TMyItem& entry, std::span<const ExportFieldItem> items,
                           const LocaleFormats& formats) {
    std::string row;
    for (const ExportFieldItem& item : items) {
        if (!item.checked || item.data < 0 || item.data >= kExportFieldCount) continue;
        AppendQuoted(row, ExportFieldValue(entry, static_cast<ExportField>(item.data), formats));
        row.push_back(',');
    }
    if (!row.empty()) row.pop_back();
    return row;
}

void WriteFileList(std::ostream& out, const EntryList& results) {
    WriteLines(
        results,
        [&](const std::string& block) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        },
        AppendFullPath);
}

void WriteResultTable(std::ostream& out, const EntryList& results, std::span<const ExportFieldItem> items,
                      const LocaleFormats& formats) {
    WriteLines(
        results,
        [&](const std::string& block) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
        },
        [&](const TMyItem& entry, std::string& line) { line.append(ResultTableRow(entry, items, formats)); });
}

void WriteFileList(const std::string& path, const EntryList& results) {
    AtomicFileWriter file(path, SpecialTarget::WriteInto);
    WriteLines(
        results, [&](const std::string& block) { file.Write(block); }, AppendFullPath);
    file.Commit();
}

void WriteResultTable(const std::string& path, const EntryList& results,
                      std::span<const ExportFieldItem> items, const LocaleFormats& formats) {
    AtomicFileWriter file(path, SpecialTarget::WriteInto);
    WriteLines(
        results, [&](const std::string& block) { file.Write(block); },
        [&](const TMyItem& entry, std::string& line) { line.append(ResultTableRow(entry, items, formats)); });
    file.Commit();
}

}  // namespace quillory
