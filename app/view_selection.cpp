#include "app/view_selection.h"

#include <QItemSelectionModel>
#include <QTableView>
#include <algorithm>

#include "app/result_list_model.h"
#include "results/result_columns.h"

namespace quillory::app {

namespace {

QItemSelection RowRanges(const QAbstractItemModel& model, const std::vector<bool>& rows) {
    QItemSelection ranges;
    const int lastColumn = kResultColumnCount - 1;
    const int count = static_cast<int>(rows.size());
    for (int row = 0; row < count;) {
        if (!rows[static_cast<size_t>(row)]) {
            ++row;
            continue;
        }
        int end = row;
        while (end + 1 < count && rows[static_cast<size_t>(end) + 1]) ++end;
        ranges.select(model.index(row, 0), model.index(end, lastColumn));
        row = end + 1;
    }
    return ranges;
}

}  // namespace

size_t ViewSelection::ItemCount() const {
    return static_cast<size_t>(model_.rowCount());
}

void ViewSelection::SetItemCount(size_t count) {
    // A new row count resets the model, and with it the view's current row: the focus stays
    // on the same row index when that row still exists, as a list view keeps its focused
    // item when items after it go.
    const std::optional<size_t> focused = FocusedRow();
    model_.ShowResults(count);
    if (focused && *focused < ItemCount()) SetFocusedRow(*focused);
}

bool ViewSelection::IsSelected(size_t row) const {
    return row < ItemCount() && view_.selectionModel()->isRowSelected(static_cast<int>(row));
}

void ViewSelection::SetSelected(size_t row, bool selected) {
    if (row >= ItemCount() || IsSelected(row) == selected) return;
    const auto flags =
        (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) | QItemSelectionModel::Rows;
    view_.selectionModel()->select(model_.index(static_cast<int>(row), 0), flags);
}

void ViewSelection::SetRangeSelected(size_t first, size_t last, bool selected) {
    last = std::min(last, ItemCount());
    if (first >= last) return;
    const QItemSelection range(model_.index(static_cast<int>(first), 0),
                               model_.index(static_cast<int>(last - 1), kResultColumnCount - 1));
    view_.selectionModel()->select(range,
                                   selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

std::optional<size_t> ViewSelection::FocusedRow() const {
    const QModelIndex current = view_.selectionModel()->currentIndex();
    if (!current.isValid()) return std::nullopt;
    return static_cast<size_t>(current.row());
}

void ViewSelection::SetFocusedRow(size_t row) {
    if (row >= ItemCount()) return;
    const int column = std::max(0, view_.selectionModel()->currentIndex().column());
    view_.selectionModel()->setCurrentIndex(model_.index(static_cast<int>(row), column),
                                            QItemSelectionModel::NoUpdate);
}

void ViewSelection::MakeVisible(size_t row) {
    if (row < ItemCount()) view_.scrollTo(model_.index(static_cast<int>(row), 0));
}

void ViewSelection::Repaint() {
    view_.viewport()->update();
}

size_t ViewSelection::SelectedCount() const {
    // Ranges may overlap (a row selected twice by different clicks), so count rows, not ranges.
    const std::vector<bool> rows = SelectedRows();
    return static_cast<size_t>(std::count(rows.begin(), rows.end(), true));
}

bool ViewSelection::AnySelected() const {
    return view_.selectionModel()->hasSelection();
}

std::vector<bool> ViewSelection::SelectedRows() const {
    std::vector<bool> rows(ItemCount(), false);
    for (const QItemSelectionRange& range : view_.selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows[static_cast<size_t>(row)] = true;
    }
    return rows;
}

void ViewSelection::SelectRows(const std::vector<bool>& rows) {
    view_.selectionModel()->select(RowRanges(model_, rows), QItemSelectionModel::ClearAndSelect);
}

void ViewSelection::SelectAllRows() {
    SelectRows(std::vector<bool>(ItemCount(), true));
}

void ViewSelection::InvertAllRows() {
    std::vector<bool> rows = SelectedRows();
    rows.flip();
    SelectRows(rows);
}

}  // namespace quillory::app
