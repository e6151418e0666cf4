#include "results/sort_results.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <type_traits>

#include "results/ranked_sort.h"

namespace quillory {

static_assert(std::is_trivially_copyable_v<TMyItem>, "results are reordered by plain copies");

namespace {

using TextKey = ResultSorter::TextKey;
using NumberKey = ResultSorter::NumberKey;

// Below this many results per thread, starting a thread costs more than it saves.
constexpr size_t kResultsPerThread = 50'000;
constexpr size_t kMaxThreads = 8;

// Eight key bytes from `from`, big-endian, zero-padded past the key's end.
uint64_t PackBytes(const char* key, size_t length, size_t from) {
    uint64_t packed = 0;
    for (size_t i = from; i < from + 8; ++i) {
        packed <<= 8;
        if (i < length) packed |= static_cast<unsigned char>(key[i]);
    }
    return packed;
}

// Keys hold no zero bytes, so the zero padding of a short key sorts it before any longer key
// that shares its bytes, as memcmp-then-length does.
bool KeyLess(const TextKey& a, const TextKey& b) {
    if (a.head != b.head) return a.head < b.head;
    if (a.next != b.next) return a.next < b.next;
    if (a.length <= 16 || b.length <= 16) return a.length < b.length;
    const int c = std::memcmp(a.key + 16, b.key + 16, std::min(a.length, b.length) - 16);
    if (c != 0) return c < 0;
    return a.length < b.length;
}

std::string_view TextOf(const TMyItem& entry, ResultColumn column) {
    switch (column) {
        case ResultColumn::Folder:
            return entry.Folder();
        case ResultColumn::Ext:
            return entry.Ext();
        default:
            return entry.Name();
    }
}

// Sort keys of entries [first, last) into `arena` (reserved up front so key pointers stay
// valid) and `keys`.
void BuildTextKeys(std::span<const TMyItem> entries, size_t first, size_t last, ResultColumn column,
                   const Collation& collation, std::string& arena, TextKey* keys) {
    // Entries of one folder visit share one folder text: collate it once per run.
    const char* lastText = nullptr;
    size_t lastSize = 0;
    std::vector<size_t> offsets;
    offsets.reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        const std::string_view text = TextOf(entries[i], column);
        if (column == ResultColumn::Folder && i != first && text.data() == lastText &&
            text.size() == lastSize) {
            offsets.push_back(offsets.back());
            keys[i - first].length = keys[i - first - 1].length;
            continue;
        }
        lastText = text.data();
        lastSize = text.size();
        const size_t offset = arena.size();
        collation.AppendSortKey(text, arena);
        offsets.push_back(offset);
        keys[i - first].length = static_cast<uint32_t>(arena.size() - offset);
    }
    // The arena has stopped growing: its addresses are final now.
    for (size_t i = first; i < last; ++i) {
        TextKey& key = keys[i - first];
        key.key = arena.data() + offsets[i - first];
        key.head = PackBytes(key.key, key.length, 0);
        key.next = PackBytes(key.key, key.length, 8);
        key.index = static_cast<uint32_t>(i);
    }
}

// The bits of a signed number, reordered so unsigned comparison gives the numeric order.
uint64_t OrderedBits(int64_t value) {
    return static_cast<uint64_t>(value) ^ (uint64_t{1} << 63);
}

// The same for a date-time; a value that is not a number sorts before all others, keeping
// the order strict, and -0 equals 0.
uint64_t OrderedBits(double value) {
    if (std::isnan(value)) return 0;
    if (value == 0) value = 0.0;
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
}

// The indices of sorted keys, as an order.
template <typename Key>
void IndicesOf(const std::vector<Key>& keys, std::vector<uint32_t>& order) {
    order.resize(keys.size());
    for (size_t k = 0; k < keys.size(); ++k) order[k] = keys[k].index;
}

}  // namespace

ResultSorter::ResultSorter(Collation collation) : collation_(std::move(collation)) {}

void ResultSorter::ReleaseMemory() {
    threadCollations_ = {};
    arenas_ = {};
    textKeys_ = {};
    numberKeys_ = {};
    spare_ = {};
    order_ = {};
    clickOrder_ = {};
    rankedMemory_ = {};
}

bool ResultSorter::SortKeys(const EntryList& results, ResultColumn column, bool descending,
                            bool tiesByIndex) {
    if (results.Count() >= UINT32_MAX) throw std::length_error("too many results to sort");
    if (column == ResultColumn::Size || column == ResultColumn::Date) {
        SortNumberKeys(results, column, descending, tiesByIndex);
        return false;
    }
    SortTextKeys(results, column, descending, tiesByIndex);
    return true;
}

