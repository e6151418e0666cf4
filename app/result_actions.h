#pragma once
// What the user does with the results in the window: open them ("Execute", Enter, a
// double-click, "Open files", "Open folder"), copy or move their files to a folder, put
// them on the clipboard, and the context menu. Attached to the window's menu items and list.

#include <QObject>
#include <memory>

#include "actions/file_operations.h"
#include "app/result_context_menu.h"
#include "app/transfer_command.h"
#include "app/view_selection.h"

class QPoint;

namespace quillory {
class Launcher;
}

namespace quillory::app {

class ResultActionPrompts;
class ResultListView;
class TQuilloryForm1;

class ResultActions : public QObject {
    Q_OBJECT
  public:
    ResultActions(TQuilloryForm1& form, Launcher& launcher, ResultActionPrompts& prompts,
                  FileOperations& operations = SystemFileOperations());
    ~ResultActions() override;

    // File menu: "Execute" (also Enter and a double-click), "Open files", "Open folder".
    void OpenFocusedRow();
    void OpenSelectedRows();
    void ShowFocusedRowInFolder();
    // Actions menu: "Copy paths", "Copy files", "Copy to folder...", "Move to folder...".
    void CopyPathsAsText();
    void CopySelectedFiles();
    void CopySelectedToFolder();
    void MoveSelectedToFolder();
    // Ctrl+C in the list: the focused row's path alone.
    void CopyFocusedPath();
    // The context menu for the focused row; `position` in the list's viewport, (-1, -1)
    // for a request from the keyboard (the menu then opens at the focused row).
    void ShowContextMenu(const QPoint& position);

    TransferCommand& Transfer() { return *transfer_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // True, with a word in the status bar, when no row is selected.
    bool NothingSelected();
    QPoint MenuPosition(const QPoint& position) const;

    TQuilloryForm1& form_;
    // The list and its viewport as they were when the filter was installed: the filter also
    // sees events while the window is being destroyed, when the window must not be asked.
    ResultListView* list_;
    QObject* viewport_;
    Launcher& launcher_;
    ResultActionPrompts& prompts_;
    ViewSelection& selection_;
    ResultContextMenu contextMenu_;
    std::unique_ptr<TransferCommand> transfer_;
};

}  // namespace quillory::app
