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
#include <functional>
#include <memory>
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
#include "search/helper_thread.h"
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

    // FindMatches for a reader that takes the matches in two parts, one on each of two threads.
    // A large catalogue is searched by the calling thread and a thread of its own at once;
    // once every match is found, the first half of them goes to `take(0, matches)` on the
    // calling thread and the second half to `take(1, matches)` on the other thread, at the
    // same time. When the other thread had not started by the end of the search, the calling
    // thread takes everything as part 0 and then an empty part 1; a small catalogue is
    // searched and taken the same way on the calling thread alone. The parts in order are
    // MatchIndices(), and StatusText() is FindMatches', its time counting the taking. The
    // clock is read on the calling thread only. An exception from a search or from `take`
    // ends the call once no thread runs any more.
    using PartTaker = std::function<void(size_t part, std::span<const size_t> matches)>;
    size_t FindMatchesInParts(const EntryList& entries, const NameCache* names, const TWordList& words,
                              const TSearchOptions& options, int64_t maxResultsCount, const PartTaker& take);

    const TWordList& Words() const { return words_; }
    const std::string& StatusText() const { return status_; }
    // The last search's results as indices of the searched entries: result k is a copy of
    // entry MatchIndices()[k].
    std::span<const size_t> MatchIndices() const { return matches_; }

    // A flag another thread may set to end the searches of this driver early: each thread of a
    // search ends at its next entry, with the matches found so far (incomplete). The flag
    // must outlive the searches; nullptr (the default) for searches that always finish.
    void SetStopRequest(const std::atomic<bool>* stop) { stopRequest_ = stop; }
    // Whether the flag is set: a search that ended meanwhile may be incomplete.
    bool StopRequested() const {
        return stopRequest_ != nullptr && stopRequest_->load(std::memory_order_relaxed);
    }

    // Splitting the catalogue across threads: used only from this many entries on (0 never).
    void SetParallelThreshold(size_t entries) { parallelThreshold_ = entries; }
    // Whether a search of `count` entries runs in two parts on two threads.
    bool SplitsInTwo(size_t count) const;
    // For tests: the calling thread waits for the second thread to start before it searches,
    // so that both parts are taken on their own threads however quickly the search ends.
    void SetWaitForSecondThread(bool wait) { waitForSecondThread_ = wait; }

  private:
    // Fills matches_ with the indices of the first matches, in catalogue order; with `take`,
    // also hands them over part by part (FindMatchesInParts).
    void Collect(const EntryList& entries, const NameCache* names, const TWordList& words,
                 const TSearchOptions& options, int64_t maxResultsCount, const PartTaker* take = nullptr);
    // Fills matches_ with the indices of the first `limit` matches, in catalogue order.
    void CollectAll(const MatchRequest& request, size_t count, size_t limit);
    // Two threads at once, the second one of its own: `take` gets half of the matches on
    // each, and matches_ ends as one pass in catalogue order would have left it.
    void CollectInTwoParts(const MatchRequest& request, size_t count, size_t limit, const PartTaker& take);
    void CopyMatches(const EntryList& entries, EntryList& results) const;

    TickSource ticks_;
    int64_t startTick_ = 0;
    TWordList words_;
    std::string status_;
    std::vector<size_t> matches_;
    const std::atomic<bool>* stopRequest_ = nullptr;
    size_t parallelThreshold_ = 200000;
    bool waitForSecondThread_ = false;
    // The second thread of two-part searches, kept from one search to the next.
    std::unique_ptr<HelperThread> helper_;
};

}  // namespace quillory
