#include "platform/memory_advice.h"

#include <malloc.h>
#include <sys/mman.h>

#include <atomic>

namespace quillory {

namespace {
std::atomic<bool> hugePagesWanted{true};
}  // namespace

void AdviseHugePages(void* p, size_t bytes) noexcept {
    if (hugePagesWanted.load(std::memory_order_relaxed)) madvise(p, bytes, MADV_HUGEPAGE);
}

void SetHugePageAdvice(bool wanted) noexcept {
    hugePagesWanted.store(wanted, std::memory_order_relaxed);
}

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace quillory
