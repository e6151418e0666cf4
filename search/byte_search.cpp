#include "search/byte_search.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillory {

namespace {

// The middle of a candidate: usually a few bytes, where a call costs more than the compare.
bool EqualBytes(const char* a, const char* b, size_t n) {
    if (n > 8) return std::memcmp(a, b, n) == 0;
    for (size_t j = 0; j < n; ++j) {
        if (a[j] != b[j]) return false;
    }
    return true;
}

}  // namespace

const char* FindBytes(const char* data, size_t size, std::string_view needle) {
    const size_t k = needle.size();
    if (k == 0) return data;
    if (k > size) return nullptr;
    if (k == 1) return static_cast<const char*>(std::memchr(data, needle[0], size));
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[k - 1]);
    // Block i tests the starts i to i + 15; its last-byte load ends at i + 15 + k - 1.
    for (; i + 16 + k - 1 <= size; i += 16) {
        const __m128i blockFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i blockLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + k - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(first, blockFirst), _mm_cmpeq_epi8(last, blockLast))));
        while (mask != 0) {
            const auto bit = static_cast<size_t>(__builtin_ctz(mask));
            if (EqualBytes(data + i + bit + 1, needle.data() + 1, k - 2)) return data + i + bit;
            mask &= mask - 1;
        }
    }
#endif
    // The tail (or a short text, such as one name) is shorter than a block: a plain loop
    // costs less than setting up a general search.
    if (size - i < 64) {
        for (; i + k <= size; ++i) {
            if (data[i] == needle[0] && std::memcmp(data + i + 1, needle.data() + 1, k - 1) == 0)
                return data + i;
        }
        return nullptr;
    }
    return static_cast<const char*>(memmem(data + i, size - i, needle.data(), k));
}

}  // namespace quillory
