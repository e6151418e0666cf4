#include "search/byte_search.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
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

std::atomic<bool> g_wideScanAllowed{true};

#if defined(__x86_64__) && defined(__GNUC__)
// The blocks of 32 starts from `i` on: the first occurrence, or nullptr with `i` left where
// the blocks stopped (fewer than 32 starts, plus the needle, remain). `needle` has 2 bytes
// or more.
[[gnu::target("avx2")]] const char* FindInBlocksAvx2(const char* data, size_t size, std::string_view needle,
                                                     size_t& i) {
    const size_t k = needle.size();
    const __m256i first = _mm256_set1_epi8(needle[0]);
    const __m256i last = _mm256_set1_epi8(needle[k - 1]);
    for (; i + 32 + k - 1 <= size; i += 32) {
        const __m256i blockFirst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const __m256i blockLast = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i + k - 1));
        auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(
            _mm256_and_si256(_mm256_cmpeq_epi8(first, blockFirst), _mm256_cmpeq_epi8(last, blockLast))));
        while (mask != 0) {
            const auto bit = static_cast<size_t>(__builtin_ctz(mask));
            if (EqualBytes(data + i + bit + 1, needle.data() + 1, k - 2)) return data + i + bit;
            mask &= mask - 1;
        }
    }
    return nullptr;
}
#endif

}  // namespace

bool WideScanAvailable() {
#if defined(__x86_64__) && defined(__GNUC__)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    return hasAvx2 && g_wideScanAllowed.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void AllowWideScan(bool allow) {
    g_wideScanAllowed.store(allow, std::memory_order_relaxed);
}

const char* FindBytes(const char* data, size_t size, std::string_view needle) {
    const size_t k = needle.size();
    if (k == 0) return data;
    if (k > size) return nullptr;
    if (k == 1) return static_cast<const char*>(std::memchr(data, needle[0], size));
    size_t i = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    // A name or a short text gains nothing from the wide blocks' set-up.
    if (size >= 256 && WideScanAvailable()) {
        if (const char* hit = FindInBlocksAvx2(data, size, needle, i)) return hit;
    }
#endif
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
