#pragma once
// The folder walk: empties the catalogue and refills it from the file system, depth first.
//
// Every root of the included list is walked in line order. Within a folder, items come in the
// order the system lists them; a folder's entry comes before the entries of its content
// (pre-order). Folders refused by the excluded list are neither recorded nor entered; files
// are recorded when the extension filter accepts their name. Symbolic links are recorded and
// never entered, and neither are the mount points of file systems that are not fixed disks.
// A folder at the deepest level, or whose path is longer than the longest listable path, is
// recorded but its content is not listed. Nothing the file system refuses is reported: a root
// or folder that cannot be listed simply contributes nothing.
//
// The walk checks the shared busy flag after every item and before recording every folder;
// when it finds the flag clear it ends all listings and returns Stopped, leaving the entries
// found so far in the catalogue.

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/busy_state.h"
#include "core/entry_list.h"
#include "platform/directory_listing.h"
#include "scan/folder_filters.h"
#include "scan/mount_policy.h"

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
    // Pending events are processed at most this often (and after the first item).
    int64_t eventIntervalMs = 50;
    // Progress is shown when a folder is entered and the found count is a multiple of this
    // (0: never).
    size_t progressInterval = 20;
};

// What the walk tells its user while it runs.
class WalkReporter {
  public:
    virtual ~WalkReporter() = default;
    // A progress point: the folder entered and the number of entries found so far.
    virtual void ShowProgress(std::string_view folder, size_t found) = 0;
    // Lets the user interface work; a search started there clears the busy flag.
    virtual void ProcessPendingEvents() = 0;
};

enum class WalkOutcome { Completed, Stopped };

struct WalkServices {
    DirectoryLister& lister;
    MountPolicy& mounts;
    WalkReporter& reporter;
};

// Runs the walk. The busy flag's clock (busy.Ticks) paces the event processing.
WalkOutcome WalkFolders(const WalkLists& lists, EntryList& catalogue, BusyState& busy, WalkServices services,
                        const WalkLimits& limits = {});

}  // namespace quillory
