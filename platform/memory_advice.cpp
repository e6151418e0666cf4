#include "platform/memory_advice.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace quillory {

// Linux 6.1 and later; older systems refuse it, and their background scan does the work.
constexpr int kCollapse = 25;

void AdviseHugePages(const void* p, size_t bytes) noexcept {
    // Advice covers whole pages: the pages wholly inside the range (memory from the allocator
    // starts a little after a page boundary).
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<uintptr_t>(p);
    const uintptr_t first = (begin + page - 1) / page * page;
    const uintptr_t end = (begin + bytes) / page * page;
    if (end <= first) return;
    void* start = reinterpret_cast<void*>(first);
    const size_t length = end - first;
    if (madvise(start, length, MADV_HUGEPAGE) == 0) madvise(start, length, kCollapse);
}

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace quillory
