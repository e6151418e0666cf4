#pragma once
// Where each result came from: the catalogue index of every result, beside the result list
// (an entry has no room for it), and the two states it describes: the catalogue's
// Generation() the results were copied from, and the result list's own Generation() at the
// time. Any change to the results (a new search, a move that drops rows, a sort that did
// not tell the origin) changes their generation, so a stale origin is recognised, never used.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/entry_list.h"

namespace quillory {

class ResultOrigin {
  public:
    // Result k is a copy of catalogue entry `catalogueIndex[k]` (catalogue of generation
    // `catalogueGeneration`). Forgets everything when the counts disagree or an index does
    // not fit 32 bits.
    void Record(uint64_t catalogueGeneration, std::span<const size_t> catalogueIndex,
                const EntryList& results);
    void Forget();

    // True when the origin still describes `results` exactly.
    bool Describes(const EntryList& results) const {
        return resultsGeneration_ != 0 && resultsGeneration_ == results.Generation() &&
               index_.size() == results.Count();
    }
    uint64_t CatalogueGeneration() const { return catalogueGeneration_; }
    std::span<const uint32_t> CatalogueIndex() const { return index_; }

    // The results were put in `order` (order[k]: the old place of the result now at k) and
    // are now `results`; called only while the origin described them before the reordering.
    // Throws std::invalid_argument when `order` does not cover the indices.
    void Reordered(std::span<const uint32_t> order, const EntryList& results);

  private:
    uint64_t catalogueGeneration_ = 0;
    uint64_t resultsGeneration_ = 0;
    std::vector<uint32_t> index_;
    std::vector<uint32_t> scratch_;
};

}  // namespace quillory
