#pragma once
// Questions about a path that do not open it.

#include <string>

namespace quillory {

// Whether something exists at `path` (links followed; a dangling link does not count).
bool PathExists(const std::string& path);
// Whether nothing is there: false when something is, and also when the system cannot tell
// (a folder on the way that may not be searched), so the caller's own error says why.
bool PathMissing(const std::string& path);
// Whether anything is at `path` itself: a link counts, wherever it leads.
bool PathEntryExists(const std::string& path);
// Whether `path` itself is a socket (a link to one is not).
bool IsSocketEntry(const std::string& path);
// Why `path` (links followed) cannot be looked at: the system's error number, 0 when it can.
int PathLookupError(const std::string& path);

}  // namespace quillory
