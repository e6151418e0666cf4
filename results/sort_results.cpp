#include "results/sort_results.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace quillory {

static_assert(std::is_trivially_copyable_v<TMyItem>, "results are reordered by plain copies");

namespace {

// One result's collation key: the first eight key bytes packed big-endian (so most
// comparisons are one integer compare without touching the key text), the whole key's place
// in the key arena, and the result's index.
struct TextKey {
    uint64_t prefix;
    uint64_t offset;
    uint32_t length;
    uint32_t index;
};

uint64_t PackPrefix(const char* key, size_t length) {
    uint64_t prefix = 0;
    const size_t n = std::min<size_t>(length, 8);
    for (size_t i = 0; i < 8; ++i) {
        prefix <<= 8;
        if (i < n) prefix |= static_cast<unsigned char>(key[i]);
    }
    return prefix;
}

// Keys hold no zero bytes, so the zero padding of a short key's prefix sorts it before any
// longer key that shares its bytes, as memcmp-then-length does.
bool KeyLess(const TextKey& a, const TextKey& b, const std::string& arena) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (a.length <= 8 || b.length <= 8) return a.length < b.length;
    const size_t common = std::min(a.length, b.length) - 8;
    const int c = std::memcmp(arena.data() + a.offset + 8, arena.data() + b.offset + 8, common);
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

template <typename Key>
struct NumberKey {
    Key key;
    uint32_t index;
};

// Puts the entries in the order of `indices` (result k becomes the entry that was at
// indices[k]).
template <typename Item>
void Permute(EntryList& results, const std::vector<Item>& order) {
    const std::span<const TMyItem> before = results.Entries();
    std::vector<TMyItem> sorted;
    sorted.reserve(order.size());
    for (const Item& item : order) sorted.push_back(before[item.index]);
    const std::span<TMyItem> entries = results.EditEntries();
    std::copy(sorted.begin(), sorted.end(), entries.begin());
}

void SortByText(EntryList& results, ResultColumn column, bool descending, const Collation& collation) {
    const std::span<const TMyItem> entries = results.Entries();
    std::string arena;
    arena.reserve(entries.size() * 24);
    std::vector<TextKey> keys;
    keys.reserve(entries.size());
    // Entries of one folder visit share one folder text: collate it once per run.
    const char* lastText = nullptr;
    size_t lastSize = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string_view text = TextOf(entries[i], column);
        if (column == ResultColumn::Folder && !keys.empty() && text.data() == lastText && text.size() == lastSize) {
            TextKey key = keys.back();
            key.index = static_cast<uint32_t>(i);
            keys.push_back(key);
            continue;
        }
        lastText = text.data();
        lastSize = text.size();
        const size_t offset = arena.size();
        collation.AppendSortKey(text, arena);
        const size_t length = arena.size() - offset;
        keys.push_back({0, offset, static_cast<uint32_t>(length), static_cast<uint32_t>(i)});
    }
    for (TextKey& key : keys) key.prefix = PackPrefix(arena.data() + key.offset, key.length);
    if (descending) {
        std::sort(keys.begin(), keys.end(), [&](const TextKey& a, const TextKey& b) { return KeyLess(b, a, arena); });
    } else {
        std::sort(keys.begin(), keys.end(), [&](const TextKey& a, const TextKey& b) { return KeyLess(a, b, arena); });
    }
    Permute(results, keys);
}

template <typename Key, typename GetKey>
void SortByNumber(EntryList& results, bool descending, GetKey getKey) {
    const std::span<const TMyItem> entries = results.Entries();
    std::vector<NumberKey<Key>> keys(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) keys[i] = {getKey(entries[i]), static_cast<uint32_t>(i)};
    if (descending) {
        std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return b.key < a.key; });
    } else {
        std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    }
    Permute(results, keys);
}

}  // namespace

void SortResults(EntryList& results, ResultColumn column, bool descending, const Collation& collation) {
    if (results.Count() < 2) return;
    if (results.Count() > UINT32_MAX) throw std::length_error("too many results to sort");
    switch (column) {
        case ResultColumn::Size:
            SortByNumber<int64_t>(results, descending, [](const TMyItem& e) { return e.Size; });
            break;
        case ResultColumn::Date:
            // A date that is not a number sorts first, keeping the order strict.
            SortByNumber<double>(results, descending, [](const TMyItem& e) {
                return std::isnan(e.Modified) ? -INFINITY : e.Modified;
            });
            break;
        default:
            SortByText(results, column, descending, collation);
            break;
    }
}

void ListView1ColumnClick(SortState& state, EntryList& results, ResultSelection& selection,
                          const Collation& collation, int column) {
    if (column < 0 || column >= kResultColumnCount) return;
    if (!state.ResultsSorted) state.SortColumn = kNoSortColumn;
    state.SortDescending = column == state.SortColumn ? !state.SortDescending : false;
    state.SortColumn = static_cast<int8_t>(column);
    state.ResultsSorted = true;
    SaveSelection(results, selection);
    TrimEntries(results, results.Count());
    SortResults(results, static_cast<ResultColumn>(column), state.SortDescending, collation);
    RestoreSelection(results, selection);
    selection.Repaint();
}

}  // namespace quillory