void ResultSorter::Sort(EntryList& results, ResultColumn column, bool descending) {
    if (results.Count() < 2) return;
    if (SortKeys(results, column, descending)) {
        IndicesOf(textKeys_, order_);
    } else {
        IndicesOf(numberKeys_, order_);
    }
    ApplyPermutation(results, order_);
}

std::vector<uint32_t> ResultSorter::Order(const EntryList& results, ResultColumn column, bool descending,
                                          bool tiesByIndex) {
    std::vector<uint32_t> order(results.Count());
    if (results.Count() < 2) {
        for (size_t k = 0; k < order.size(); ++k) order[k] = static_cast<uint32_t>(k);
        return order;
    }
    if (SortKeys(results, column, descending, tiesByIndex)) {
        for (size_t k = 0; k < order.size(); ++k) order[k] = textKeys_[k].index;
    } else {
        for (size_t k = 0; k < order.size(); ++k) order[k] = numberKeys_[k].index;
    }
    return order;
}

void ResultSorter::SortTextKeys(const EntryList& results, ResultColumn column, bool descending,
                                bool tiesByIndex) {
    const std::span<const TMyItem> entries = results.Entries();
    const size_t n = entries.size();
    const size_t hardware = std::max<size_t>(1, std::thread::hardware_concurrency());
    const size_t threads = std::clamp<size_t>(n / kResultsPerThread, 1, std::min(hardware, kMaxThreads));
    while (threadCollations_.size() + 1 < threads) threadCollations_.push_back(collation_.Clone());
    if (arenas_.size() < threads) arenas_.resize(threads);
    textKeys_.resize(n);

    std::vector<std::thread> workers;
    std::vector<std::exception_ptr> failures(threads);
    for (size_t t = 0; t < threads; ++t) {
        const size_t first = n * t / threads;
        const size_t last = n * (t + 1) / threads;
        std::string& arena = arenas_[t];
        arena.clear();
        // A name's key runs to about twenty bytes; the estimate only saves regrowth.
        arena.reserve((last - first) * 24);
        const Collation& collation = t == 0 ? collation_ : threadCollations_[t - 1];
        auto work = [&, first, last, t] {
            try {
                BuildTextKeys(entries, first, last, column, collation, arena, textKeys_.data() + first);
            } catch (...) {
                failures[t] = std::current_exception();
            }
        };
        if (t + 1 == threads) {
            work();
            continue;
        }
        try {
            workers.emplace_back(work);
        } catch (const std::system_error&) {
            work();  // no thread to be had: this one does the part
        }
    }
    for (std::thread& worker : workers) worker.join();
    for (const std::exception_ptr& f : failures) {
        if (f) std::rethrow_exception(f);
    }

    if (tiesByIndex) {
        std::sort(textKeys_.begin(), textKeys_.end(), [descending](const TextKey& a, const TextKey& b) {
            if (KeyLess(a, b)) return !descending;
            if (KeyLess(b, a)) return descending;
            return a.index < b.index;
        });
    } else if (descending) {
        std::sort(textKeys_.begin(), textKeys_.end(),
                  [](const TextKey& a, const TextKey& b) { return KeyLess(b, a); });
    } else {
        std::sort(textKeys_.begin(), textKeys_.end(), KeyLess);
    }
}

void ResultSorter::SortNumberKeys(const EntryList& results, ResultColumn column, bool descending,
                                  bool tiesByIndex) {
    const std::span<const TMyItem> entries = results.Entries();
    numberKeys_.resize(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const TMyItem& e = entries[i];
        numberKeys_[i] = {column == ResultColumn::Size ? OrderedBits(e.Size) : OrderedBits(e.Modified),
                          static_cast<uint32_t>(i)};
    }
    if (tiesByIndex) {
        std::sort(numberKeys_.begin(), numberKeys_.end(),
                  [descending](const NumberKey& a, const NumberKey& b) {
                      if (a.key != b.key) return descending ? b.key < a.key : a.key < b.key;
                      return a.index < b.index;
                  });
    } else if (descending) {
        std::sort(numberKeys_.begin(), numberKeys_.end(),
                  [](const NumberKey& a, const NumberKey& b) { return b.key < a.key; });
    } else {
        std::sort(numberKeys_.begin(), numberKeys_.end(),
                  [](const NumberKey& a, const NumberKey& b) { return a.key < b.key; });
    }
}

void ResultSorter::StableOrder(const EntryList& entries, ResultColumn column, std::vector<uint32_t>& order,
                               std::vector<uint64_t>& groupStarts) {
    const size_t n = entries.Count();
    order.resize(n);
    groupStarts.assign((n + 63) / 64, 0);
    if (n == 0) return;
    const bool text = SortKeys(entries, column, false, true);
    for (size_t p = 0; p < n; ++p) {
        const bool starts = p == 0 || (text ? KeyLess(textKeys_[p - 1], textKeys_[p])
                                            : numberKeys_[p - 1].key != numberKeys_[p].key);
        if (starts) groupStarts[p / 64] |= uint64_t{1} << (p % 64);
        order[p] = text ? textKeys_[p].index : numberKeys_[p].index;
    }
}

