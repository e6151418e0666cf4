#pragma once
// The size column's text and the digit grouping it uses, in the user's locale formats.

#include <cstdint>
#include <string>

#include "platform/locale_formats.h"

namespace quillory {

// The decimal digits of `value` with the locale's thousands separator between every group of
// three digits counted from the right. A negative value keeps its minus sign in front.
std::string GroupDigits(int64_t value, const LocaleFormats& formats);

// Sizes below 100000 show in bytes; from there the value is divided by 1024 (rounded half to
// even at every step) through KB and MB until it is below 100000, or it reaches GB, which
// has no upper bound: "99,999 bytes", "98 KB", "102,400 GB".
std::string SizeText(int64_t size, const LocaleFormats& formats);

}  // namespace quillory
