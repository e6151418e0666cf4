#pragma once
// The program's compiled-in resources (its icon) live in a static library, so they are
// registered explicitly before the first window uses them.

namespace quillory::app {

void InitResources();

}  // namespace quillory::app
