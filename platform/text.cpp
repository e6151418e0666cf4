#include "platform/text.h"

#include <unicode/uchar.h>

namespace quillory::text {

CodePoint DecodeCodePoint(const char* p, const char* end) {
    const auto b0 = static_cast<unsigned char>(*p);
    if (b0 < 0x80) return {b0, 1};
    uint32_t length;
    int32_t value;
    int32_t minimum;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, value = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, value = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, value = b0 & 0x07, minimum = 0x10000;
    } else {
        return {-1, 1};
    }
    if (end - p < static_cast<std::ptrdiff_t>(length)) return {-1, 1};
    for (uint32_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(p[i]);
        if ((b & 0xC0) != 0x80) return {-1, 1};
        value = (value << 6) | (b & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {-1, 1};
    return {value, length};
}

void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

char32_t UpperCodePoint(char32_t cp) {
    if (cp < 0x80) return (cp >= 'a' && cp <= 'z') ? cp - 32 : cp;
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp)));
}

char32_t LowerCodePoint(char32_t cp) {
    if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    return static_cast<char32_t>(u_tolower(static_cast<UChar32>(cp)));
}

namespace {

template <char32_t (*Map)(char32_t)>
void AppendMapped(std::string_view in, std::string& out) {
    const char* p = in.data();
    const char* end = p + in.size();
    while (p < end) {
        // A run of ASCII goes in as one piece: most texts are mostly ASCII.
        const char* run = p;
        while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
        if (p > run) {
            const size_t old = out.size();
            out.resize(old + static_cast<size_t>(p - run));
            char* to = out.data() + old;
            for (const char* c = run; c < p; ++c)
                *to++ = static_cast<char>(Map(static_cast<unsigned char>(*c)));
            if (p == end) break;
        }
        const CodePoint cp = DecodeCodePoint(p, end);
        if (cp.value < 0) {
            out.push_back(*p);
        } else {
            AppendCodePoint(out, Map(static_cast<char32_t>(cp.value)));
        }
        p += cp.length;
    }
}

}  // namespace

void AppendUpperCase(std::string_view in, std::string& out) {
    AppendMapped<UpperCodePoint>(in, out);
}
void AppendLowerCase(std::string_view in, std::string& out) {
    AppendMapped<LowerCodePoint>(in, out);
}

std::string UpperCase(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    AppendUpperCase(in, out);
    return out;
}

std::string LowerCase(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    AppendLowerCase(in, out);
    return out;
}

bool IsValidUtf8(std::string_view in) {
    const char* p = in.data();
    const char* end = p + in.size();
    while (p < end) {
        const CodePoint cp = DecodeCodePoint(p, end);
        if (cp.value < 0) return false;
        p += cp.length;
    }
    return true;
}

}  // namespace quillory::text
