#include "search/search_driver.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>

#include "search/helper_thread.h"
#include "search/match_collector.h"
#include "search/name_matching.h"
#include "search/query_parser.h"
#include "search/search_plan.h"
#include "search/short_wait.h"
#include "search/streaming_search.h"

namespace quillory {

namespace {

// The limit is tested after an entry is added, so at least one result is always allowed.
size_t ResultLimit(int64_t maxResultsCount) {
    if (maxResultsCount <= 1) return 1;
    if (static_cast<uint64_t>(maxResultsCount) > std::numeric_limits<size_t>::max())
        return std::numeric_limits<size_t>::max();
    return static_cast<size_t>(maxResultsCount);
}

}  // namespace

std::string ElapsedText(int64_t elapsedMs) {
    if (elapsedMs < 0) elapsedMs = 0;
    std::string millis = std::to_string(elapsedMs % 1000);
    return std::to_string(elapsedMs / 1000) + "." + std::string(3 - millis.size(), '0') + millis;
}

size_t TSearchDriver::Search(Catalogue& catalogue, std::string_view searchText, TSearchOptions options,
                             int64_t maxResultsCount, EntryList& results) {
    ParseQuery(searchText, options.CaseSensitive, false, words_);
    BeginSearch(results);
    const NameCache& names = catalogue.NamesFor(options.CaseSensitive);
    return RunSearch(catalogue.Entries, &names, words_, options, maxResultsCount, results);
}

size_t TSearchDriver::Search(const EntryList& entries, std::string_view searchText, TSearchOptions options,
                             int64_t maxResultsCount, EntryList& results) {
    ParseQuery(searchText, options.CaseSensitive, false, words_);
    BeginSearch(results);
    return RunSearch(entries, nullptr, words_, options, maxResultsCount, results);
}

size_t TSearchDriver::SearchDatabase(const std::string& path, const ActivityLog& log,
                                     std::string_view searchText, TSearchOptions options,
                                     int64_t maxResultsCount, EntryList& results,
                                     TProgramOptions& databaseOptions) {
    ParseQuery(searchText, options.CaseSensitive, false, words_);
    BeginSearch(results);
    StreamingSearch search(words_, options, ResultLimit(maxResultsCount), results);
    try {
        ReadDatabase(path, log, search, databaseOptions);
    } catch (...) {
        results.Clear();
        throw;
    }
    status_ = FoundStatusText(results.Count(), ElapsedText(ticks_() - startTick_) + " sec.");
    return results.Count();
}

void TSearchDriver::BeginSearch(EntryList& results) {
    status_ = kWaitingStatus;
    results.Clear();
    startTick_ = ticks_();
}

size_t TSearchDriver::RunSearch(const EntryList& entries, const NameCache* names, const TWordList& words,
                                const TSearchOptions& options, int64_t maxResultsCount, EntryList& results) {
    results.Clear();
    Collect(entries, names, words, options, maxResultsCount);
    CopyMatches(entries, results);
    status_ = FoundStatusText(results.Count(), ElapsedText(ticks_() - startTick_) + " sec.");
    return results.Count();
}

size_t TSearchDriver::FindMatches(const EntryList& entries, const NameCache* names, const TWordList& words,
                                  const TSearchOptions& options, int64_t maxResultsCount) {
    Collect(entries, names, words, options, maxResultsCount);
    status_ = FoundStatusText(matches_.size(), ElapsedText(ticks_() - startTick_) + " sec.");
    return matches_.size();
}

bool TSearchDriver::SplitsInTwo(size_t count) const {
    return parallelThreshold_ != 0 && count >= parallelThreshold_ && std::thread::hardware_concurrency() > 1;
}

void TSearchDriver::Collect(const EntryList& entries, const NameCache* names, const TWordList& words,
                            const TSearchOptions& options, int64_t maxResultsCount, const PartTaker* take) {
    const QueryMatcher matcher(words, options);
    SearchPlan plan = MakeSearchPlan(matcher);
    if (names) ChooseRarestLiteral(plan, names->Buffer());
    MatchRequest request{entries, names, matcher, plan, options};
    request.cancel = stopRequest_;

    const size_t count = entries.Count();
    const size_t limit = ResultLimit(maxResultsCount);
    matches_.clear();
    if (!SplitsInTwo(count)) {
        CollectAll(request, count, limit);
        if (take) (*take)(0, matches_);
        return;
    }
    static const PartTaker takeNothing = [](size_t, std::span<const size_t>) {};
    CollectInTwoParts(request, count, limit, take ? *take : takeNothing);
}

size_t TSearchDriver::FindMatchesInParts(const EntryList& entries, const NameCache* names,
                                         const TWordList& words, const TSearchOptions& options,
                                         int64_t maxResultsCount, const PartTaker& take) {
    Collect(entries, names, words, options, maxResultsCount, &take);
    status_ = FoundStatusText(matches_.size(), ElapsedText(ticks_() - startTick_) + " sec.");
    return matches_.size();
}

namespace {

// Blocks of the catalogue a two-thread search claims one at a time: enough that the two threads
// meet within a small share of the work, few enough that claiming costs nothing.
constexpr size_t kSearchBlocks = 64;

// The blocks of a two-thread search: the calling thread takes them from the front, the second
// thread from the back, until they meet.
class BlockClaims {
  public:
    explicit BlockClaims(size_t count)
        : count_(count), blocks_(std::min(kSearchBlocks, count)), back_(blocks_) {}

