#include "results/result_origin.h"

#include <stdexcept>

namespace quillory {

void ResultOrigin::Record(uint64_t catalogueGeneration, std::span<const size_t> catalogueIndex,
                          const EntryList& results) {
    Forget();
    if (catalogueIndex.size() != results.Count()) return;
    index_.resize(catalogueIndex.size());
    for (size_t k = 0; k < catalogueIndex.size(); ++k) {
        if (catalogueIndex[k] > UINT32_MAX) {
            Forget();
            return;
        }
        index_[k] = static_cast<uint32_t>(catalogueIndex[k]);
    }
    // The reordering's working memory, made ready now: a column click then touches no fresh
    // memory for the indices.
    scratch_.resize(index_.size());
    catalogueGeneration_ = catalogueGeneration;
    resultsGeneration_ = results.Generation();
}

void ResultOrigin::Forget() {
    catalogueGeneration_ = 0;
    resultsGeneration_ = 0;
    index_.clear();
}

void ResultOrigin::Reordered(std::span<const uint32_t> order, const EntryList& results) {
    if (order.size() != index_.size()) throw std::invalid_argument("the order does not cover the results");
    scratch_.resize(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        if (order[k] >= index_.size()) throw std::invalid_argument("the order is not a permutation");
        scratch_[k] = index_[order[k]];
    }
    index_.swap(scratch_);
    resultsGeneration_ = results.Generation();
}

}  // namespace quillory
