#pragma once
// The program's file source: the paths to offer, the effects a drag allows (copy only) and
// the drag itself. The drag runs through an executor, by default the toolkit's modal drag
// loop; tests put a recorder in its place.

#include <QMimeData>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "actions/dropsource/file_drop_formats.h"

class QObject;

namespace quillory::app {

// The outcome of a drag, by the first of the copy, move and link effects that the target
// chose among the allowed ones.
enum class DragOutcome { Copied = 0, Moved = 1, Linked = 2, Cancelled = 3, OutOfMemory = 4, Other = 5 };

// Runs one drag of `data` (ownership passes) from `dragSource` with the `allowed` effects and
// answers the effect the target chose (Qt::IgnoreAction: none, the drag was cancelled).
using DragExecutor = std::function<Qt::DropAction(QObject* dragSource, std::unique_ptr<QMimeData> data,
                                                  Qt::DropActions allowed)>;

// The toolkit's drag loop (QDrag::exec), offering copy as the default effect.
Qt::DropAction ExecuteWithQDrag(QObject* dragSource, std::unique_ptr<QMimeData> data,
                                Qt::DropActions allowed);

// The outcome of a drag that ended with `chosen` when `allowed` were offered.
DragOutcome OutcomeOf(Qt::DropAction chosen, Qt::DropActions allowed);

class TDropFileSource {
  public:
    TDropFileSource() : executor_(ExecuteWithQDrag) {}

    // The paths offered by the next drag; they stay until the next one replaces them.
    std::vector<std::string> Files;
    // The effects a drag allows: copies only, so a file manager that receives the drop copies.
    Qt::DropActions Dragtypes = Qt::CopyAction;

    void SetExecutor(DragExecutor executor) { executor_ = std::move(executor); }

    // A new data object over Files preferring `effect`.
    std::unique_ptr<QMimeData> MakeData(PreferredEffect effect) const;
    // Runs the drag of Files (nothing is dragged when there are none: Cancelled).
    DragOutcome ExecuteDrag(QObject* dragSource);

  private:
    DragExecutor executor_;
};

}  // namespace quillory::app
