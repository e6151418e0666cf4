#include "search/byte_search.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "search/block_scan.h"

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
    const char* hit = nullptr;
    size_t i = 0;
    const auto verify = [&](size_t at, const BlockMasks& masks) QUILLORY_BLOCK_SINK {
        for (uint32_t candidates = masks.candidates; candidates != 0; candidates &= candidates - 1) {
            const char* start = data + at + static_cast<size_t>(__builtin_ctz(candidates));
            if (EqualBytes(start + 1, needle.data() + 1, k - 2)) {
                hit = start;
                return false;
            }
        }
        return true;
    };
    if (!ScanBlocks<false>(data, size, i, WordEnds(needle, false), verify)) return hit;
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