namespace {

// Throws std::invalid_argument unless `order` holds each of 0 to n - 1 exactly once.
void CheckPermutation(size_t n, std::span<const uint32_t> order) {
    if (order.size() != n) throw std::invalid_argument("the order does not cover the results");
    std::vector<bool> seen(n, false);
    for (const uint32_t index : order) {
        if (index >= n || seen[index]) throw std::invalid_argument("the order is not a permutation");
        seen[index] = true;
    }
}

}  // namespace

void ResultSorter::Apply(EntryList& results, std::span<const uint32_t> order) {
    const size_t n = results.Count();
    CheckPermutation(n, order);
    ApplyPermutation(results, order);
}

void ResultSorter::PrepareClicks(size_t results, size_t catalogueEntries) {
    // Grown only (a smaller list reuses the larger memory); a reallocation copies nothing.
    if (spare_.capacity() < results) spare_.clear();
    if (spare_.size() < results) spare_.resize(results);
    if (clickOrder_.size() < results + 1) clickOrder_.resize(results + 1);
    std::vector<uint32_t>& places = rankedMemory_.places;
    if (places.size() < catalogueEntries) places.resize(catalogueEntries);
}

void ResultSorter::ApplyPermutation(EntryList& results, std::span<const uint32_t> order) {
    results.Reorder(order, spare_);
}

void SortResults(EntryList& results, ResultColumn column, bool descending, const Collation& collation) {
    ResultSorter sorter(collation);
    sorter.Sort(results, column, descending);
}

void ApplyOrder(EntryList& results, std::span<const uint32_t> order) {
    const size_t n = results.Count();
    CheckPermutation(n, order);
    EntryList::Slots spare;
    results.Reorder(order, spare);
}

std::vector<uint32_t> InverseOrder(std::span<const uint32_t> order) {
    std::vector<uint32_t> inverse(order.size());
    for (size_t k = 0; k < order.size(); ++k) inverse[order[k]] = static_cast<uint32_t>(k);
    return inverse;
}

namespace {

// The direction rule of a column click; false when the click is ignored.
bool NoteColumnClick(SortState& state, int column) {
    if (column < 0 || column >= kResultColumnCount) return false;
    if (!state.ResultsSorted) state.SortColumn = kNoSortColumn;
    state.SortDescending = column == state.SortColumn ? !state.SortDescending : false;
    state.SortColumn = static_cast<int8_t>(column);
    state.ResultsSorted = true;
    return true;
}

}  // namespace

std::vector<uint32_t> SortColumnClick(SortState& state, EntryList& results, ResultSorter& sorter,
                                      int column) {
    if (!NoteColumnClick(state, column)) return {};
    TrimEntries(results, results.Count());
    std::vector<uint32_t> order =
        sorter.Order(results, static_cast<ResultColumn>(column), state.SortDescending);
    ApplyOrder(results, order);
    return order;
}

std::span<const uint32_t> SortColumnClick(SortState& state, EntryList& results, ResultSorter& sorter,
                                          int column, const ColumnRanks* ranks, ResultOrigin& origin) {
    if (!NoteColumnClick(state, column)) return {};
    const bool known = origin.Describes(results);
    const ColumnRank* rank =
        ranks && known ? ranks->Find(column, origin.CatalogueGeneration(), sorter.GetCollation().LocaleId())
                       : nullptr;
    TrimEntries(results, results.Count());
    std::vector<uint32_t>& order = sorter.ClickOrder();
    if (!rank ||
        !RankedOrder(*rank, origin.CatalogueIndex(), state.SortDescending, order, sorter.RankedMemory())) {
        order = sorter.Order(results, static_cast<ResultColumn>(column), state.SortDescending);
    }
    sorter.ApplyPermutation(results, order);
    if (known) {
        origin.Reordered(order, results);
    } else {
        origin.Forget();
    }
    return order;
}

void SortByColumn(SortState& state, EntryList& results, ResultSelection& selection, ResultSorter& sorter,
                  int column) {
    if (!NoteColumnClick(state, column)) return;
    SaveSelection(results, selection);
    TrimEntries(results, results.Count());
    // In place, with the sorter's working memory: repeated clicks allocate nothing.
    sorter.Sort(results, static_cast<ResultColumn>(column), state.SortDescending);
    RestoreSelection(results, selection);
    selection.Repaint();
}

}  // namespace quillory
