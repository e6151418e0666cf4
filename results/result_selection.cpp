#include "results/result_selection.h"

#include <algorithm>

namespace quillory {

size_t ResultSelection::SelectedCount() const {
    size_t count = 0;
    for (size_t row = 0, n = ItemCount(); row < n; ++row) count += IsSelected(row) ? 1 : 0;
    return count;
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
    for (size_t i = 0, n = results.Count(); i < n; ++i) selection.SetSelected(i, results[i].Selected);
}

void SetAllSelected(ResultSelection& selection, size_t count, bool value) {
    for (size_t row = 0; row < count; ++row) selection.SetSelected(row, value);
}

void Selectall1Click(ResultSelection& selection) {
    SetAllSelected(selection, selection.ItemCount(), true);
    selection.Repaint();
}

void Invertselection1Click(ResultSelection& selection) {
    for (size_t row = 0, n = selection.ItemCount(); row < n; ++row) {
        selection.SetSelected(row, !selection.IsSelected(row));
    }
    selection.Repaint();
}

}  // namespace quillory
