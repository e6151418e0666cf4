#pragma once
// The filter behind every scan of a long text for a word: a block of positions at a time is
// tested for the word's first byte and for its last byte (size - 1 positions further on), and
// only the positions that pass both are looked at further. A scan may fold case for an
// upper-case word: OR-ing 0x20 into a byte turns both cases of an ASCII letter into the lower
// one, and no other byte into it, so a byte matches an upper-case letter of the word in either
// case and any other byte of the word exactly. Blocks are 32 positions wide where the processor has the
// 32-byte instructions and they are allowed, 16 wide otherwise; a block's loads never reach past the text's
// end.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "search/byte_search.h"  // WideScanAvailable

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define QUILLORY_BLOCK_SCAN 1
#endif

// Marks a block sink (a lambda, after its parameter list, or a function) to be inlined into
// the scan's loop, the wide one included.
#define QUILLORY_BLOCK_SINK __attribute__((always_inline))

namespace quillory {

// What the blocks test for: the first and the last byte of `word` (not empty), with the case
// of its upper-case ASCII letters folded or not.
struct WordEnds {
    WordEnds(std::string_view word, bool foldCase)
        : firstFold(FoldBit(word.front(), foldCase)),
          firstWant(static_cast<char>(word.front() | firstFold)),
          lastFold(FoldBit(word.back(), foldCase)),
          lastWant(static_cast<char>(word.back() | lastFold)),
          lastOffset(word.size() - 1) {}

    static char FoldBit(char c, bool foldCase) {
        return static_cast<char>(foldCase && c >= 'A' && c <= 'Z' ? 0x20 : 0);
    }

    char firstFold;
    char firstWant;
    char lastFold;
    char lastWant;
    size_t lastOffset;
};

// One block's findings; bit b stands for the block's position b.
struct BlockMasks {
    uint32_t candidates = 0;  // the first and the last byte match
    // With the character marks only:
    uint32_t nuls = 0;   // a NUL byte
    uint32_t pairs = 0;  // C4 B1 or C5 BF starts here (dotless i, long s)
};

namespace block_scan {

template <size_t W>
struct Vector;
template <>
struct Vector<16> {
    typedef char type __attribute__((vector_size(16)));
};
template <>
struct Vector<32> {
    typedef char type __attribute__((vector_size(32)));
};

#if QUILLORY_BLOCK_SCAN
// The top bit of each byte. Vectors go by reference: a 32-byte vector by value would change
// the calling convention of a function built without the wide instructions.
template <class V>
[[gnu::always_inline]] inline uint32_t SignBits(const V& v) {
    if constexpr (sizeof(V) == 16) {
        return static_cast<uint32_t>(_mm_movemask_epi8(reinterpret_cast<__m128i>(v)));
    } else {
#if defined(__clang__)
        __m128i halves[2];
        std::memcpy(halves, &v, sizeof(halves));
        return static_cast<uint32_t>(_mm_movemask_epi8(halves[0])) |
               static_cast<uint32_t>(_mm_movemask_epi8(halves[1])) << 16;
#else
        return static_cast<uint32_t>(__builtin_ia32_pmovmskb256(reinterpret_cast<__v32qi>(v)));
#endif
    }
}

// The blocks of W positions from `i` on, while a block and the bytes its loads reach past it
// fit in `size`: each block's masks go to `sink(i, masks)`, which answers false to stop.
// Leaves `i` at the first position no block covered; false when the sink stopped. A sink is
// called once a block: it must be inlined (QUILLORY_BLOCK_SINK), or the call costs more
// than the block's test.
template <size_t W, bool kCharMarks, class Sink>
[[gnu::always_inline]] inline bool Blocks(const char* data, size_t size, size_t& i, const WordEnds& ends,
                                          Sink& sink) {
    using V = typename Vector<W>::type;
    const V firstFold = V{} + ends.firstFold;
    const V firstWant = V{} + ends.firstWant;
    const V lastFold = V{} + ends.lastFold;
    const V lastWant = V{} + ends.lastWant;
    // The marks read the byte after a position too.
    const size_t reach = kCharMarks ? std::max<size_t>(ends.lastOffset, 1) : ends.lastOffset;
    // The position lives in a register, not behind the reference, for the whole loop.
    size_t at = i;
    for (; at + W + reach <= size; at += W) {
        V head;
        V tail;
        std::memcpy(&head, data + at, W);
        std::memcpy(&tail, data + at + ends.lastOffset, W);
        BlockMasks masks;
        masks.candidates = SignBits(((head | firstFold) == firstWant) & ((tail | lastFold) == lastWant));
        if constexpr (kCharMarks) {
            masks.nuls = SignBits(head == 0);
            // Only a block holding a byte of 0x80 or above can hold a dotless i or a long s.
            if (SignBits(head) != 0) {
                V next;
                std::memcpy(&next, data + at + 1, W);
                masks.pairs =
                    SignBits(((head == static_cast<char>(0xC4)) & (next == static_cast<char>(0xB1))) |
                             ((head == static_cast<char>(0xC5)) & (next == static_cast<char>(0xBF))));
            }
        }
        if (!sink(at, masks)) {
            i = at;
            return false;
        }
    }
    i = at;
    return true;
}

template <bool kCharMarks, class Sink>
[[gnu::target("avx2,popcnt")]] bool WideBlocks(const char* data, size_t size, size_t& i, const WordEnds& ends,
                                               Sink& sink) {
    return Blocks<32, kCharMarks>(data, size, i, ends, sink);
}
#endif

}  // namespace block_scan

// Every block of [data, data + size) from position `i` on, as block_scan::Blocks hands them
// to `sink`: wide ones first where they pay, then narrow ones. Leaves `i` at the first
// position no block covered (the caller looks at the rest one by one); false when the sink
// stopped. With `kCharMarks`, the masks also tell NUL bytes and the two characters beyond
// ASCII that upper-case to ASCII letters.
template <bool kCharMarks, class Sink>
bool ScanBlocks(const char* data, size_t size, size_t& i, const WordEnds& ends, Sink&& sink) {
#if QUILLORY_BLOCK_SCAN
    // A name or a short text gains nothing from the wide blocks' set-up.
    if (size >= 256 && WideScanAvailable() &&
        !block_scan::WideBlocks<kCharMarks>(data, size, i, ends, sink)) {
        return false;
    }
    return block_scan::Blocks<16, kCharMarks>(data, size, i, ends, sink);
#else
    (void)data, (void)size, (void)i, (void)ends, (void)sink;
    return true;
#endif
}

}  // namespace quillory
