#pragma once
// Advice to the system about memory the program has allocated.

#include <cstddef>

namespace quillory {

// Asks for transparent huge pages for [p, p + bytes), unless the process turned that advice
// off. Advice only: without huge pages the memory works all the same.
void AdviseHugePages(void* p, size_t bytes) noexcept;

// Whether AdviseHugePages asks for huge pages (by default it does). Huge pages pay off in a
// process that keeps its catalogue and reads it again and again; a process that fills it once
// and ends pays more for finding and clearing 2 MiB pages at their first touch than it saves.
void SetHugePageAdvice(bool wanted) noexcept;

// Gives memory the allocator holds free back to the system (after a large temporary working
// set, such as building the column orders). Advice only.
void ReturnFreeMemory() noexcept;

}  // namespace quillory
