#include "search/ascii_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillory {

namespace {

constexpr bool IsLowerAscii(char c) {
    return c >= 'a' && c <= 'z';
}
constexpr bool IsUpperAscii(char c) {
    return c >= 'A' && c <= 'Z';
}
constexpr char UpperAscii(char c) {
    return IsLowerAscii(c) ? static_cast<char>(c - 32) : c;
}

bool HoldsLowerAscii(std::string_view text) {
    for (const char c : text) {
        if (IsLowerAscii(c)) return true;
    }
    return false;
}

bool HoldsNonAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

bool EqualsUpper(const char* subject, const char* needle, size_t n) {
    for (size_t j = 0; j < n; ++j) {
        if (UpperAscii(subject[j]) != needle[j]) return false;
    }
    return true;
}

// The UTF-8 forms of dotless i (C4 B1) and long s (C5 BF).
bool IsUpperingToAsciiAt(const char* p) {
    const auto b0 = static_cast<unsigned char>(p[0]);
    const auto b1 = static_cast<unsigned char>(p[1]);
    return (b0 == 0xC4 && b1 == 0xB1) || (b0 == 0xC5 && b1 == 0xBF);
}

// Maps increasing positions of a buffer to the names that lie in it, in order.
class NameCursor {
  public:
    explicit NameCursor(std::span<const std::string_view> names) : names_(names) {}

    // The name that holds [p, p + length) whole, or -1; `p` never decreases between calls.
    long NameHolding(const char* p, size_t length) {
        while (next_ < names_.size() && names_[next_].data() + names_[next_].size() <= p) ++next_;
        if (next_ >= names_.size()) return -1;
        const std::string_view name = names_[next_];
        if (p < name.data() || p + length > name.data() + name.size()) return -1;
        return static_cast<long>(next_);
    }
    bool Done() const { return next_ >= names_.size(); }
    // Where the name after `k` starts (or the buffer's end).
    const char* After(size_t k) const {
        return k + 1 < names_.size() ? names_[k + 1].data() : names_[k].data() + names_[k].size();
    }

  private:
    std::span<const std::string_view> names_;
    size_t next_ = 0;
};

// Marks the names holding a byte of 0x80 or above.
void MarkNonAscii(std::span<const std::string_view> names, std::vector<uint8_t>& marks) {
    for (size_t k = 0; k < names.size(); ++k) {
        if (HoldsNonAscii(names[k])) marks[k] = 1;
    }
}

// Marks the names holding a dotless i or a long s.
void MarkUpperingToAscii(const char* data, size_t size, std::span<const std::string_view> names,
                         std::vector<uint8_t>& marks) {
    NameCursor cursor(names);
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i c4 = _mm_set1_epi8(static_cast<char>(0xC4));
    const __m128i b1 = _mm_set1_epi8(static_cast<char>(0xB1));
    const __m128i c5 = _mm_set1_epi8(static_cast<char>(0xC5));
    const __m128i bf = _mm_set1_epi8(static_cast<char>(0xBF));
    for (; i + 17 <= size; i += 16) {
        const __m128i lead = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(lead, c4), _mm_cmpeq_epi8(next, b1)),
                         _mm_and_si128(_mm_cmpeq_epi8(lead, c5), _mm_cmpeq_epi8(next, bf)))));
        while (mask != 0) {
            const auto bit = static_cast<size_t>(__builtin_ctz(mask));
            const long k = cursor.NameHolding(data + i + bit, 2);
            if (k >= 0) marks[static_cast<size_t>(k)] = 1;
            mask &= mask - 1;
        }
        if (cursor.Done()) return;
    }
#endif
    for (; i + 2 <= size; ++i) {
        if (!IsUpperingToAsciiAt(data + i)) continue;
        const long k = cursor.NameHolding(data + i, 2);
        if (k >= 0) marks[static_cast<size_t>(k)] = 1;
    }
}

}  // namespace

