#include "app/result_context_menu.h"

#include <QAction>
#include <QMenu>

#include "actions/file_properties.h"
#include "actions/open_rule.h"
#include "app/file_mime_data.h"
#include "app/file_properties_form.h"
#include "app/qt_text.h"
#include "app/result_action_prompts.h"
#include "app/ui_prompts.h"
#include "platform/path_status.h"
#include "platform/trash.h"

namespace quillory::app {

namespace {

QAction* AddCommand(QMenu& menu, const QString& caption, int command) {
    QAction* action = menu.addAction(caption);
    action->setData(command);
    return action;
}

}  // namespace

int ContextCommandOf(const QAction* action) {
    return action ? action->data().toInt() : kNoCommand;
}

void FillResultContextMenu(QMenu& menu) {
    QAction* own = AddCommand(menu, QStringLiteral("Open Containing Folder"), kOpenContainingFolderCommand);
    menu.setDefaultAction(own);
    menu.addSeparator()->setData(int(kOwnSeparatorCommand));
    AddCommand(menu, QStringLiteral("&Open"), kOpenCommand);
    AddCommand(menu, QStringLiteral("&Copy"), kCopyCommand);
    AddCommand(menu, QStringLiteral("Copy &Path"), kCopyPathCommand);
    menu.addSeparator();
    AddCommand(menu, QStringLiteral("Move to &Trash"), kMoveToTrashCommand);
    menu.addSeparator();
    AddCommand(menu, QStringLiteral("P&roperties"), kPropertiesCommand);
}

bool MoveToTrash(const std::string& path) {
    // By the path's bytes: a name that is not UTF-8 would reach Qt's own file functions as
    // another name, possibly a neighbour's.
    return MoveFileToTrash(path) == 0;
}

int ResultContextMenu::Show(QWidget* owner, const std::string& path, const QPoint& globalPosition) {
    if (!PathEntryExists(path)) return kNoCommand;
    QMenu menu(owner);
    menu.setAccessibleName(QStringLiteral("Context menu"));
    FillResultContextMenu(menu);
    const int command = ContextCommandOf(prompts_.ExecMenu(menu, globalPosition));
    if (command == kNoCommand || (command >= kFirstOwnCommand && command <= kLastOwnCommand)) return command;
    return RunDesktopCommand(command, path, owner) ? command : kNoCommand;
}

bool ResultContextMenu::RunDesktopCommand(int command, const std::string& path, QWidget* owner) {
    switch (command) {
        case kOpenCommand:
            OpenWithShell(path, launcher_);
            return true;
        case kCopyCommand:
            prompts_.SetClipboard(MakeFileMimeData({path}, PreferredEffect::Copy));
            return true;
        case kCopyPathCommand:
            prompts_.SetClipboard(MakeTextMimeData(path));
            return true;
        case kMoveToTrashCommand:
            if (MoveToTrash(path)) return true;
            if (errors_)
                errors_->ShowError(owner,
                                   QStringLiteral("Cannot move \"%1\" to the trash.").arg(FromBytes(path)));
            return false;
        case kPropertiesCommand: {
            const auto properties = ReadFileProperties(path, LocaleFormats::FromEnvironment());
            if (!properties) return false;
            TFilePropertiesForm form(*properties, owner);
            prompts_.ExecDialog(form);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace quillory::app
