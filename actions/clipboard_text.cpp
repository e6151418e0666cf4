#include "actions/clipboard_text.h"

#include <algorithm>

namespace quillory {

namespace {
size_t RowCount(const EntryList& results, const ResultSelection& selection) {
    return std::min(results.Count(), selection.ItemCount());
}
}  // namespace

std::string CopySelectedPaths(const EntryList& results, ResultSelection& selection) {
    std::string text;
    for (size_t row = 0, n = RowCount(results, selection); row < n; ++row) {
        if (!selection.IsSelected(row)) continue;
        text.append(EntryFullPath(results[row])).append("\n");
        selection.SetSelected(row, false);
    }
    if (const auto focused = selection.FocusedRow(); focused && *focused < results.Count()) {
        selection.SetSelected(*focused, true);
    }
    selection.Repaint();
    return text;
}

std::vector<std::string> SelectedFullPaths(const EntryList& results, const ResultSelection& selection) {
    std::vector<std::string> paths;
    for (size_t row = 0, n = RowCount(results, selection); row < n; ++row) {
        if (selection.IsSelected(row)) paths.push_back(EntryFullPath(results[row]));
    }
    return paths;
}

std::string FocusedFullPath(const EntryList& results, const ResultSelection& selection) {
    const auto focused = selection.FocusedRow();
    if (!focused || *focused >= results.Count()) return {};
    return EntryFullPath(results[*focused]);
}

}  // namespace quillory
