#pragma once
// The attribute bits as text, for the table export.

#include <cstdint>
#include <string>

namespace quillory {

// The names of the set flags in a fixed order, joined by " | ": ARCHIVE, COMPRESSED,
// DIRECTORY, HIDDEN, NORMAL (only when the whole value is exactly 0x80), OFFLINE, READONLY,
// SYSTEM, TEMPORARY. Other bits add nothing; no listed flag gives an empty text.
std::string AttributesText(uint32_t attributes);

}  // namespace quillory
