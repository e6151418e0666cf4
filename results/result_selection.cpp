#include "results/result_selection.h"

#include <algorithm>

namespace quillory {

size_t ResultSelection::SelectedCount() const {
    size_t count = 0;
    for (size_t row = 0, n = ItemCount(); row < n; ++row) count += IsSelected(row) ? 1 : 0;
    return count;
}

void ResultSelection::SetRangeSelected(size_t first, size_t last, bool selected) {
    for (size_t row = first; row < last; ++row) SetSelected(row, selected);
}

void MemorySelection::SetRangeSelected(size_t first, size_t last, bool selected) {
    last = std::min(last, selected_.size());
    for (size_t row = first; row < last; ++row) selected_[row] = selected;
}

std::vector<size_t> MemorySelection::SelectedRows() const {
    std::vector<size_t> rows;
    for (size_t row = 0; row < selected_.size(); ++row) {
        if (selected_[row]) rows.push_back(row);
    }
    return rows;
}

void SaveSelection(EntryList& results, const ResultSelection& selection) {
    for (size_t i = 0, n = results.Count(); i < n; ++i) results[i].Selected = selection.IsSelected(i);
}

void RestoreSelection(const EntryList& results, ResultSelection& selection) {
    const size_t n = results.Count();
    for (size_t first = 0; first < n;) {
        const bool value = results[first].Selected;
        size_t last = first + 1;
        while (last < n && results[last].Selected == value) ++last;
        selection.SetRangeSelected(first, last, value);
        first = last;
    }
}

namespace {

template <typename IsSelected>
std::vector<RowRange> RangesOf(size_t count, IsSelected isSelected) {
    std::vector<RowRange> ranges;
    for (size_t row = 0; row < count; ++row) {
        if (!isSelected(row)) continue;
        if (!ranges.empty() && ranges.back().last == row) {
            ranges.back().last = row + 1;
        } else {
            ranges.push_back({row, row + 1});
        }
    }
    return ranges;
}

}  // namespace

std::vector<RowRange> SelectedRanges(const EntryList& results) {
    return RangesOf(results.Count(), [&](size_t i) { return results[i].Selected; });
}

std::vector<RowRange> SelectedRanges(const ResultSelection& selection, size_t count) {
    return RangesOf(count, [&](size_t row) { return selection.IsSelected(row); });
}

void SetAllSelected(ResultSelection& selection, size_t count, bool value) {
    if (count != 0) selection.SetRangeSelected(0, count, value);
}

void SelectAll(ResultSelection& selection) {
    SetAllSelected(selection, selection.ItemCount(), true);
    selection.Repaint();
}

void InvertSelection(ResultSelection& selection) {
    const size_t n = selection.ItemCount();
    size_t next = 0;  // rows before it are done
    for (const RowRange& range : SelectedRanges(selection, n)) {
        if (next < range.first) selection.SetRangeSelected(next, range.first, true);
        selection.SetRangeSelected(range.first, range.last, false);
        next = range.last;
    }
    if (next < n) selection.SetRangeSelected(next, n, true);
    selection.Repaint();
}

}  // namespace quillory
