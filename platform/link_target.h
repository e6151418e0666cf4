#pragma once
// Following symbolic links by hand, so that a link whose target does not exist yet still
// names a place: a save through such a link creates its target and the link survives.

#include <string>

namespace quillory {

// The path `path` finally names: each symbolic link is replaced by what it points to (a
// relative target is taken from the link's folder) until the path names no link. A path
// that is no link comes back unchanged; a loop of links ends after 40 steps.
std::string FinalLinkTarget(const std::string& path);

}  // namespace quillory
