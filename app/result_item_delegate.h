#pragma once
// Draws the result cells: a folder too long for its cell loses its middle, never its end, and
// the parts of a cell's text that made the entry match are marked.

#include <QStyledItemDelegate>
#include <functional>
#include <utility>
#include <vector>

namespace quillory::app {

class ResultItemDelegate : public QStyledItemDelegate {
  public:
    // The marked parts of a cell's shown text, as (first UTF-16 position, length).
    using Marks = std::vector<std::pair<int, int>>;
    using MarkSource = std::function<Marks(int row, int column)>;

    ResultItemDelegate(MarkSource marks, QObject* parent);

    Marks MarksOf(const QModelIndex& index) const { return marks_(index.row(), index.column()); }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    MarkSource marks_;
};

}  // namespace quillory::app
