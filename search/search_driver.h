#pragma once
// A search run: the options captured when it starts, the whole catalogue tested in catalogue
// order, every match copied into the result list until the limit is reached, and the status
// text with the count and the time taken. The busy flag and start tick are the ones the
// rescan uses too.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/busy_state.h"
#include "core/entry_list.h"
#include "search/name_cache.h"
#include "search/search_options.h"
#include "search/word_list.h"

namespace quillory {

inline constexpr std::string_view kWaitingStatus = "Waiting...";

// The time since the start tick as seconds with three decimals and a full stop: 1234 ms gives
// "1.234", 47 ms "0.047".
std::string ElapsedText(int64_t elapsedMs);
std::string ElapsedText(const BusyState& busy);

class TSearchDriver {
  public:
    explicit TSearchDriver(BusyState& busy) : busy_(busy) {}

    // The whole search: parses `searchText` (upper-cased unless the search is case-sensitive)
    // into Words(), then BeginSearch and RunSearch. Returns the result count.
    size_t Search(const EntryList& catalogue, std::string_view searchText, TSearchOptions options,
                  int64_t maxResultsCount, EntryList& results);

    // Status "Waiting...", the result count 0 (the slots stay for reuse), busy, start tick.
    void BeginSearch(EntryList& results);
    // The catalogue loop and the final status; clears the busy flag. The result list receives
    // copies of the first matches in catalogue order (IconIndex -1, Selected false); the limit
    // is tested after each addition, so a limit of 0 or less still lists the first match.
    size_t RunSearch(const EntryList& catalogue, const TWordList& words, const TSearchOptions& options,
                     int64_t maxResultsCount, EntryList& results);

    const TWordList& Words() const { return words_; }
    const std::string& StatusText() const { return status_; }

    // Keeping the catalogue's names in the compared case between searches (the default) makes
    // every search after the first one fast; a single search of a catalogue (the command
    // line) is quicker without building it.
    void SetKeepNameCache(bool keep) { keepNameCache_ = keep; }

    // Splitting the catalogue across threads: used only from this many entries on (0 never).
    void SetParallelThreshold(size_t entries) { parallelThreshold_ = entries; }

  private:
    NameCache& CacheFor(bool caseSensitive) { return caseSensitive ? rawNames_ : upperNames_; }

    BusyState& busy_;
    TWordList words_;
    std::string status_;
    NameCache upperNames_{true};
    NameCache rawNames_{false};
    std::vector<size_t> matches_;
    std::vector<size_t> secondHalf_;
    size_t parallelThreshold_ = 200000;
    bool keepNameCache_ = true;
};

}  // namespace quillory
