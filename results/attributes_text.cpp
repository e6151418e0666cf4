#include "results/attributes_text.h"

#include <array>

namespace quillory {

namespace {

struct NamedFlag {
    uint32_t value;
    const char* name;
};

constexpr uint32_t kNormalValue = 0x80;

// The written order; NORMAL is a value, not a bit, and is tested on its own below.
constexpr std::array<NamedFlag, 9> kFlags = {{
    {0x20, "ARCHIVE"},
    {0x800, "COMPRESSED"},
    {0x10, "DIRECTORY"},
    {0x2, "HIDDEN"},
    {kNormalValue, "NORMAL"},
    {0x1000, "OFFLINE"},
    {0x1, "READONLY"},
    {0x4, "SYSTEM"},
    {0x100, "TEMPORARY"},
}};

}  // namespace

std::string AttributesText(uint32_t attributes) {
    std::string text;
    for (const NamedFlag& flag : kFlags) {
        const bool set =
            flag.value == kNormalValue ? attributes == kNormalValue : (attributes & flag.value) != 0;
        if (set) text.append(flag.name).append(" | ");
    }
    if (text.size() > 3 && text.back() == ' ') text.resize(text.size() - 3);
    return text;
}

}  // namespace quillory
