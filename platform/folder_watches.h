#pragma once
// Change notices for folders. A watch on a folder reports, by name, the items created, deleted,
// renamed, written or changed in it, and what happens to the folder itself. Notices of one
// watch come in the order the changes happened; when the system drops notices it says so once
// (kWatchOverflow), and after that nothing may be assumed about what changed.
//
// The system's implementation reads inotify. The interface lets tests put themselves between
// the system and its reader (to lose notices on purpose, or to refuse watches).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace quillory {

enum WatchKind : uint32_t {
    kItemAdded = 1,       // an item was created in the folder or moved into it
    kItemRemoved = 2,     // an item was deleted or moved out
    kItemChanged = 4,     // an item was written, or its attributes or times changed
    kItemIsFolder = 8,    // the item is a folder
    kFolderChanged = 16,  // the watched folder's own attributes or times changed
    kFolderGone = 32,     // the watched folder was deleted, moved or unmounted: its watch ends
    kWatchOverflow = 64,  // notices were lost
};

struct WatchEvent {
    int watch = -1;         // the watch that reported it; -1 with kWatchOverflow
    uint32_t kinds = 0;     // WatchKind bits
    std::string_view name;  // the item's name; empty for the folder itself. Valid during the call.
};

class FolderWatches {
  public:
    using Sink = std::function<void(const WatchEvent&)>;

    virtual ~FolderWatches() = default;
    // Watches the folder at `path` (a final link is not followed; anything but a folder is
    // refused). Returns the watch's number, or minus the system's error number: -ENOSPC when the
    // user's watches are used up. A folder watched already under another path keeps its number.
    virtual int Add(const std::string& path) = 0;
    // Ends a watch; its number may still come with notices read before.
    virtual void Remove(int watch) = 0;
    // Waits until notices are ready, Wake() is called or `timeoutMs` passes (-1: no limit; 0:
    // no wait), then hands `sink` what is ready, in order (a bounded amount per call, so a
    // flood of notices never keeps the caller here).
    virtual void Wait(int timeoutMs, const Sink& sink) = 0;
    // Ends the current or the next Wait at once. May be called from any thread.
    virtual void Wake() = 0;
};

// The system's notices. Throws Error when the system refuses (too many instances open).
std::unique_ptr<FolderWatches> OpenSystemFolderWatches();

}  // namespace quillory
