#pragma once
// Text rules of the engine. Every name and path is a byte string exactly as the file
// system gave it; a "character" is one UTF-8 code point, and a byte that does not start a
// valid sequence counts as one character of its own and is never altered.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillory::text {

// One decoded character: `value` is the code point, or -1 for a byte that does not start a
// valid UTF-8 sequence (then `length` is 1).
struct CodePoint {
    int32_t value;
    uint32_t length;
};

// Decodes the character at p; requires p < end. Overlong forms, surrogates and values above
// U+10FFFF are invalid bytes.
CodePoint DecodeCodePoint(const char* p, const char* end);

void AppendCodePoint(std::string& out, char32_t cp);

// Simple one-to-one case mapping of a single code point (ß stays ß).
char32_t UpperCodePoint(char32_t cp);
char32_t LowerCodePoint(char32_t cp);

// Appends the upper / lower form of `in` to `out`. The mapped text may differ in length
// (ı U+0131 upper-cases to the one-byte I); invalid bytes are copied unchanged.
void AppendUpperCase(std::string_view in, std::string& out);
void AppendLowerCase(std::string_view in, std::string& out);

std::string UpperCase(std::string_view in);
std::string LowerCase(std::string_view in);

bool IsValidUtf8(std::string_view in);

}  // namespace quillory::text