const char* FindAsciiUpper(const char* data, size_t size, std::string_view needle) {
    const size_t k = needle.size();
    if (k == 0) return data;
    if (k > size || HoldsLowerAscii(needle)) return nullptr;
    size_t i = 0;
#if defined(__SSE2__)
    if (k >= 2) {
        // OR-ing 0x20 into a byte turns both cases of an ASCII letter into the lower one, and no
        // other byte into it; bytes compared against anything but a letter are left as they are.
        auto foldBit = [](char c) { return static_cast<char>(IsUpperAscii(c) ? 0x20 : 0); };
        const char first = needle[0];
        const char last = needle[k - 1];
        const __m128i firstFold = _mm_set1_epi8(foldBit(first));
        const __m128i firstWant = _mm_set1_epi8(static_cast<char>(first | foldBit(first)));
        const __m128i lastFold = _mm_set1_epi8(foldBit(last));
        const __m128i lastWant = _mm_set1_epi8(static_cast<char>(last | foldBit(last)));
        // Block i tests the starts i to i + 15; its last-byte load ends at i + 15 + k - 1.
        for (; i + 16 + k - 1 <= size; i += 16) {
            const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const __m128i blockLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + k - 1));
            auto mask = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(blockFirst, firstFold), firstWant),
                              _mm_cmpeq_epi8(_mm_or_si128(blockLast, lastFold), lastWant))));
            while (mask != 0) {
                const auto bit = static_cast<size_t>(__builtin_ctz(mask));
                if (EqualsUpper(data + i + bit + 1, needle.data() + 1, k - 2)) return data + i + bit;
                mask &= mask - 1;
            }
        }
    }
#endif
    const char first = needle[0];
    for (; i + k <= size; ++i) {
        if (UpperAscii(data[i]) == first && EqualsUpper(data + i + 1, needle.data() + 1, k - 1))
            return data + i;
    }
    return nullptr;
}

bool HoldsCharUpperingToAscii(std::string_view text) {
    for (size_t i = 0; i + 2 <= text.size(); ++i) {
        if (IsUpperingToAsciiAt(text.data() + i)) return true;
    }
    return false;
}

bool NameMayHoldUpper(std::string_view name, std::string_view upperLiteral) {
    if (upperLiteral.empty() || HoldsLowerAscii(upperLiteral)) return true;
    if (HoldsNonAscii(upperLiteral)) return HoldsNonAscii(name);
    return FindAsciiUpper(name.data(), name.size(), upperLiteral) != nullptr ||
           HoldsCharUpperingToAscii(name);
}

void MarkNamesMayHoldUpper(std::span<const std::string_view> names, std::string_view upperLiteral,
                           std::vector<uint8_t>& marks) {
    marks.assign(names.size(), 0);
    if (names.empty()) return;
    if (upperLiteral.empty() || HoldsLowerAscii(upperLiteral)) {
        marks.assign(names.size(), 1);
        return;
    }
    if (HoldsNonAscii(upperLiteral)) {
        // An ASCII name upper-cases to ASCII and cannot hold it.
        MarkNonAscii(names, marks);
        return;
    }
    const char* begin = names.front().data();
    const char* end = names.back().data() + names.back().size();
    const size_t k = upperLiteral.size();
    NameCursor cursor(names);
    const char* p = begin;
    while (p < end) {
        const char* hit = FindAsciiUpper(p, static_cast<size_t>(end - p), upperLiteral);
        if (hit == nullptr) break;
        const long name = cursor.NameHolding(hit, k);
        if (name < 0) {
            p = hit + 1;
            continue;
        }
        marks[static_cast<size_t>(name)] = 1;
        p = cursor.After(static_cast<size_t>(name));
        if (p <= hit) p = hit + 1;
    }
    MarkUpperingToAscii(begin, static_cast<size_t>(end - begin), names, marks);
}

}  // namespace quillory
