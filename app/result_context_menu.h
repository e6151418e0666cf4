#pragma once
// The result list's context menu for one file: the program's own "Open Containing Folder"
// first, a separator, then the commands this desktop offers for a file (Open, Copy, Copy
// Path, Move to Trash, Properties), which the menu carries out itself. The numbers 135 to
// 140 are the program's own commands; the desktop's commands are numbered from 1.

#include <QPoint>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace quillory {
class Launcher;
}

namespace quillory::app {

class ResultActionPrompts;
class UiPrompts;

enum ContextCommand : int {
    kNoCommand = 0,
    // The desktop's commands for a file.
    kOpenCommand = 1,
    kCopyCommand = 2,
    kCopyPathCommand = 3,
    kMoveToTrashCommand = 4,
    kPropertiesCommand = 5,
    // The program's own: never handed to the desktop's side.
    kOpenContainingFolderCommand = 135,
    kOwnSeparatorCommand = 136,
    kFirstOwnCommand = 135,
    kLastOwnCommand = 140,
};

// The command number an item of the menu carries (0 for none).
int ContextCommandOf(const QAction* action);

// Fills `menu` with the items for one file, each carrying its command number.
void FillResultContextMenu(QMenu& menu);

// Moves `path` to the user's trash by its bytes (platform/trash.h). False when the file could
// not be moved.
bool MoveToTrash(const std::string& path);

class ResultContextMenu {
  public:
    ResultContextMenu(Launcher& launcher, ResultActionPrompts& prompts, UiPrompts* errors)
        : launcher_(launcher), prompts_(prompts), errors_(errors) {}

    // Shows the menu for `path` at `globalPosition` and carries out a desktop command chosen
    // from it. Returns the chosen command number; 0 when nothing was chosen, the file does
    // not exist (no menu is shown) or the chosen command failed. The program's own commands
    // are returned for the caller to run.
    int Show(QWidget* owner, const std::string& path, const QPoint& globalPosition);

  private:
    bool RunDesktopCommand(int command, const std::string& path, QWidget* owner);

    Launcher& launcher_;
    ResultActionPrompts& prompts_;
    UiPrompts* errors_;
};

}  // namespace quillory::app
