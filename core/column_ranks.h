#pragma once
// The catalogue sorted once by each result column, kept as a rank per entry: sorting any
// result list copied from the catalogue is then a pass over the results' ranks instead of a
// sort that collates every name again. Built by BuildColumnRanks (results/ranked_sort.h),
// which knows the column rules; this file only holds them.
//
// A column's ranks describe the catalogue of exactly one Generation() and one collation
// locale; nobody uses them for another. They belong to the catalogue's owner like the rest
// of it.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

struct ColumnRank {
    // The EntryList::Generation() the ranks were built from; 0 while none are built.
    uint64_t generation = 0;
    // The collation locale the text columns were ordered with.
    std::string localeId;
    // rank[i]: the place of catalogue entry i when the catalogue is sorted ascending by the
    // column, entries with equal keys in catalogue order. A permutation of 0 to size-1.
    std::vector<uint32_t> rank;
    // Bit p (word p / 64, bit p % 64) is set when place p begins a run of equal keys: place 0,
    // and every place whose key is greater than the one before it.
    std::vector<uint64_t> groupStarts;

    bool Describes(uint64_t entriesGeneration, std::string_view locale) const {
        return generation != 0 && generation == entriesGeneration && localeId == locale;
    }
    bool GroupStartsAt(size_t place) const { return (groupStarts[place / 64] >> (place % 64)) & 1U; }
};

class ColumnRanks {
  public:
    static constexpr int kColumns = 5;  // the result columns, in ResultColumn order

    // The ranks of `column` for the entries of `generation` ordered in `locale`, or nullptr.
    const ColumnRank* Find(int column, uint64_t generation, std::string_view locale) const {
        if (column < 0 || column >= kColumns) return nullptr;
        const ColumnRank& found = columns_[static_cast<size_t>(column)];
        return found.Describes(generation, locale) ? &found : nullptr;
    }
    // True when every column describes `generation` in `locale`.
    bool Complete(uint64_t generation, std::string_view locale) const {
        for (const ColumnRank& c : columns_) {
            if (!c.Describes(generation, locale)) return false;
        }
        return true;
    }
    ColumnRank& Edit(int column) { return columns_.at(static_cast<size_t>(column)); }

    // Bytes held: four per entry and column, and a bit per entry and column.
    size_t BytesAllocated() const {
        size_t bytes = 0;
        for (const ColumnRank& c : columns_) {
            bytes += c.rank.capacity() * sizeof(uint32_t) + c.groupStarts.capacity() * sizeof(uint64_t);
        }
        return bytes;
    }
    void Release() { columns_ = {}; }

  private:
    std::array<ColumnRank, kColumns> columns_;
};

}  // namespace quillory
