#include "results/compare_results.h"

#include <cmath>

namespace quillory {

namespace {

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A date that is not a number (a damaged database) sorts as the earliest of all, so the
// order stays a strict weak order.
double DateKey(double value) {
    return std::isnan(value) ? -INFINITY : value;
}

}  // namespace

int CompareResults(const EntryList& results, size_t i, size_t j, ResultColumn column, bool descending,
                   const Collation& collation) {
    const TMyItem& a = results[i];
    const TMyItem& b = results[j];
    int result = 0;
    switch (column) {
        case ResultColumn::Name:
            result = collation.Compare(a.Name(), b.Name());
            break;
        case ResultColumn::Folder:
            result = collation.Compare(a.Folder(), b.Folder());
            break;
        case ResultColumn::Size:
            result = Sign(a.Size, b.Size);
            break;
        case ResultColumn::Date:
            result = Sign(DateKey(a.Modified), DateKey(b.Modified));
            break;
        case ResultColumn::Ext:
            result = collation.Compare(a.Ext(), b.Ext());
            break;
    }
    return descending ? -result : result;
}

}  // namespace quillory
