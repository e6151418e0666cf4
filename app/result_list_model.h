#pragma once
// The result list as a Qt table model. It stores no texts: the view asks for a row's texts
// when it paints the row, and the engine formats them from the result entry then. The
// model's row count is the list view's item count, which is not always the result count: a
// rescan empties the view while the results stay as they were.

#include <QAbstractTableModel>
#include <functional>

#include "core/entry_list.h"
#include "platform/locale_formats.h"

namespace quillory::app {

class ResultListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    ResultListModel(const EntryList& results, LocaleFormats formats, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The icon of a row's "Name" cell (the window's icon loader answers it).
    void SetDecoration(std::function<QVariant(int row)> decoration) { decoration_ = std::move(decoration); }

    // The view shows the first `count` results (a new search; clamped to the result count).
    void ShowResults(size_t count);
    // The results were reordered in place (a sort): same rows, new order.
    void ResultsReordered();
    // Rows from `first` on left the results (a move took their files away).
    void ResultsChanged();

  private:
    const EntryList& results_;
    LocaleFormats formats_;
    int shown_ = 0;
    std::function<QVariant(int row)> decoration_;
};

}  // namespace quillory::app
