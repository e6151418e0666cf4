#include "app/result_actions.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "actions/clipboard_text.h"
#include "actions/open_rule.h"
#include "app/file_mime_data.h"
#include "app/main_window.h"
#include "app/result_action_prompts.h"
#include "app/result_list_model.h"
#include "app/result_list_view.h"

namespace quillory::app {

ResultActions::ResultActions(TQuilloryForm1& form, Launcher& launcher, ResultActionPrompts& prompts,
                             FileOperations& operations)
    : QObject(&form),
      form_(form),
      launcher_(launcher),
      prompts_(prompts),
      selection_(form.Selection()),
      contextMenu_(launcher, prompts, form.Context().prompts),
      transfer_(std::make_unique<TransferCommand>(form, selection_, prompts, operations)) {
    const auto attach = [this](const char* name, void (ResultActions::*handler)()) {
        if (QAction* action = form_.MenuAction(QString::fromLatin1(name)))
            connect(action, &QAction::triggered, this, handler);
    };
    attach("Execute1", &ResultActions::OpenFocusedRow);
    attach("Openfiles1", &ResultActions::OpenSelectedRows);
    attach("Openfolder1", &ResultActions::ShowFocusedRowInFolder);
    attach("Copyshortcuts1", &ResultActions::CopyPathsAsText);
    attach("Copyfiles1", &ResultActions::CopySelectedFiles);
    attach("Copytofolder1", &ResultActions::CopySelectedToFolder);
    attach("Movetofolder1", &ResultActions::MoveSelectedToFolder);

    list_ = form_.ResultView();
    viewport_ = list_->viewport();
    connect(list_, &ResultListView::executeRequested, this, &ResultActions::OpenFocusedRow);
    // The list has no menu of its own: right-clicks and the keyboard's menu requests come here.
    list_->installEventFilter(this);
    viewport_->installEventFilter(this);
}

ResultActions::~ResultActions() = default;

void ResultActions::OpenFocusedRow() {
    OpenFocused(form_.Context().results, selection_, launcher_);
}

void ResultActions::OpenSelectedRows() {
    OpenSelected(form_.Context().results, selection_, launcher_);
}

void ResultActions::ShowFocusedRowInFolder() {
    ShowFocusedInFolder(form_.Context().results, selection_, launcher_);
}

void ResultActions::CopyPathsAsText() {
    prompts_.SetClipboard(MakeTextMimeData(CopySelectedPaths(form_.Context().results, selection_)));
}

void ResultActions::CopySelectedFiles() {
    const std::vector<std::string> paths = SelectedFullPaths(form_.Context().results, selection_);
    if (paths.empty()) return;
    prompts_.SetClipboard(MakeFileMimeData(paths, PreferredEffect::Copy));
}

void ResultActions::CopyFocusedPath() {
    if (!selection_.FocusedRow()) return;
    prompts_.SetClipboard(MakeTextMimeData(FocusedFullPath(form_.Context().results, selection_)));
}

void ResultActions::CopySelectedToFolder() {
    if (NothingSelected()) return;
    transfer_->ChooseFolderAndTransfer(false);
}

void ResultActions::MoveSelectedToFolder() {
    if (NothingSelected()) return;
    transfer_->ChooseFolderAndTransfer(true);
}

bool ResultActions::NothingSelected() {
    // A folder chooser for no files would only lead to a transfer that does nothing.
    if (selection_.AnySelected()) return false;
    form_.SetStatusText(QStringLiteral("Nothing is selected: select the files to copy or move first."));
    return true;
}

QPoint ResultActions::MenuPosition(const QPoint& position) const {
    ResultListView* list = form_.ResultView();
    QPoint local = position;
    if (position == QPoint(-1, -1)) {
        // From the keyboard: just below the start of the focused row's name.
        const QModelIndex index = form_.Model()->index(static_cast<int>(*selection_.FocusedRow()), 0);
        list->scrollTo(index);
        const QRect row = list->visualRect(index);
        local = QPoint(row.left() + row.height(), row.bottom());
    }
    return list->viewport()->mapToGlobal(local);
}

void ResultActions::ShowContextMenu(const QPoint& position) {
    const auto focused = selection_.FocusedRow();
    const EntryList& results = form_.Context().results;
    if (!focused || *focused >= results.Count()) return;
    const std::string path = EntryFullPath(results[*focused]);
    const int command = contextMenu_.Show(form_.ResultView(), path, MenuPosition(position));
    if (command == kOpenContainingFolderCommand) ShowFocusedRowInFolder();
}

bool ResultActions::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::ContextMenu:
            break;
        default:
            return QObject::eventFilter(watched, event);
    }
    ResultListView* list = list_;
    if (watched == list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_C && (key->modifiers() & Qt::ControlModifier)) {
            CopyFocusedPath();
            return true;
        }
        if (key->key() == Qt::Key_F5 && key->modifiers() == Qt::NoModifier) {
            selection_.Repaint();
            return true;
        }
        if (key->key() == Qt::Key_Menu ||
            (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
            list->Gesture().KeyboardMenuKey();
            ShowContextMenu(QPoint(-1, -1));
            list->Gesture().MenuDone();
            return true;
        }
    }
    if (watched == viewport_ && event->type() == QEvent::MouseButtonDblClick) {
        // A double-click anywhere in the list runs "Execute" on the focused row (the first
        // click of the two has already moved the focus).
        OpenFocusedRow();
        return false;
    }
    if ((watched == list || watched == viewport_) && event->type() == QEvent::ContextMenu) {
        const auto* menu = static_cast<QContextMenuEvent*>(event);
        if (menu->reason() == QContextMenuEvent::Keyboard) {
            list->Gesture().KeyboardMenuKey();
            ShowContextMenu(QPoint(-1, -1));
            list->Gesture().MenuDone();
        }
        // A right-button menu opens when the button goes up, and only when no drag started
        // in between (the toolkit reports the request when the button goes down).
        return true;
    }
    if (watched == viewport_ && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && list->Gesture().MenuAllowed()) {
            list->Gesture().MenuDone();
            ShowContextMenu(mouse->position().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quillory::app
