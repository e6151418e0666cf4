#pragma once
// The icons of the result list. A row shows the table icon of its result once that is known
// and the generic file icon until then; a row drawn without its icon leaves the icons
// pending, and the next idle moment (a zero timer, which fires once painting is over) looks
// up the icons of the rows on screen and repaints the list once. While a rescan runs the
// look-up happens at once.

#include <QObject>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <memory>

#include "app/icon_table.h"
#include "core/entry_list.h"
#include "results/icon_loader.h"

class QTableView;

namespace quillory::app {

class ResultListModel;

class ResultIcons : public QObject {
    Q_OBJECT
  public:
    // `busy` answers whether a rescan or a search is running. `table` replaces the desktop's
    // icon table (tests count its look-ups); null: the window's own.
    ResultIcons(QTableView& view, ResultListModel& model, EntryList& results, std::function<bool()> busy,
                std::unique_ptr<DesktopIconTable> table = nullptr, QObject* parent = nullptr);

    // The icon of `row` for the list (the model's decoration); notes a row still without one.
    QVariant Decoration(int row);

    // The idle pass: looks up the visible rows' icons and repaints the list when any changed.
    void IdlePass();

    IconLoader& Loader() { return loader_; }
    DesktopIconTable& Table() { return *table_; }
    bool IdlePassScheduled() const { return idle_.isActive(); }

  private:
    QTableView& view_;
    ResultListModel& model_;
    EntryList& results_;
    std::function<bool()> busy_;
    std::unique_ptr<DesktopIconTable> table_;
    IconLoader loader_;
    QTimer idle_;
};

}  // namespace quillory::app
