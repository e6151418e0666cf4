#pragma once
// The folder walk: empties the catalogue and refills it from the file system, depth first.
//
// Every root of the included list is walked once, in line order; a root inside another root
// (compared byte for byte: "/data/Music" is not inside "/data/music", "/usrlocal" not inside
// "/usr") is walked only as part of the outer walk, unless that walk does not enter it (it is
// excluded there, or a mount the walk may not enter): it is then walked on its own after the
// others, with the exclusions of its own root. Within a folder, items come in the
// order the system lists them; a folder's entry comes before the entries of its content
// (pre-order). Folders refused by the excluded list are neither recorded nor entered; files
// are recorded when the extension filter accepts their name. Symbolic links are recorded and
// never entered, and neither are the mount points of file systems that are not fixed disks.
// A folder at the deepest level, or whose path is longer than the longest listable path, is
// recorded but its content is not listed. Nothing the file system refuses is reported: a root
// or folder that cannot be listed simply contributes nothing.
//
// The walk checks its stop token after every item and before recording every folder; when a
// stop was requested it ends all listings and returns Stopped, leaving the entries found so
// far in the catalogue. It never processes user-interface events: it reports progress copies
// to its observer, throttled by time, and that is all it does for its user.

#include <climits>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/entry_list.h"
#include "platform/clock.h"
#include "platform/directory_listing.h"
#include "scan/folder_filters.h"
#include "scan/mount_policy.h"
#include "scan/rescan_observer.h"

namespace quillory {

// The working lists of a walk, made from the options by the rescan driver.
struct WalkLists {
    std::vector<std::string> includedFolders;  // IncludedFolderList, in line order
    ExcludedFolderList excludedFolders;        // ExcludedFolderList
    ExtensionFilter extensions;                // IncludedExtensionList, ExcludedExtensionList
};

struct WalkLimits {
    // Levels of open listings: level 1 lists a root; a folder found at the deepest level is
    // recorded but not listed.
    size_t deepestLevel = 100;
    // The longest folder path (with its final "/") whose content is listed.
    size_t longestPath = PATH_MAX - 1;
    // The observer hears from the walk at most this often (and after the first item).
    int64_t eventIntervalMs = 50;
    // A progress point is taken when a folder is entered and the found count is a multiple
    // of this (0: never); the latest one goes to the observer at its next turn.
    size_t progressInterval = 20;
};

enum class WalkOutcome { Completed, Stopped };

struct WalkServices {
    DirectoryLister& lister;
    MountPolicy& mounts;
    RescanObserver& observer;
    TickSource ticks = CoarseTickCount;  // paces the observer's calls
};

// Runs the walk on the calling thread, which owns `catalogue` meanwhile.
WalkOutcome WalkFolders(const WalkLists& lists, EntryList& catalogue, std::stop_token stop,
                        WalkServices services, const WalkLimits& limits = {});

}  // namespace quillory
