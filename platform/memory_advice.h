#pragma once
// Advice to the system about memory the program has allocated.

#include <cstddef>

namespace quillory {

// Gives memory the allocator holds free back to the system (after a large temporary working
// set, such as building the column orders). Advice only.
void ReturnFreeMemory() noexcept;

}  // namespace quillory
