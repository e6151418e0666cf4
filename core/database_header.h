#pragma once
// The database fields of the header, listed once: the file's writer and reader, the length
// check before a save and every printout of a header walk this table in file order.

#include <array>
#include <cstdint>
#include <string_view>

#include "core/program_options.h"

namespace quillory {

enum class HeaderFieldKind : uint8_t {
    Text,     // a string field holding one text
    Lines,    // a string field holding lines, each ended by CR LF
    Flag,     // a one-byte boolean
    Seconds,  // an int32
    Time,     // a double date-time
};

struct HeaderField {
    std::string_view name;
    HeaderFieldKind kind;
    std::string TProgramOptions::*text = nullptr;  // Text, Lines
    bool TProgramOptions::*flag = nullptr;         // Flag
    int32_t TProgramOptions::*seconds = nullptr;   // Seconds
    DateTime TProgramOptions::*time = nullptr;     // Time
};

// The header after the version and the record count, in file order.
inline constexpr std::array<HeaderField, 11> kHeaderFields = {{
    {"DatabaseName", HeaderFieldKind::Text, &TProgramOptions::DatabaseName},
    {"DBFileName", HeaderFieldKind::Text, &TProgramOptions::DBFileName},
    {"IncludedFolders", HeaderFieldKind::Lines, &TProgramOptions::IncludedFolders},
    {"ExcludedFolders", HeaderFieldKind::Lines, &TProgramOptions::ExcludedFolders},
    {"ExtensionFilterOn", HeaderFieldKind::Flag, nullptr, &TProgramOptions::ExtensionFilterOn},
    {"IncludeExtensionsMode", HeaderFieldKind::Flag, nullptr, &TProgramOptions::IncludeExtensionsMode},
    {"ExcludeExtensionsMode", HeaderFieldKind::Flag, nullptr, &TProgramOptions::ExcludeExtensionsMode},
    {"IncludedExtensions", HeaderFieldKind::Lines, &TProgramOptions::IncludedExtensions},
    {"ExcludedExtensions", HeaderFieldKind::Lines, &TProgramOptions::ExcludedExtensions},
    {"LastRescanSeconds", HeaderFieldKind::Seconds, nullptr, nullptr, &TProgramOptions::LastRescanSeconds},
    {"LastRescanTime", HeaderFieldKind::Time, nullptr, nullptr, nullptr, &TProgramOptions::LastRescanTime},
}};

// Copies every header field of `from` into `to`; the other options stay.
inline void CopyHeaderFields(TProgramOptions&& from, TProgramOptions& to) {
    for (const HeaderField& f : kHeaderFields) {
        switch (f.kind) {
            case HeaderFieldKind::Text:
            case HeaderFieldKind::Lines:
                to.*f.text = std::move(from.*f.text);
                break;
            case HeaderFieldKind::Flag:
                to.*f.flag = from.*f.flag;
                break;
            case HeaderFieldKind::Seconds:
                to.*f.seconds = from.*f.seconds;
                break;
            case HeaderFieldKind::Time:
                to.*f.time = from.*f.time;
                break;
        }
    }
}

}  // namespace quillory
