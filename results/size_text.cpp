#include "results/size_text.h"

#include <array>

namespace quillory {

namespace {

// v / 1024 rounded to the nearest integer, a half going to the even neighbour. Works on
// the magnitude so negative sizes (never produced by the walk, but a database may hold
// anything) round symmetrically.
int64_t DivideBy1024HalfEven(int64_t v) {
    const bool negative = v < 0;
    // The magnitude of INT64_MIN does not fit int64_t; uint64_t holds it.
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    uint64_t quotient = magnitude / 1024;
    const uint64_t remainder = magnitude % 1024;
    if (remainder > 512 || (remainder == 512 && (quotient & 1) != 0)) ++quotient;
    return negative ? -static_cast<int64_t>(quotient) : static_cast<int64_t>(quotient);
}

}  // namespace

std::string GroupDigits(int64_t value, const LocaleFormats& formats) {
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    std::array<char, 20> digits{};
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);

    const std::string& separator = formats.ThousandsSeparator();
    std::string text;
    text.reserve(count + (count / 3) * separator.size() + 1);
    if (negative) text.push_back('-');
    for (size_t i = count; i-- > 0;) {
        // i digits remain to the right of this one: a separator goes before every digit whose
        // count of digits to its right, itself included, is a multiple of three.
        if (i != count - 1 && (i + 1) % 3 == 0) text.append(separator);
        text.push_back(digits[i]);
    }
    return text;
}

std::string SizeText(int64_t size, const LocaleFormats& formats) {
    static constexpr std::array<const char*, 4> kUnits = {" bytes", " KB", " MB", " GB"};
    int64_t v = size;
    size_t unit = 0;
    if (v >= 100000) {
        do {
            v = DivideBy1024HalfEven(v);
            ++unit;
        } while (v >= 100000 && unit < kUnits.size() - 1);
    }
    return GroupDigits(v, formats).append(kUnits[unit]);
}

}  // namespace quillory
