#pragma once
// The list view's selection and focus as the engine sees them. The view is the authority:
// result i is selected exactly when row i is selected in the view. Changes of many rows are
// applied as ranges, so selecting or inverting a million rows is one call, not a million.

#include <vector>

#include "results/result_selection.h"

class QTableView;

namespace quillory::app {

class ResultListModel;

class ViewSelection : public ResultSelection {
  public:
    ViewSelection(QTableView& view, ResultListModel& model) : view_(view), model_(model) {}

    size_t ItemCount() const override;
    void SetItemCount(size_t count) override;
    bool IsSelected(size_t row) const override;
    void SetSelected(size_t row, bool selected) override;
    void SetRangeSelected(size_t first, size_t last, bool selected) override;
    std::optional<size_t> FocusedRow() const override;
    void SetFocusedRow(size_t row) override;
    void MakeVisible(size_t row) override;
    void Repaint() override;
    size_t SelectedCount() const override;

    // True when any row is selected (without a pass over the rows).
    bool AnySelected() const;
    // The selected state of every row, as one vector (a linear pass over the ranges).
    std::vector<bool> SelectedRows() const;
    // Replaces the selection with `rows` (true = selected), built into ranges first.
    void SelectRows(const std::vector<bool>& rows);
    void SelectAllRows();
    void InvertAllRows();

  private:
    QTableView& view_;
    ResultListModel& model_;
};

}  // namespace quillory::app
