#include "results/ranked_sort.h"

#include <algorithm>
#include <bit>

#include "results/sort_results.h"

namespace quillory {

namespace {

// True when some place in [first, last] begins a run of equal keys.
bool AnyGroupStart(const std::vector<uint64_t>& bits, size_t first, size_t last) {
    const size_t firstWord = first / 64;
    const size_t lastWord = last / 64;
    const uint64_t fromFirst = ~uint64_t{0} << (first % 64);
    const uint64_t upToLast = last % 64 == 63 ? ~uint64_t{0} : (uint64_t{1} << (last % 64 + 1)) - 1;
    if (firstWord == lastWord) return (bits[firstWord] & fromFirst & upToLast) != 0;
    if ((bits[firstWord] & fromFirst) != 0) return true;
    for (size_t w = firstWord + 1; w < lastWord; ++w) {
        if (bits[w] != 0) return true;
    }
    return (bits[lastWord] & upToLast) != 0;
}

// Sorts `keys` by their high 32 bits, which are below 2^rankBits: least significant digit
// first, at most eleven bits a digit so a digit's counts stay in the first-level cache.
void RadixSortHigh(std::vector<uint64_t>& keys, std::vector<uint64_t>& other, unsigned rankBits) {
    if (rankBits == 0 || keys.size() < 2) return;
    const unsigned passes = (rankBits + 10) / 11;
    const unsigned digitBits = (rankBits + passes - 1) / passes;
    const size_t buckets = size_t{1} << digitBits;
    other.resize(keys.size());
    std::vector<size_t> counts(buckets);
    for (unsigned pass = 0; pass < passes; ++pass) {
        const unsigned shift = 32 + pass * digitBits;
        const uint64_t mask = buckets - 1;
        std::fill(counts.begin(), counts.end(), 0);
        for (const uint64_t key : keys) ++counts[(key >> shift) & mask];
        size_t sum = 0;
        for (size_t& count : counts) {
            const size_t here = count;
            count = sum;
            sum += here;
        }
        for (const uint64_t key : keys) other[counts[(key >> shift) & mask]++] = key;
        keys.swap(other);
    }
}

}  // namespace

void BuildColumnRank(const EntryList& entries, ResultSorter& sorter, int column, ColumnRank& rank) {
    // Half-built ranks must never pass for finished ones (an exception may end the build).
    rank.generation = 0;
    std::vector<uint32_t> order;
    sorter.StableOrder(entries, static_cast<ResultColumn>(column), order, rank.groupStarts);
    rank.rank.resize(order.size());
    for (size_t place = 0; place < order.size(); ++place)
        rank.rank[order[place]] = static_cast<uint32_t>(place);
    rank.localeId = sorter.GetCollation().LocaleId();
    rank.generation = entries.Generation();
}

bool BuildColumnRanks(const EntryList& entries, const Collation& collation, ColumnRanks& ranks,
                      const std::atomic<bool>* stop) {
    ResultSorter sorter(collation);
    for (int column = 0; column < ColumnRanks::kColumns; ++column) {
        if (stop && stop->load(std::memory_order_relaxed)) return false;
        ColumnRank& rank = ranks.Edit(column);
        if (rank.Describes(entries.Generation(), collation.LocaleId())) continue;
        BuildColumnRank(entries, sorter, column, rank);
    }
    return true;
}

bool RadixRankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                      std::vector<uint32_t>& order, RankedSortMemory& memory) {
    const size_t n = catalogueIndex.size();
    const size_t ranked = rank.rank.size();
    if (n >= UINT32_MAX) return false;
    // The rank in the high half, the result's place in the low half: ranks are unique, so
    // sorting by the high half alone orders the results completely.
    std::vector<uint64_t>& keys = memory.keys;
    keys.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const uint32_t index = catalogueIndex[k];
        if (index >= ranked) return false;
        keys[k] = (uint64_t{rank.rank[index]} << 32) | k;
    }
    RadixSortHigh(keys, memory.other, ranked == 0 ? 0 : static_cast<unsigned>(std::bit_width(ranked - 1)));
    if (descending) {
        // The reverse of ascending, except that each run of equal keys is turned back to
        // catalogue order. Neighbours with ranks b < a hold equal keys exactly when no run of
        // equal keys begins in the places (b, a] of the catalogue's order.
        std::reverse(keys.begin(), keys.end());
        size_t run = 0;
        for (size_t k = 1; k <= n; ++k) {
            if (k < n && !AnyGroupStart(rank.groupStarts, (keys[k] >> 32) + 1, keys[k - 1] >> 32)) continue;
            std::reverse(keys.begin() + static_cast<std::ptrdiff_t>(run),
                         keys.begin() + static_cast<std::ptrdiff_t>(k));
            run = k;
        }
    }
    order.resize(n);
    for (size_t k = 0; k < n; ++k) order[k] = static_cast<uint32_t>(keys[k]);
    return true;
}

bool ScatterRankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                        std::vector<uint32_t>& order, RankedSortMemory& memory) {
    constexpr uint32_t kNoResult = UINT32_MAX;
    const size_t n = catalogueIndex.size();
    const size_t ranked = rank.rank.size();
    if (n >= UINT32_MAX || rank.groupStarts.size() != (ranked + 63) / 64) return false;
    // places[p]: the result whose rank is p, or kNoResult.
    std::vector<uint32_t>& places = memory.places;
    places.assign(ranked, kNoResult);
    const uint32_t* rankOf = rank.rank.data();
    for (size_t k = 0; k < n; ++k) {
        const uint32_t index = catalogueIndex[k];
        if (index >= ranked) return false;
        uint32_t& place = places[rankOf[index]];
        if (place != kNoResult) return false;
        place = static_cast<uint32_t>(k);
    }
    // Collected without a branch per place: every place is written at `found`, which only
    // moves on past a result, so one spare slot takes the writes after the last result.
    order.resize(n + 1);
    uint32_t* out = order.data();
    size_t found = 0;
    if (!descending) {
        for (size_t p = 0; p < ranked; ++p) {
            const uint32_t result = places[p];
            out[found] = result;
            found += result != kNoResult ? 1 : 0;
        }
    } else {
        // From the last place to the first; each run of equal keys, collected backwards, is
        // turned back to catalogue order when its first place is reached.
        if (ranked != 0 && !rank.GroupStartsAt(0)) return false;
        size_t runStart = 0;
        for (size_t p = ranked; p-- > 0;) {
            const uint32_t result = places[p];
            out[found] = result;
            found += result != kNoResult ? 1 : 0;
            if (rank.GroupStartsAt(p)) {
                if (found - runStart > 1) std::reverse(out + runStart, out + found);
                runStart = found;
            }
        }
    }
    order.resize(n);
    return found == n;
}

bool RankedOrder(const ColumnRank& rank, std::span<const uint32_t> catalogueIndex, bool descending,
                 std::vector<uint32_t>& order, RankedSortMemory& memory) {
    // The scatter touches every place of the catalogue, 8 bytes each, against about 40 bytes
    // of radix passes per result: it wins above about one result in sixteen entries.
    constexpr size_t kScatterShare = 16;
    if (catalogueIndex.size() >= rank.rank.size() / kScatterShare &&
        ScatterRankedOrder(rank, catalogueIndex, descending, order, memory)) {
        return true;
    }
    return RadixRankedOrder(rank, catalogueIndex, descending, order, memory);
}

}  // namespace quillory
