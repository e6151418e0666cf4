#pragma once
// A search run: the options captured when it starts, the whole catalogue tested in catalogue
// order, every match copied into the result list until the limit is reached, and the status
// text with the count and the time taken.
//
// A search reads the catalogue and writes only the result list and its own state; it runs on
// the thread that owns the catalogue. A search requested while a rescan runs asks the rescan
// to stop, waits for it, and then searches what it found.

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/activity_log.h"
#include "core/catalogue.h"
#include "core/entry_list.h"
#include "core/name_cache.h"
#include "core/status_text.h"
#include "platform/clock.h"
#include "search/search_options.h"
#include "search/word_list.h"

namespace quillory {

struct MatchRequest;

// The time since the start tick as seconds with three decimals and a full stop: 1234 ms gives
// "1.234", 47 ms "0.047".
std::string ElapsedText(int64_t elapsedMs);

class TSearchDriver {
  public:
    explicit TSearchDriver(TickSource ticks = SteadyTickCount) : ticks_(std::move(ticks)) {}

    // The whole search: parses `searchText` (upper-cased unless the search is case-sensitive)
    // into Words(), then BeginSearch and RunSearch. Returns the result count.
    //
    // Over a catalogue, the search uses (and if needed first builds) the catalogue's names in
    // the compared case, so every search after the first one is fast; see
    // Catalogue::PrepareNameCache to build them ahead.
    size_t Search(Catalogue& catalogue, std::string_view searchText, TSearchOptions options,
                  int64_t maxResultsCount, EntryList& results);
    // Over a bare entry list, each name is put into the compared case as the loop reaches it:
    // quicker for a single search of a catalogue (the command line).
    size_t Search(const EntryList& entries, std::string_view searchText, TSearchOptions options,
                  int64_t maxResultsCount, EntryList& results);

    // A single search of a database file as it is read (the command line): no catalogue is
    // built and only the matching records are kept. The results, the status text and any error
    // (with nothing in `results`) are those of LoadDatabase followed by Search over the loaded
    // list; the search time counts the reading. `databaseOptions` receives the header's fields.
    size_t SearchDatabase(const std::string& path, const ActivityLog& log, std::string_view searchText,
                          TSearchOptions options, int64_t maxResultsCount, EntryList& results,
                          TProgramOptions& databaseOptions);

    // Status "Waiting...", the result count 0 (the slots stay for reuse), the start tick.
    void BeginSearch(EntryList& results);
    // The catalogue loop and the final status. `names`, when given, holds `entries`' names in
    // the compared case (up to date). The result list receives copies of the first matches in
    // catalogue order (IconIndex -1, Selected false); the limit is tested after each addition,
    // so a limit of 0 or less still lists the first match.
    size_t RunSearch(const EntryList& entries, const NameCache* names, const TWordList& words,
                     const TSearchOptions& options, int64_t maxResultsCount, EntryList& results);

    // RunSearch without the copies: MatchIndices() receives the first matches' indices in
    // catalogue order and StatusText() the same text RunSearch gives (BeginSearch first).
    // For a reader that formats the matches straight from `entries`.
    size_t FindMatches(const EntryList& entries, const NameCache* names, const TWordList& words,
                       const TSearchOptions& options, int64_t maxResultsCount);

    const TWordList& Words() const { return words_; }
    const std::string& StatusText() const { return status_; }
    // The last search's results as indices of the searched entries: result k is a copy of
    // entry MatchIndices()[k].
    std::span<const size_t> MatchIndices() const { return matches_; }

    // A flag another thread may set to end the searches of this driver early: a search ends at
    // its next entry, with the matches found so far (incomplete). The flag must outlive the
    // searches; nullptr (the default) for searches that always finish.
    void SetStopRequest(const std::atomic<bool>* stop) { stopRequest_ = stop; }
    // Whether the flag is set: a search that ended meanwhile may be incomplete.
    bool StopRequested() const {
        return stopRequest_ != nullptr && stopRequest_->load(std::memory_order_relaxed);
    }

  private:
    // Fills matches_ with the indices of the first matches, in catalogue order.
    void Collect(const EntryList& entries, const NameCache* names, const TWordList& words,
                 const TSearchOptions& options, int64_t maxResultsCount);
    void CopyMatches(const EntryList& entries, EntryList& results) const;

    TickSource ticks_;
    int64_t startTick_ = 0;
    TWordList words_;
    std::string status_;
    std::vector<size_t> matches_;
    const std::atomic<bool>* stopRequest_ = nullptr;
};

}  // namespace quillory
