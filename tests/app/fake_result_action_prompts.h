#pragma once
// Plays the user and the desktop for the result actions: answers the folder browser, the
// "Error" box and the context menu from a script, records what was shown, and records what
// would have been opened. The clipboard is the application's own (offscreen: in-process).

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QPoint>
#include <functional>
#include <string>
#include <vector>

#include "actions/open_rule.h"
#include "app/result_action_prompts.h"
#include "app/result_context_menu.h"

namespace quillory::app::test {

class FakeResultActionPrompts : public ResultActionPrompts {
  public:
    QString ChooseFolder(QWidget*) override {
        ++foldersAsked;
        return nextFolder;
    }
    ErrorAnswer AskTransferError(QWidget*, const TransferFailure& failure) override {
        questions.push_back(failure.title + "|" + failure.Text());
        if (answers.empty()) return ErrorAnswer::Ignore;
        const ErrorAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    QAction* ExecMenu(QMenu& menu, const QPoint& globalPosition) override {
        menuPositions.push_back(globalPosition);
        menuItems.clear();
        for (QAction* action : menu.actions()) {
            menuItems.push_back(
                {action->isSeparator() ? QStringLiteral("-") : action->text(), ContextCommandOf(action)});
        }
        for (QAction* action : menu.actions()) {
            if (!action->isSeparator() && ContextCommandOf(action) == chooseCommand) return action;
        }
        return nullptr;
    }
    void ExecDialog(QDialog& dialog) override {
        if (onDialog) onDialog(dialog);
    }

    QString nextFolder;
    int foldersAsked = 0;
    std::vector<ErrorAnswer> answers;
    std::vector<std::string> questions;
    int chooseCommand = kNoCommand;
    std::vector<QPoint> menuPositions;
    std::vector<std::pair<QString, int>> menuItems;  // caption ("-" for a separator), command
    std::function<void(QDialog&)> onDialog;
};

// Records each launch as "owner <target>", "launcher <parameter>" or "folder <path>".
class RecordingLauncher : public Launcher {
  public:
    void OpenWithOwner(const std::string& target) override { calls.push_back("owner " + target); }
    void RunLauncher(const std::string& parameter) override { calls.push_back("launcher " + parameter); }
    void ShowInFolder(const std::string& path) override { calls.push_back("folder " + path); }
    std::vector<std::string> calls;
};

}  // namespace quillory::app::test
