#pragma once
// Memory for the catalogue's big arrays. Blocks of 2 MiB and more are aligned to 2 MiB and
// marked for transparent huge pages: a million-entry catalogue then costs a few dozen page
// faults instead of tens of thousands, which dominates the time of a fresh load.

#include <cstddef>
#include <cstdlib>
#include <new>

#include "platform/memory_advice.h"

namespace quillory {

inline constexpr size_t kHugePageBytes = size_t{2} << 20;

inline void* AllocateLargeBlock(size_t bytes) {
    if (bytes < kHugePageBytes) return ::operator new(bytes);
    const size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* p = std::aligned_alloc(kHugePageBytes, rounded);
    if (!p) throw std::bad_alloc();
    AdviseHugePages(p, rounded);
    return p;
}

inline void FreeLargeBlock(void* p, size_t bytes) noexcept {
    if (bytes < kHugePageBytes) {
        ::operator delete(p);
    } else {
        std::free(p);
    }
}

template <typename T>
struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(AllocateLargeBlock(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { FreeLargeBlock(p, n * sizeof(T)); }
    template <typename U>
    bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace quillory
