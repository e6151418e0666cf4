#pragma once
// Full paths, worked out by text alone: symbolic links are never resolved, so a path keeps
// naming the place the user gave even when a link in it changes later.

#include <string>

namespace quillory {

// The absolute form of `path`: a relative path is taken from the current folder, then "."
// parts and repeated "/" are dropped and each ".." removes the part before it ("/" stays "/").
// A final "/" is kept. An empty path stays empty.
std::string FullPath(const std::string& path);

// The same for a path that is already absolute, or relative to `base` (an absolute folder).
std::string FullPathFrom(const std::string& base, const std::string& path);

// The path of the file `path` names with every link resolved, as two names of one file
// compare equal; FullPath(path) when it names nothing.
std::string ResolvedPath(const std::string& path);

}  // namespace quillory
