#pragma once
// Questions about a path that do not open it.

#include <string>

namespace quillory {

// Whether something exists at `path` (links followed; a dangling link does not count).
bool PathExists(const std::string& path);
// Whether nothing is there: false when something is, and also when the system cannot tell
// (a folder on the way that may not be searched), so the caller's own error says why.
bool PathMissing(const std::string& path);

}  // namespace quillory
