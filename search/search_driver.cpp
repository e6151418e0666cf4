#include "search/search_driver.h"

#include <atomic>
#include <limits>
#include <system_error>
#include <thread>

#include "search/match_collector.h"
#include "search/name_matching.h"
#include "search/query_parser.h"
#include "search/search_plan.h"

namespace quillory {

std::string ElapsedText(int64_t elapsedMs) {
    if (elapsedMs < 0) elapsedMs = 0;
    std::string millis = std::to_string(elapsedMs % 1000);
    return std::to_string(elapsedMs / 1000) + "." + std::string(3 - millis.size(), '0') + millis;
}

std::string ElapsedText(const BusyState& busy) {
    return ElapsedText(busy.ElapsedMs());
}

size_t TSearchDriver::Search(const EntryList& catalogue, std::string_view searchText, TSearchOptions options,
                             int64_t maxResultsCount, EntryList& results) {
    ParseQuery(searchText, options.CaseSensitive, false, words_);
    BeginSearch(results);
    return RunSearch(catalogue, words_, options, maxResultsCount, results);
}

void TSearchDriver::BeginSearch(EntryList& results) {
    status_ = kWaitingStatus;
    results.Clear();
    busy_.Begin();
}

size_t TSearchDriver::RunSearch(const EntryList& catalogue, const TWordList& words,
                                const TSearchOptions& options, int64_t maxResultsCount, EntryList& results) {
    // The flag is cleared however the search ends, so a failed search cannot leave the
    // program (and a running rescan) believing a search is still under way.
    struct ClearBusy {
        BusyState& busy;
        ~ClearBusy() { busy.Busy = false; }
    } clearBusy{busy_};
    results.Clear();
    // The limit is tested after an entry is added, so at least one result is always allowed.
    const size_t limit = maxResultsCount <= 1 ? 1
                         : static_cast<uint64_t>(maxResultsCount) > std::numeric_limits<size_t>::max()
                             ? std::numeric_limits<size_t>::max()
                             : static_cast<size_t>(maxResultsCount);

    const QueryMatcher matcher(words, options);
    SearchPlan plan = MakeSearchPlan(matcher);
    NameCache* cache = nullptr;
    if (keepNameCache_) {
        cache = &CacheFor(options.CaseSensitive);
        cache->Update(catalogue);
        ChooseRarestLiteral(plan, cache->Buffer());
    }
    const MatchRequest request{catalogue, cache, matcher, plan, options};

    const size_t count = catalogue.Count();
    matches_.clear();
    if (parallelThreshold_ != 0 && count >= parallelThreshold_ && std::thread::hardware_concurrency() > 1) {
        // Two halves at once; the second half's matches follow the first's, and the first
        // `limit` of them are exactly what one pass in catalogue order would have found.
        const size_t middle = count / 2;
        secondHalf_.clear();
        std::atomic<bool> firstHalfFull{false};
        MatchRequest secondRequest = request;
        secondRequest.stop = &firstHalfFull;
        std::thread second;
        try {
            second = std::thread([&] { CollectMatches(secondRequest, middle, count, limit, secondHalf_); });
        } catch (const std::system_error&) {
            second = std::thread();  // no thread to be had: the second half runs below
        }
        try {
            CollectMatches(request, 0, middle, limit, matches_);
        } catch (...) {
            // Never leave a running thread behind (its destructor would end the program).
            firstHalfFull.store(true, std::memory_order_relaxed);
            if (second.joinable()) second.join();
            throw;
        }
        if (second.joinable()) {
            // With the limit reached in the first half nothing of the second half is needed.
            if (matches_.size() >= limit) firstHalfFull.store(true, std::memory_order_relaxed);
            second.join();
        } else if (matches_.size() < limit) {
            CollectMatches(request, middle, count, limit, secondHalf_);
        }
        for (size_t k = 0; k < secondHalf_.size() && matches_.size() < limit; ++k) {
            matches_.push_back(secondHalf_[k]);
        }
    } else {
        CollectMatches(request, 0, count, limit, matches_);
    }

    for (const size_t index : matches_) {
        TMyItem& result = results.AppendCopy(catalogue[index]);
        result.IconIndex = -1;
        result.Selected = false;
    }
    status_ = "OK! " + std::to_string(results.Count()) + " files found. Search time: " + ElapsedText(busy_) +
              " sec.";
    return results.Count();
}

}  // namespace quillory
