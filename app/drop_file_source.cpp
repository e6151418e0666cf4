#include "app/drop_file_source.h"

#include <QDrag>

#include "app/file_drop_data.h"

namespace quillory::app {

Qt::DropAction ExecuteWithQDrag(QObject* dragSource, std::unique_ptr<QMimeData> data,
                                Qt::DropActions allowed) {
    // The toolkit deletes the drag object once the drag loop has ended.
    auto* drag = new QDrag(dragSource);
    drag->setMimeData(data.release());
    return drag->exec(allowed, Qt::CopyAction);
}

DragOutcome OutcomeOf(Qt::DropAction chosen, Qt::DropActions allowed) {
    const Qt::DropActions effect = chosen & allowed;
    if (effect & Qt::CopyAction) return DragOutcome::Copied;
    if (effect & Qt::MoveAction) return DragOutcome::Moved;
    if (effect & Qt::LinkAction) return DragOutcome::Linked;
    return DragOutcome::Cancelled;
}

std::unique_ptr<QMimeData> TDropFileSource::MakeData(PreferredEffect effect) const {
    return std::make_unique<FileDropData>(Files, effect);
}

DragOutcome TDropFileSource::ExecuteDrag(QObject* dragSource) {
    if (Files.empty()) return DragOutcome::Cancelled;
    return OutcomeOf(executor_(dragSource, MakeData(PreferredEffect::Copy), Dragtypes), Dragtypes);
}

}  // namespace quillory::app
