#include "platform/memory_advice.h"

#include <sys/mman.h>

namespace quillory {

void AdviseHugePages(void* p, size_t bytes) noexcept {
    madvise(p, bytes, MADV_HUGEPAGE);
}

}  // namespace quillory
