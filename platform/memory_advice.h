#pragma once
// Advice to the system about memory the program has allocated.

#include <cstddef>

namespace quillory {

// Asks for transparent huge pages for [p, p + bytes) (p aligned to a page), and has the
// memory already filled gathered into them now, where the system can, rather than by its
// background scan minutes later: that copies the range, so call it off the user's thread.
// Advice only: without huge pages the memory works all the same.
void AdviseHugePages(const void* p, size_t bytes) noexcept;

// Gives memory the allocator holds free back to the system (after a large temporary working
// set, such as building the column orders). Advice only.
void ReturnFreeMemory() noexcept;

}  // namespace quillory
