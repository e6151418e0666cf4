#include "platform/memory_advice.h"

#include <malloc.h>
#include <sys/mman.h>

namespace quillory {

// Linux 6.1 and later; older systems refuse it, and their background scan does the work.
constexpr int kCollapse = 25;

void AdviseHugePages(const void* p, size_t bytes) noexcept {
    void* start = const_cast<void*>(p);
    if (madvise(start, bytes, MADV_HUGEPAGE) == 0) madvise(start, bytes, kCollapse);
}

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace quillory
