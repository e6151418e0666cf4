#include "platform/memory_advice.h"

#include <malloc.h>

namespace quillory {

void ReturnFreeMemory() noexcept {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace quillory
