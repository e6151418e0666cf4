#include "search/search_driver.h"

#include <limits>

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

void TSearchDriver::Collect(const EntryList& entries, const NameCache* names, const TWordList& words,
                            const TSearchOptions& options, int64_t maxResultsCount) {
    const QueryMatcher matcher(words, options);
    SearchPlan plan = MakeSearchPlan(matcher);
    if (names) ChooseRarestLiteral(plan, names->Buffer());
    MatchRequest request{entries, names, matcher, plan, options};
    request.cancel = stopRequest_;
    matches_.clear();
    CollectMatches(request, ResultLimit(maxResultsCount), matches_);
}

void TSearchDriver::CopyMatches(const EntryList& entries, EntryList& results) const {
    for (const size_t index : matches_) {
        TMyItem& result = results.AppendCopy(entries[index]);
        result.IconIndex = -1;
        result.Selected = false;
    }
}

}  // namespace quillory
