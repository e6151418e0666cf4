#pragma once
// Which result rows get their icons looked up, and when. Look-ups are held down: only the
// rows on screen, only when the program is idle (or at once while a rescan runs), at most
// once per result, and within one batch every file with the same extension shares one
// look-up, as does every folder with the same extension (a file never shares a folder's).
// Executables, icon files and names without an extension are looked up one by one, since
// each of them may carry an icon of its own. The provider that answers a look-up
// is the desktop's; tests count its calls.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/entry_list.h"

namespace quillory {

class IconProvider {
  public:
    virtual ~IconProvider() = default;
    // The index of the icon for the entry at `path` in the program's icon table; 0 (the
    // generic file icon) when there is no better answer. `folder` tells a folder from a file
    // without asking the file system.
    virtual int32_t SystemIconIndex(const std::string& path, bool folder) = 0;
};

class IconLoader {
  public:
    // `processPending` runs once before every look-up, so a long batch can let other work
    // in; it may change the results (a new search, a sort), and the batch then goes on over
    // the same row numbers with whatever stands there, never past the result count.
    explicit IconLoader(IconProvider& provider, std::function<void()> processPending = {})
        : provider_(provider), processPending_(std::move(processPending)) {}

    // The list is about to draw rows `first` to `last`. When both lie within the results the
    // icons are pending; the answer is true when the idle pass should run at once (a rescan
    // is running, so the program is never idle until it ends).
    bool RowsAnnounced(size_t first, size_t last, size_t resultCount, bool busy);

    // The idle pass: when icons are pending and the list has rows, looks up the rows from
    // the top visible one (none: no row visible) over as many rows as fit in the list, at
    // most to the list's last row. Answers whether anything was looked up, that is whether
    // the list must be repainted. The icons are no longer pending afterwards.
    bool IdlePass(EntryList& results, std::optional<size_t> topRow, size_t rowsThatFit, size_t rowCount);

    // Looks up the icons of rows `first` to `last` whose IconIndex is still below 0, with a
    // fresh extension cache; answers whether any row was looked up.
    bool LoadIcons(EntryList& results, std::optional<size_t> first, size_t last);

    bool Pending() const { return pending_; }
    // Look-ups asked of the provider so far (cache hits are not counted).
    size_t Lookups() const { return lookups_; }

  private:
    int32_t LookUp(const TMyItem& entry);

    IconProvider& provider_;
    std::function<void()> processPending_;
    bool pending_ = false;
    size_t lookups_ = 0;
};

// The extension under which a name's icon is cached: the text after its last dot, for
// folders too; empty when there is no dot.
std::string_view IconExtension(std::string_view name);
// Whether a name with this extension is looked up on its own instead of through the cache.
bool LookedUpAlone(std::string_view extension);

}  // namespace quillory
