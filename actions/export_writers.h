#pragma once
// The two exports of the result list: every result in the order the list shows, the
// selection playing no part. Each line ends with the platform's line end, "\n".

#include <iosfwd>
#include <span>
#include <string>

#include "actions/export_fields.h"
#include "core/entry_list.h"
#include "platform/locale_formats.h"

namespace quillory {

inline constexpr std::string_view kExportLineEnd = "\n";

// One table row: for every ticked item, in the items' order, the field's value in double
// quotes, the values joined by commas. A double quote inside a value is doubled, so every
// row stays one parseable CSV record whatever the names hold.
std::string ResultTableRow(const TMyItem& entry, std::span<const ExportFieldItem> items,
                           const LocaleFormats& formats);

// The same rows written to a stream (the CLI prints them).
void WriteFileList(std::ostream& out, const EntryList& results);
void WriteResultTable(std::ostream& out, const EntryList& results, std::span<const ExportFieldItem> items,
                      const LocaleFormats& formats);

// Writes the file (replacing an existing one without asking): one full path per line, or
// one table row per line. No results give an empty file. A regular file is written beside
// its name and renamed into place, so a failure never leaves a half-written export; a target
// that is no regular file (a named pipe, /dev/stdout) is written straight into. A failure
// throws Error with the reason.
void WriteFileList(const std::string& path, const EntryList& results);
void WriteResultTable(const std::string& path, const EntryList& results,
                      std::span<const ExportFieldItem> items, const LocaleFormats& formats);

}  // namespace quillory
