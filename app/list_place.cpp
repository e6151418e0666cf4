#include "app/list_place.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTableView>
#include <vector>

#include "app/view_selection.h"

namespace quillory::app {

namespace {

std::optional<std::string> PathOfRow(const EntryList& results, std::optional<size_t> row) {
    if (!row || *row >= results.Count()) return std::nullopt;
    return EntryFullPath(results[*row]);
}

}  // namespace

ListPlace RememberListPlace(const QTableView& view, const ViewSelection& selection, const EntryList& results) {
    ListPlace place;
    if (selection.AnySelected()) {
        const std::vector<bool> rows = selection.SelectedRows();
        for (size_t row = 0; row < rows.size() && row < results.Count(); ++row) {
            if (rows[row]) place.selected.insert(EntryFullPath(results[row]));
        }
    }
    place.focused = PathOfRow(results, selection.FocusedRow());
    const int top = view.rowAt(0);
    if (top >= 0) place.top = PathOfRow(results, static_cast<size_t>(top));
    place.scrolled = view.verticalScrollBar()->value();
    return place;
}

void RestoreListPlace(const ListPlace& place, QTableView& view, ViewSelection& selection, const EntryList& results) {
    const size_t count = selection.ItemCount();
    std::vector<bool> selected(count, false);
    std::optional<size_t> focused;
    std::optional<size_t> top;
    const bool anyPlace = !place.selected.empty() || place.focused || place.top;
    for (size_t row = 0; anyPlace && row < count && row < results.Count(); ++row) {
        const std::string path = EntryFullPath(results[row]);
        selected[row] = place.selected.contains(path);
        if (place.focused && path == *place.focused) focused = row;
        if (place.top && path == *place.top) top = row;
    }
    if (!place.selected.empty()) selection.SelectRows(selected);
    if (focused) selection.SetFocusedRow(*focused);
    if (top && view.model()) {
        view.scrollTo(view.model()->index(static_cast<int>(*top), 0), QAbstractItemView::PositionAtTop);
    } else {
        view.verticalScrollBar()->setValue(place.scrolled);
    }
}

}  // namespace quillory::app
