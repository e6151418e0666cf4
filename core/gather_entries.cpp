#include "core/gather_entries.h"

#include <system_error>
#include <thread>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillory {

static_assert(std::is_trivially_copyable_v<TMyItem>, "entries are reordered by plain copies");

namespace {

// Below this many entries the list fits the caches: plain stores, one thread.
constexpr size_t kLongList = size_t{1} << 15;
// How many places ahead the reads are requested: enough to cover a memory round trip.
constexpr size_t kAhead = 16;

void GatherPlain(const TMyItem* from, const uint32_t* order, TMyItem* to, size_t first, size_t last) {
    for (size_t k = first; k < last; ++k) {
        if (k + kAhead < last) __builtin_prefetch(from + order[k + kAhead]);
        to[k] = from[order[k]];
    }
}

#if defined(__SSE2__)
// Streaming stores need 16-byte chunks at 16-byte addresses; the list's slots are allocated
// at least that aligned, but the check keeps a stray address from faulting.
constexpr bool kStreamable = sizeof(TMyItem) % 16 == 0;

void GatherStreaming(const TMyItem* from, const uint32_t* order, TMyItem* to, size_t first, size_t last) {
    if constexpr (!kStreamable) {
        GatherPlain(from, order, to, first, last);
    } else {
        if (reinterpret_cast<uintptr_t>(to) % 16 != 0) {
            GatherPlain(from, order, to, first, last);
            return;
        }
        constexpr size_t kChunks = sizeof(TMyItem) / 16;
        for (size_t k = first; k < last; ++k) {
            if (k + kAhead < last) __builtin_prefetch(from + order[k + kAhead]);
            const auto* source = reinterpret_cast<const __m128i*>(from + order[k]);
            auto* target = reinterpret_cast<__m128i*>(to + k);
            __m128i chunks[kChunks];
            for (size_t c = 0; c < kChunks; ++c) chunks[c] = _mm_loadu_si128(source + c);
            for (size_t c = 0; c < kChunks; ++c) _mm_stream_si128(target + c, chunks[c]);
        }
        // Streaming stores are weakly ordered: make them visible before anyone reads the list.
        _mm_sfence();
    }
}
#else
void GatherStreaming(const TMyItem* from, const uint32_t* order, TMyItem* to, size_t first, size_t last) {
    GatherPlain(from, order, to, first, last);
}
#endif

}  // namespace

void GatherEntries(std::span<const TMyItem> from, std::span<const uint32_t> order, TMyItem* to) {
    const size_t n = order.size();
    if (n < kLongList) {
        GatherPlain(from.data(), order.data(), to, 0, n);
        return;
    }
    // Two threads keep twice as many reads in flight; the second takes the first half.
    const size_t half = n / 2;
    std::thread helper;
    try {
        helper = std::thread(GatherStreaming, from.data(), order.data(), to, size_t{0}, half);
    } catch (const std::system_error&) {
        GatherStreaming(from.data(), order.data(), to, 0, half);  // no thread to be had
    }
    GatherStreaming(from.data(), order.data(), to, half, n);
    if (helper.joinable()) helper.join();
}

}  // namespace quillory
