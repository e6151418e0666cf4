#include "platform/memory_advice.h"

#include <malloc.h>
#include <sys/mman.h>

namespace quillory {

void AdviseHugePages(const void* p, size_t bytes) noexcept {
    madvise(const_cast<void*>(p), bytes, MADV_HUGEPAGE);
}

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace quillory
