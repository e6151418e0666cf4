#pragma once
// What the "Properties" command of the result list's context menu shows about one file: read
// afresh from the file system (the catalogue's copy may be old), never following a symbolic
// link, every value as the text the dialog shows.

#include <optional>
#include <string>

#include "platform/file_status.h"
#include "platform/locale_formats.h"

namespace quillory {

struct FilePropertiesText {
    std::string name;
    std::string folder;    // ending with "/"
    std::string size;      // "1,234 bytes"; empty for a folder
    std::string modified;  // DateText of each time; "" for a time outside 1980-2107
    std::string accessed;
    std::string created;      // the birth time, or the modification time where none is kept
    std::string permissions;  // "-rw-r--r-- (644)"
};

// Nothing when the file does not exist (or cannot be examined).
std::optional<FilePropertiesText> ReadFileProperties(const std::string& path, const LocaleFormats& formats);

}  // namespace quillory
