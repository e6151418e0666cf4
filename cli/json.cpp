#include "cli/json.h"

#include <cstdio>

#include "platform/text.h"

namespace quillory::cli {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    const char* p = text.data();
    const char* end = p + text.size();
    auto escapeByte = [&](unsigned char b) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\u%04x", b);
        out += hex;
    };
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x80) {
            const text::CodePoint cp = text::DecodeCodePoint(p, end);
            if (cp.value < 0) {
                escapeByte(c);
            } else {
                out.append(p, cp.length);
            }
            p += cp.length;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    escapeByte(c);
                } else {
                    out += static_cast<char>(c);
                }
        }
        ++p;
    }
    out += '"';
    return out;
}

void JsonObjectWriter::Lines(std::string_view key, const std::vector<std::string>& lines) {
    std::string array = "[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) array += ',';
        array += JsonString(lines[i]);
    }
    array += ']';
    Raw(key, array);
}

void JsonObjectWriter::Raw(std::string_view key, std::string_view json) {
    if (!first_) out_ << ',';
    first_ = false;
    out_ << JsonString(key) << ':' << json;
}

}  // namespace quillory::cli
