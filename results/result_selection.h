#pragma once
// The selection of the result list. The list (the window's list view, or a test's fake) is
// the authority: result i is selected exactly when row i is. The entries' `Selected` fields
// only carry the selection across an operation that reorders or removes results.

#include <cstddef>
#include <optional>
#include <vector>

#include "core/entry_list.h"

namespace quillory {

class ResultSelection {
  public:
    virtual ~ResultSelection() = default;

    virtual size_t ItemCount() const = 0;
    virtual void SetItemCount(size_t count) = 0;
    virtual bool IsSelected(size_t row) const = 0;
    virtual void SetSelected(size_t row, bool selected) = 0;
    // Rows `first` to `last` - 1 at once (a list view selects a range in one call); the
    // default sets them one by one.
    virtual void SetRangeSelected(size_t first, size_t last, bool selected);
    virtual std::optional<size_t> FocusedRow() const = 0;
    virtual void SetFocusedRow(size_t row) = 0;
    // Scrolls until the row is at least partly visible.
    virtual void MakeVisible(size_t row) = 0;
    // Redraws the rows (a begin-update/end-update pair on the list's items).
    virtual void Repaint() = 0;

    // The number of selected rows; a list that knows it cheaply may answer directly.
    virtual size_t SelectedCount() const;
};

// A selection held in memory, for front ends without a list view (the CLI) and for tests.
class MemorySelection : public ResultSelection {
  public:
    explicit MemorySelection(size_t count = 0) : selected_(count, false) {}

    size_t ItemCount() const override { return selected_.size(); }
    void SetItemCount(size_t count) override { selected_.resize(count, false); }
    bool IsSelected(size_t row) const override { return row < selected_.size() && selected_[row]; }
    void SetSelected(size_t row, bool selected) override {
        if (row < selected_.size()) selected_[row] = selected;
    }
    void SetRangeSelected(size_t first, size_t last, bool selected) override;
    std::optional<size_t> FocusedRow() const override { return focused_; }
    void SetFocusedRow(size_t row) override { focused_ = row; }
    void ClearFocus() { focused_.reset(); }
    void MakeVisible(size_t row) override { visibleRow_ = row; }
    void Repaint() override { ++repaints_; }

    std::optional<size_t> LastMadeVisible() const { return visibleRow_; }
    int Repaints() const { return repaints_; }
    std::vector<size_t> SelectedRows() const;

  private:
    std::vector<bool> selected_;
    std::optional<size_t> focused_;
    std::optional<size_t> visibleRow_;
    int repaints_ = 0;
};

// Copies the rows' selected state into the results' `Selected` fields, by index, over the
// result count.
void SaveSelection(EntryList& results, const ResultSelection& selection);
// Copies the results' `Selected` fields back to the rows, by index, over the result count:
// one SetRangeSelected call per run of equal rows.
void RestoreSelection(const EntryList& results, ResultSelection& selection);

// A run of rows: `first` to `last` - 1.
struct RowRange {
    size_t first;
    size_t last;
    bool operator==(const RowRange&) const = default;
};
// The runs of results whose `Selected` field is set, in order, each as long as possible.
std::vector<RowRange> SelectedRanges(const EntryList& results);
// The runs of selected rows among rows 0 to `count` - 1, in order.
std::vector<RowRange> SelectedRanges(const ResultSelection& selection, size_t count);

// Sets rows 0 to `count` - 1 (the result count) to `value`, as one range.
void SetAllSelected(ResultSelection& selection, size_t count, bool value);

// "Select All" and "Invert selection": every row of the list (the inversion range by
// range), then a repaint.
void SelectAll(ResultSelection& selection);
void InvertSelection(ResultSelection& selection);

}  // namespace quillory
