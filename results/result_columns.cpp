#include "results/result_columns.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdio>

#include "results/size_text.h"

namespace quillory {

namespace {

bool ShownAsCode(UChar32 c) {
    if (c == 0x200C || c == 0x200D) return false;
    switch (u_charType(c)) {
        case U_CONTROL_CHAR:
        case U_FORMAT_CHAR:
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string VisibleText(std::string_view text) {
    // Most names are plain printable ASCII: they are returned without a second look.
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7F;
    });
    if (plain || text.size() > INT32_MAX) return std::string(text);
    std::string shown;
    shown.reserve(text.size());
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        const int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c >= 0 && ShownAsCode(c)) {
            char code[16];
            std::snprintf(code, sizeof code, "<U+%04X>", static_cast<unsigned>(c));
            shown += code;
        } else {
            shown.append(text.substr(static_cast<size_t>(start), static_cast<size_t>(i - start)));
        }
    }
    return shown;
}

std::string ResultColumnText(const TMyItem& entry, ResultColumn column, const LocaleFormats& formats) {
    switch (column) {
        case ResultColumn::Name:
            return VisibleText(entry.Name());
        case ResultColumn::Folder:
            return VisibleText(entry.Folder());
        case ResultColumn::Size:
            return SizeText(entry.Size, formats);
        case ResultColumn::Date:
            return DateText(entry.Modified, formats);
        case ResultColumn::Ext:
            return VisibleText(entry.Ext());
    }
    return {};
}

bool ColumnTexts(const EntryList& results, size_t index, const LocaleFormats& formats, ResultRowTexts& row) {
    if (index >= results.Count()) return false;
    const TMyItem& entry = results[index];
    row.caption = VisibleText(entry.Name());
    row.subItems[0] = VisibleText(entry.Folder());
    row.subItems[1] = SizeText(entry.Size, formats);
    row.subItems[2] = DateText(entry.Modified, formats);
    row.subItems[3] = VisibleText(entry.Ext());
    row.imageIndex = entry.IconIndex >= 0 ? entry.IconIndex : 0;
    return true;
}

}  // namespace quillory
