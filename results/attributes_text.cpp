#include "results/attributes_text.h"

#include <array>

#include "platform/file_attributes.h"

namespace quillory {

namespace {

struct NamedFlag {
    uint32_t value;
    const char* name;
};

// The written order; NORMAL is a value, not a bit, and is tested on its own below.
constexpr std::array<NamedFlag, 9> kFlags = {{
    {kAttrArchive, "ARCHIVE"},
    {kAttrCompressed, "COMPRESSED"},
    {kAttrDirectory, "DIRECTORY"},
    {kAttrHidden, "HIDDEN"},
    {kAttrNormal, "NORMAL"},
    {kAttrOffline, "OFFLINE"},
    {kAttrReadOnly, "READONLY"},
    {kAttrSystem, "SYSTEM"},
    {kAttrTemporary, "TEMPORARY"},
}};

}  // namespace

std::string AttributesText(uint32_t attributes) {
    std::string text;
    for (const NamedFlag& flag : kFlags) {
        const bool set =
            flag.value == kAttrNormal ? attributes == kAttrNormal : (attributes & flag.value) != 0;
        if (set) text.append(flag.name).append(" | ");
    }
    if (text.size() > 3 && text.back() == ' ') text.resize(text.size() - 3);
    return text;
}

}  // namespace quillory
