#include "search/search_driver.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>

#include "search/match_collector.h"
#include "search/name_matching.h"
#include "search/query_parser.h"
#include "search/search_plan.h"
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
    const MatchRequest request{entries, names, matcher, plan, options};

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

void TSearchDriver::CollectInTwoParts(const MatchRequest& request, size_t count, size_t limit,
                                      const PartTaker& take) {
    const size_t middle = count / 2;
    secondHalf_.clear();
    std::atomic<bool> firstFull{false};
    MatchRequest secondRequest = request;
    secondRequest.stop = &firstFull;
    // The second part waits for the first part's count before it hands its matches on.
    std::mutex mutex;
    std::condition_variable counted;
    bool firstCounted = false;
    bool abandoned = false;  // the first part failed: nothing more is handed on
    size_t firstCount = 0;
    std::exception_ptr secondError;
    const auto secondPart = [&] {
        try {
            CollectMatches(secondRequest, middle, count, limit, secondHalf_);
            std::unique_lock lock(mutex);
            counted.wait(lock, [&] { return firstCounted; });
            if (abandoned) return;
            const size_t room = firstCount >= limit ? 0 : limit - firstCount;
            lock.unlock();
            if (secondHalf_.size() > room) secondHalf_.resize(room);
            take(1, secondHalf_);
        } catch (...) {
            secondError = std::current_exception();
        }
    };
    const auto announce = [&](bool failed) {
        {
            std::lock_guard lock(mutex);
            firstCounted = true;
            abandoned = failed;
            firstCount = matches_.size();
        }
        counted.notify_one();
    };
    std::thread second;
    try {
        second = std::thread(secondPart);
    } catch (const std::system_error&) {
        second = std::thread();  // no thread to be had: the second part runs here, after the first
    }
    try {
        CollectMatches(request, 0, middle, limit, matches_);
        if (matches_.size() >= limit) firstFull.store(true, std::memory_order_relaxed);
        announce(false);
        take(0, matches_);
    } catch (...) {
        // Never leave a running thread behind (its destructor would end the program).
        firstFull.store(true, std::memory_order_relaxed);
        announce(true);
        if (second.joinable()) second.join();
        throw;
    }
    if (second.joinable()) {
        second.join();
    } else {
        secondPart();
    }
    if (secondError) std::rethrow_exception(secondError);
    matches_.insert(matches_.end(), secondHalf_.begin(), secondHalf_.end());
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
