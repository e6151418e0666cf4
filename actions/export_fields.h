#pragma once
// The eight fields of the table export, in their fixed order, with the ticks the field
// chooser starts with.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry.h"
#include "platform/locale_formats.h"

namespace quillory {

enum class ExportField : int {
    Name = 0,
    Folder = 1,
    Size = 2,
    CreationDate = 3,
    ModificationDate = 4,
    LastAccessDate = 5,
    Ext = 6,
    Attributes = 7,
};
inline constexpr int kExportFieldCount = 8;

struct ExportFieldInfo {
    const char* caption;  // as the field chooser lists it
    const char* word;     // the CLI's name for it
    bool tickedByDefault;
};
inline constexpr std::array<ExportFieldInfo, kExportFieldCount> kExportFields = {{
    {"Name", "name", true},
    {"Folder", "folder", true},
    {"Size", "size", true},
    {"Creation date", "created", false},
    {"Modification date", "modified", true},
    {"Last access date", "accessed", false},
    {"Ext", "ext", true},
    {"Attributes", "attributes", false},
}};

// One item of the field chooser's list: its tick and its data number (the field).
struct ExportFieldItem {
    bool checked = false;
    int data = 0;
};

// The chooser's eight items in order, data numbers 0 to 7, fields 0, 1, 2, 4 and 6 ticked.
std::vector<ExportFieldItem> DefaultExportFieldItems();

// The field's value for `entry`: the name, the folder as stored, the size text, a date text
// or the attributes text.
std::string ExportFieldValue(const TMyItem& entry, ExportField field, const LocaleFormats& formats);

// The field the CLI word names ("name", "folder", "size", "created", "modified",
// "accessed", "ext", "attributes"), or nothing.
std::optional<ExportField> ExportFieldFromWord(std::string_view word);

}  // namespace quillory
