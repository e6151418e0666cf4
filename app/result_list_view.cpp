#include "app/result_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>

namespace quillory::app {

ResultListView::ResultListView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
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

void ResultListView::keyPressEvent(QKeyEvent* event) {
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
