#pragma once
// Questions about a path that do not open it.

#include <string>

namespace quillory {

// Whether something exists at `path` (links followed; a dangling link does not count).
bool PathExists(const std::string& path);

}  // namespace quillory
