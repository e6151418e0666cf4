#pragma once
// The window's selection as the result actions use it. A change of the row count resets the
// list model, and with it the view's current row: this keeps the focus on the same row
// index across that change (when the row still exists), as a list view keeps its focused
// item when items after it are removed.

#include "app/view_selection.h"

namespace quillory::app {

class FocusKeepingSelection : public ResultSelection {
  public:
    explicit FocusKeepingSelection(ViewSelection& view) : view_(view) {}

    size_t ItemCount() const override { return view_.ItemCount(); }
    void SetItemCount(size_t count) override {
        const std::optional<size_t> focused = view_.FocusedRow();
        view_.SetItemCount(count);
        if (focused && *focused < count) view_.SetFocusedRow(*focused);
    }
    bool IsSelected(size_t row) const override { return view_.IsSelected(row); }
    void SetSelected(size_t row, bool selected) override { view_.SetSelected(row, selected); }
    void SetRangeSelected(size_t first, size_t last, bool selected) override {
        view_.SetRangeSelected(first, last, selected);
    }
    std::optional<size_t> FocusedRow() const override { return view_.FocusedRow(); }
    void SetFocusedRow(size_t row) override { view_.SetFocusedRow(row); }
    void MakeVisible(size_t row) override { view_.MakeVisible(row); }
    void Repaint() override { view_.Repaint(); }
    size_t SelectedCount() const override { return view_.SelectedCount(); }

  private:
    ViewSelection& view_;
};

}  // namespace quillory::app
