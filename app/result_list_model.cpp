#include "app/result_list_model.h"

#include "app/qt_text.h"

#include <algorithm>
#include <climits>

#include "results/result_columns.h"

namespace quillory::app {

ResultListModel::ResultListModel(const EntryList& results, LocaleFormats formats, QObject* parent)
    : QAbstractTableModel(parent), results_(results), formats_(std::move(formats)) {}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ResultListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kResultColumnCount;
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_ || static_cast<size_t>(index.row()) >= results_.Count()) {
        return {};
    }
    const auto column = static_cast<ResultColumn>(index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole:
            return FromBytes(ResultColumnText(results_[static_cast<size_t>(index.row())], column, formats_));
        case Qt::DecorationRole:
            if (column == ResultColumn::Name && decoration_) return decoration_(index.row());
            return {};
        case Qt::TextAlignmentRole:
            if (column == ResultColumn::Size) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return QString::fromLatin1(kResultColumns[static_cast<size_t>(section)].caption);
    }
    return {};
}

void ResultListModel::ShowResults(size_t count) {
    beginResetModel();
    shown_ = static_cast<int>(std::min({count, results_.Count(), static_cast<size_t>(INT_MAX)}));
    endResetModel();
}

void ResultListModel::ResultsReordered() {
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultListModel::ResultsChanged() {
    ShowResults(results_.Count());
}

}  // namespace quillory::app
