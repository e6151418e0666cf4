#pragma once
// The columns of the result list and the texts of one row, formatted on demand: the list
// keeps no texts of its own and asks for a row's texts whenever it draws the row.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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

// `text` as the list shows a name or folder: every character that is invisible or reorders
// the text around it (controls, line and paragraph separators, and format characters such as
// the right-to-left override U+202E or the zero-width space) shows as "<U+XXXX>", so a name
// cannot pose as another: "rtl\u202Etxt.exe" reads "rtl<U+202E>txt.exe", never "rtlexe.txt".
// The joiners U+200C and U+200D stay: they only join letters and emoji of ordinary names.
// Bytes that are not UTF-8 stay as they are. Exports and clipboard texts never pass here.
std::string VisibleText(std::string_view text);

// The text of column `column` for `entry` as the list shows it (names, folders and
// extensions through VisibleText).
std::string ResultColumnText(const TMyItem& entry, ResultColumn column, const LocaleFormats& formats);

// Fills `row` from result `index` as ResultColumnText gives each column; returns false and
// leaves `row` untouched when the index is at or beyond the result count. The image index is
// the entry's icon, 0 until it is known.
bool ColumnTexts(const EntryList& results, size_t index, const LocaleFormats& formats, ResultRowTexts& row);

}  // namespace quillory