    // The next block from the front or from the back as [first, last); false once they met.
    bool FromFront(size_t& first, size_t& last) { return Claim(true, first, last); }
    bool FromBack(size_t& first, size_t& last) { return Claim(false, first, last); }

  private:
    bool Claim(bool front, size_t& first, size_t& last) {
        size_t block = 0;
        {
            std::lock_guard lock(mutex_);
            if (front_ >= back_) return false;
            block = front ? front_++ : --back_;
        }
        first = count_ * block / blocks_;
        last = count_ * (block + 1) / blocks_;
        return true;
    }

    std::mutex mutex_;
    const size_t count_;
    const size_t blocks_;
    size_t front_ = 0;
    size_t back_;
};

// Appends the matches of blocks claimed from the back (the last block first) to `out` in
// catalogue order, up to `limit` in all.
void AppendBlocksFromTheBack(const std::vector<std::vector<size_t>>& backBlocks, size_t limit,
                             std::vector<size_t>& out) {
    for (auto block = backBlocks.rbegin(); block != backBlocks.rend() && out.size() < limit; ++block) {
        const size_t room = limit - out.size();
        out.insert(out.end(), block->begin(),
                   block->begin() + static_cast<std::ptrdiff_t>(std::min(room, block->size())));
    }
}

}  // namespace

void TSearchDriver::CollectInTwoParts(const MatchRequest& request, size_t count, size_t limit,
                                      const PartTaker& take) {
    // Each thread claims blocks from its own end, so a second thread that starts late (waking
    // a sleeping processor can take milliseconds) searches less instead of holding the answer
    // up, and one that has not started when the search ends is not waited for. The matches
    // are then taken in two halves of equal size, one on each thread.
    BlockClaims claims(count);
    std::atomic<bool> firstFull{false};
    MatchRequest secondRequest = request;
    secondRequest.stop = &firstFull;
    std::vector<std::vector<size_t>> backBlocks;  // the second thread's matches, last block first

    // Each thread waits for the other only briefly, and watches before it sleeps (see
    // short_wait.h): woken, it would often be put on the other thread's processor.
    std::mutex mutex;
    std::condition_variable changed;
    std::atomic<bool> secondSearched{false};
    std::atomic<bool> halvesSettled{false};  // the halves are ready, or the first thread failed
    std::atomic<bool> abandoned{false};      // the first thread failed: nothing more is taken
    size_t half = 0;
    std::exception_ptr secondError;
    const auto secondPart = [&]() noexcept {
        try {
            size_t first = 0;
            size_t last = 0;
            while (!firstFull.load(std::memory_order_relaxed) && claims.FromBack(first, last)) {
                CollectMatches(secondRequest, first, last, limit, backBlocks.emplace_back());
            }
            {
                std::lock_guard lock(mutex);
                secondSearched.store(true, std::memory_order_release);
            }
            changed.notify_all();
            WaitShortly(halvesSettled, mutex, changed);
            if (abandoned.load(std::memory_order_relaxed)) return;
            take(1, std::span<const size_t>(matches_).subspan(half));
        } catch (...) {
            {
                std::lock_guard lock(mutex);
                secondError = std::current_exception();
                // The first thread must not wait for it.
                secondSearched.store(true, std::memory_order_release);
            }
            changed.notify_all();
        }
    };
    if (!helper_) helper_ = std::make_unique<HelperThread>();
    // Without a thread, this one searches every block.
    bool offered = helper_->Offer(secondPart);
    // Once the offer is settled (withdrawn, or its work finished), nothing refers to this
    // call's state any more.
    const auto settle = [&] {
        if (offered && !helper_->Withdraw()) helper_->WaitFinished();
        offered = false;
    };
    try {
        if (waitForSecondThread_ && offered) helper_->WaitTaken();
        size_t first = 0;
        size_t last = 0;
        while (claims.FromFront(first, last)) {
            CollectMatches(request, first, last, limit, matches_);
            if (matches_.size() >= limit) {
                firstFull.store(true, std::memory_order_relaxed);
                break;
            }
        }
        const bool split = offered && !helper_->Withdraw();
        if (split) {
            WaitShortly(secondSearched, mutex, changed);
            if (secondError) {
                helper_->WaitFinished();
                std::rethrow_exception(secondError);
            }
        } else {
            offered = false;
        }
        if (!firstFull.load(std::memory_order_relaxed)) AppendBlocksFromTheBack(backBlocks, limit, matches_);
        half = split ? matches_.size() - matches_.size() / 2 : matches_.size();
        if (split) {
            {
                std::lock_guard lock(mutex);
                halvesSettled.store(true, std::memory_order_release);
            }
            changed.notify_all();
        }
        take(0, std::span<const size_t>(matches_).first(half));
        if (!split) take(1, std::span<const size_t>());
    } catch (...) {
        firstFull.store(true, std::memory_order_relaxed);
        {
            std::lock_guard lock(mutex);
            abandoned.store(true, std::memory_order_relaxed);
            halvesSettled.store(true, std::memory_order_release);
        }
        changed.notify_all();
        settle();
        throw;
    }
    settle();
    if (secondError) std::rethrow_exception(secondError);
}

void TSearchDriver::CollectAll(const MatchRequest& request, size_t count, size_t limit) {
    CollectMatches(request, 0, count, limit, matches_);
}

void TSearchDriver::CopyMatches(const EntryList& entries, EntryList& results) const {
    for (const size_t index : matches_) {
        TMyItem& result = results.AppendCopy(entries[index]);
        result.IconIndex = -1;
        result.Selected = false;
    }
}

}  // namespace quillory
