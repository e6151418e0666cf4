#pragma once
// The columns of the result list and the texts of one row, formatted on demand: the list
// keeps no texts of its own and asks for a row's texts whenever it draws the row.

#include <array>
#include <cstdint>
#include <string>

#include "core/entry_list.h"
#include "platform/locale_formats.h"

namespace quillory {

enum class ResultColumn : int8_t { Name = 0, Folder = 1, Size = 2, Date = 3, Ext = 4 };
inline constexpr int kResultColumnCount = 5;

struct ColumnInfo {
    const char* caption;
    int initialWidth;  // pixels
};
inline constexpr std::array<ColumnInfo, kResultColumnCount> kResultColumns = {{
    {"Name", 140},
    {"Folder", 180},
    {"Size", 90},
    {"Date", 100},
    {"Ext", 50},
}};

// One row as the list shows it: the caption (the name), the four sub-item texts in column
// order (folder, size text, date text of the last write, extension) and the image index.
struct ResultRowTexts {
    std::string caption;
    std::array<std::string, 4> subItems;
    int32_t imageIndex = 0;
};

// The text of column `column` for `entry`.
std::string ResultColumnText(const TMyItem& entry, ResultColumn column, const LocaleFormats& formats);

// Fills `row` from result `index`; returns false and leaves `row` untouched when the index is
// at or beyond the result count. The image index is the entry's icon, 0 until it is known.
bool ColumnTexts(const EntryList& results, size_t index, const LocaleFormats& formats, ResultRowTexts& row);

}  // namespace quillory
