#pragma once
// What one look at a folder tells without listing it: whether its content may have changed
// since (its modification and status-change times), and what a walk needs to decide whether
// it enters it (a real folder or a link, the root of another mount).

#include <optional>
#include <string>

#include "platform/directory_listing.h"

namespace quillory {

struct FolderStamp {
    FileTime modified;         // moves when an item is added, removed or renamed
    FileTime changed;          // moves with those and with the folder's own attributes
    bool folder = false;       // a folder, not a link to one (see ReadFolderStamp)
    bool mountRoot = false;    // another file system is mounted here
    uint32_t deviceMajor = 0;  // the device of the file system that holds it (the mounted one
    uint32_t deviceMinor = 0;  // for a mount root)
};

// Nothing when nothing is at `path`. `path` may end with "/"; a final link is followed only when
// `followLink` is set (a root the user named), never an automount.
std::optional<FolderStamp> ReadFolderStamp(const std::string& path, bool followLink);

// Both times equal: no item was added, removed or renamed in between (within the resolution
// of the file system's clock).
inline bool SameStamp(const FolderStamp& a, const FolderStamp& b) {
    return a.modified.seconds == b.modified.seconds && a.modified.nanoseconds == b.modified.nanoseconds &&
           a.changed.seconds == b.changed.seconds && a.changed.nanoseconds == b.changed.nanoseconds;
}

}  // namespace quillory
