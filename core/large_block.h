#pragma once
// Memory for the catalogue's big arrays. Blocks of 2 MiB and more are aligned to 2 MiB, so
// that the system can back them with huge pages once their owner asks for that
// (AdviseHugePages), after filling them. Asking at allocation would make the first touch of
// every 2 MiB find and clear a whole huge page: on some machines that costs more than the
// rest of a load (a million-entry load took 50 to 590 ms that way, 65 ms without).

#include <cstddef>
#include <cstdlib>
#include <new>

namespace quillory {

inline constexpr size_t kHugePageBytes = size_t{2} << 20;

inline void* AllocateLargeBlock(size_t bytes) {
    if (bytes < kHugePageBytes) return ::operator new(bytes);
    const size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* p = std::aligned_alloc(kHugePageBytes, rounded);
    if (!p) throw std::bad_alloc();
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
