#include "app/result_list_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace quillory::app {

ResultListView::ResultListView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A press on a row that is already selected keeps the other selected rows until the
    // button goes up, so several rows can be dragged; the drag itself is the list's own
    // (mouseMoveEvent), never the item view's.
    setDragEnabled(true);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setAlternatingRowColors(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    // Fixed row heights: the view never asks a million rows for their size hints.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    setTextElideMode(Qt::ElideRight);
}

void ResultListView::keyboardSearch(const QString&) {
    // The program's own type-ahead replaces Qt's.
}

void ResultListView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    gesture_.MouseDown(at.x(), at.y());
    QTableView::mousePressEvent(event);
}

void ResultListView::mouseMoveEvent(QMouseEvent* event) {
    const Qt::MouseButtons buttons = event->buttons();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const PointerState pointer{
        .left = (buttons & Qt::LeftButton) != 0,
        .right = (buttons & Qt::RightButton) != 0,
        .otherButton = (buttons & ~(Qt::LeftButton | Qt::RightButton)) != 0,
        .shift = (modifiers & Qt::ShiftModifier) != 0,
        .control = (modifiers & Qt::ControlModifier) != 0,
        .alt = (modifiers & Qt::AltModifier) != 0,
    };
    const QPoint at = event->position().toPoint();
    const bool anySelected = selectionModel() && selectionModel()->hasSelection();
    if (dragFiles_ && gesture_.DragPossible(pointer, anySelected)) {
        // Near the press point the move does nothing: the selection stays as it is for the drag.
        if (gesture_.ShouldStartDrag(pointer, at.x(), at.y(), anySelected)) {
            dropSource_.Files = dragFiles_();
            dragging_ = true;
            dropSource_.ExecuteDrag(this);
            dragging_ = false;
            gesture_.DragDone();
            // The drag loop took the button's release: the list is not selecting any more.
            setState(NoState);
        }
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void ResultListView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Menu) gesture_.KeyboardMenuKey();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT executeRequested();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    const QString text = event->text();
    const bool plainKey = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plainKey && !text.isEmpty()) {
        for (const char32_t c : text.toUcs4()) {
            if (c >= 0x20 && c != 0x7F) Q_EMIT characterTyped(c);
        }
    }
}

}  // namespace quillory::app
