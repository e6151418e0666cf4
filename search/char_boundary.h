#pragma once
// Character positions in UTF-8 byte strings. A character is one code point; a byte that does
// not start a valid sequence is a character of its own. A byte that is not a continuation
// byte (10xxxxxx) always starts a character, which lets every question here be answered by
// looking at most three bytes back.

#include <cstddef>
#include <string_view>

#include "platform/text.h"

namespace quillory {

inline bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// True when `pos` (0 to size) is where a character starts or the text ends.
inline bool IsCharBoundary(std::string_view s, size_t pos) {
    if (pos == 0 || pos >= s.size() || !IsContinuationByte(s[pos])) return true;
    const size_t lowest = pos >= 3 ? pos - 3 : 0;
    for (size_t j = pos; j-- > lowest;) {
        if (!IsContinuationByte(s[j])) {
            const text::CodePoint cp = text::DecodeCodePoint(s.data() + j, s.data() + s.size());
            return j + cp.length <= pos;
        }
    }
    return true;  // only continuation bytes before: each is a character of its own
}

// The character that ends just before the boundary `pos` (> 0): its code point, or -1 for a
// byte that does not start a valid sequence.
inline int32_t CodePointBefore(std::string_view s, size_t pos) {
    const size_t lowest = pos >= 4 ? pos - 4 : 0;
    for (size_t j = pos; j-- > lowest;) {
        if (!IsContinuationByte(s[j])) {
            const text::CodePoint cp = text::DecodeCodePoint(s.data() + j, s.data() + s.size());
            return j + cp.length == pos ? cp.value : -1;
        }
    }
    return -1;
}

inline int32_t CodePointAt(std::string_view s, size_t pos) {
    return text::DecodeCodePoint(s.data() + pos, s.data() + s.size()).value;
}

inline size_t CharLengthAt(std::string_view s, size_t pos) {
    return text::DecodeCodePoint(s.data() + pos, s.data() + s.size()).length;
}

}  // namespace quillory
