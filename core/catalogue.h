#pragma once
// The catalogue: the entry list, the options that describe the database (folder and extension
// lists, rescan statistics) and the names laid out for searching.
//
// One owner at a time: the user interface's thread, or the one operation that changes it (a
// rescan, a load) while that runs. The operations take it by std::unique_ptr and hand it back
// when they end, so nothing else can reach it meanwhile. Nothing outside keeps a pointer into
// it: results are copies (EntryList::AppendCopy).

#include <memory>

#include "core/column_ranks.h"
#include "core/entry_list.h"
#include "core/name_cache.h"
#include "core/program_options.h"

namespace quillory {

class Catalogue {
  public:
    // An empty catalogue with empty options (no folders); the program passes its defaults.
    Catalogue() : Options(std::string()) {}
    explicit Catalogue(TProgramOptions options) : Options(std::move(options)) {}

    EntryList Entries;
    TProgramOptions Options;
    // Set when the last rescan into Entries was stopped before it walked every folder: the
    // entries are a part of the folders, so they never replace a complete database file.
    // A load or a completed rescan clears it.
    bool Incomplete = false;
    // The entries sorted by each result column, for instant column sorts of the results.
    // Each column says which Entries.Generation() it describes: stale ones are never used,
    // only rebuilt (BuildColumnRanks, on the thread that owns the catalogue).
    ColumnRanks Ranks;

    // The names in the compared case of a search: upper-cased for a case-insensitive one, as
    // they are for a case-sensitive one. Brought up to date with Entries on every call (a
    // no-op while Entries has not changed).
    const NameCache& NamesFor(bool caseSensitive) {
        NameCache& cache = caseSensitive ? rawNames_ : upperNames_;
        cache.Update(Entries);
        return cache;
    }
    // The names in the compared case when they are up to date with Entries, else nullptr.
    // Changes nothing, so readers on other threads may call it while the owner does not
    // write (a search without the names finds the same entries, only slower).
    const NameCache* CurrentNames(bool caseSensitive) const {
        const NameCache& cache = caseSensitive ? rawNames_ : upperNames_;
        return cache.IsCurrentFor(Entries) ? &cache : nullptr;
    }
    // Builds the names ahead of the first search (after a load or a rescan), so that search
    // is fast. May run on a worker thread that owns the catalogue.
    void PrepareNameCache(bool caseSensitive) { NamesFor(caseSensitive); }
    // The names in the compared case built apart from the catalogue's own (which stay as they
    // are), so that readers on other threads may go on reading meanwhile; InstallNameCache
    // puts them in place, with those readers kept out.
    NameCache BuildNameCache(bool caseSensitive) const {
        NameCache cache(!caseSensitive);
        cache.Update(Entries);
        return cache;
    }
    void InstallNameCache(bool caseSensitive, NameCache cache) {
        (caseSensitive ? rawNames_ : upperNames_) = std::move(cache);
    }

  private:
    NameCache upperNames_{true};
    NameCache rawNames_{false};
};

}  // namespace quillory
