#pragma once
// The dialogs, menus and the clipboard that the result actions use, behind one interface so
// that tests answer them without anything modal ever blocking and without touching the
// session's desktop.

#include <QString>
#include <memory>

#include "actions/transfer_selected.h"

class QAction;
class QDialog;
class QMenu;
class QMimeData;
class QPoint;
class QWidget;

namespace quillory::app {

class ResultActionPrompts {
  public:
    virtual ~ResultActionPrompts() = default;
    // The folder browser of "Copy to folder..." and "Move to folder...": no title, folders
    // only, no button for a new folder. Empty when cancelled.
    virtual QString ChooseFolder(QWidget* parent) = 0;
    // The box titled "Error" with the error icon, the failure's text and the buttons "Abort"
    // and "Ignore". Closing it counts as Ignore.
    virtual ErrorAnswer AskTransferError(QWidget* parent, const TransferFailure& failure) = 0;
    // Shows `menu` at `globalPosition` until the user chooses: the chosen item, or null.
    virtual QAction* ExecMenu(QMenu& menu, const QPoint& globalPosition) = 0;
    // Shows `dialog` modally until it is closed.
    virtual void ExecDialog(QDialog& dialog) = 0;
    // Replaces the clipboard's content (the application's clipboard; tests run offscreen,
    // where it lives inside the process).
    virtual void SetClipboard(std::unique_ptr<QMimeData> data);
};

// The real dialogs. With QUILLORY_PROMPTS=stderr in the environment (scripts, whole-process
// tests) the folder browser answers "cancelled" and a failed file is reported on the standard
// error stream and ends the transfer, since nobody can answer.
class QtResultActionPrompts : public ResultActionPrompts {
  public:
    QString ChooseFolder(QWidget* parent) override;
    ErrorAnswer AskTransferError(QWidget* parent, const TransferFailure& failure) override;
    QAction* ExecMenu(QMenu& menu, const QPoint& globalPosition) override;
    void ExecDialog(QDialog& dialog) override;
};

}  // namespace quillory::app
