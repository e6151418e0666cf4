#pragma once
// The one-pass case-insensitive scan: finding an upper-case word in names as they are stored,
// without upper-casing them first.
//
// Upper-casing maps every ASCII character to ASCII and every other character to a character
// that is not ASCII, with two exceptions: dotless i (U+0131) becomes I and long s (U+017F)
// becomes S. Bytes that are not valid UTF-8 stay as they are. So the upper-cased form of a name
// can hold an ASCII word only where the name holds that word in either case, or where the name
// holds one of those two characters; every other name can be ruled out from its stored bytes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "search/byte_search.h"  // AllowWideScan

namespace quillory {

// The first position p at which the ASCII upper-cased bytes of [data, data + size) equal
// `needle`, or nullptr. Bytes of 0x80 and above compare as they are. A needle holding a
// lower-case ASCII letter is never found (no upper-cased text holds one); an empty needle is
// found at `data`.
const char* FindAsciiUpper(const char* data, size_t size, std::string_view needle);

// True when `text` holds a dotless i or a long s (the characters beyond ASCII that upper-case
// to ASCII letters).
bool HoldsCharUpperingToAscii(std::string_view text);

// Whether the upper-cased form of `name` may contain `upperLiteral` (an upper-cased required
// text). False only when it certainly does not.
bool NameMayHoldUpper(std::string_view name, std::string_view upperLiteral);

// The same question for many names at once: `names` are views in increasing address order into
// one buffer (gaps between them allowed); marks[k] is set to 1 for each name k that may hold
// `upperLiteral` once upper-cased and left alone for the others. One scan covers the buffer.
void MarkNamesMayHoldUpper(std::span<const std::string_view> names, std::string_view upperLiteral,
                           std::vector<uint8_t>& marks);

// Whether FindTerminatedNamesMayHoldUpper can answer for `upperLiteral`: a text of ASCII
// characters other than lower-case letters and NUL, not empty.
bool TerminatedScanApplies(std::string_view upperLiteral);

// The same question for names laid back to back, each followed by one NUL byte, so that a
// name's position is the number of NULs before it: replaces `out` with the positions (0 for
// the first name) of the names that may hold `upperLiteral` once upper-cased, in increasing
// order, each once, and answers the number of NULs in `names`. That is the number of names
// exactly when no name holds a NUL itself; otherwise the positions are not the names' and the
// caller must ask another way. One scan of the bytes answers it, and nothing but `names` is
// read. Requires TerminatedScanApplies(upperLiteral).
size_t FindTerminatedNamesMayHoldUpper(std::string_view names, std::string_view upperLiteral,
                                       std::vector<size_t>& out);

}  // namespace quillory
