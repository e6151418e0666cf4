#include "app/result_icons.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <optional>

#include "app/result_list_model.h"

namespace quillory::app {

ResultIcons::ResultIcons(QTableView& view, ResultListModel& model, EntryList& results,
                         std::function<bool()> busy, std::unique_ptr<DesktopIconTable> table, QObject* parent)
    : QObject(parent),
      view_(view),
      model_(model),
      results_(results),
      busy_(std::move(busy)),
      table_(table ? std::move(table) : std::make_unique<DesktopIconTable>()),
      loader_(*table_) {
    idle_.setSingleShot(true);
    idle_.setInterval(0);
    connect(&idle_, &QTimer::timeout, this, &ResultIcons::IdlePass);
    model_.SetDecoration([this](int row) { return Decoration(row); });
}

QVariant ResultIcons::Decoration(int row) {
    if (row < 0 || static_cast<size_t>(row) >= results_.Count()) return {};
    const auto index = static_cast<size_t>(row);
    if (results_[index].IconIndex < 0) {
        if (loader_.RowsAnnounced(index, index, results_.Count(), busy_ && busy_())) {
            IdlePass();
        } else if (loader_.Pending() && !idle_.isActive()) {
            idle_.start();
        }
    }
    const int32_t icon = results_[index].IconIndex;
    return table_->Icon(icon >= 0 ? icon : 0);
}

void ResultIcons::IdlePass() {
    idle_.stop();
    const int top = view_.rowAt(0);
    const int rowHeight = std::max(1, view_.verticalHeader()->defaultSectionSize());
    // Rows partly visible at the bottom count: they show their icon too.
    const int fit = (view_.viewport()->height() + rowHeight - 1) / rowHeight;
    const bool looked =
        loader_.IdlePass(results_, top < 0 ? std::nullopt : std::optional<size_t>(top),
                         static_cast<size_t>(std::max(fit, 1)), static_cast<size_t>(model_.rowCount()));
    if (looked) view_.viewport()->update();
}

}  // namespace quillory::app
