#pragma once
// The file and folder choosers and the message box of the Options dialog and its database
// commands, behind one interface so that tests answer them without a dialog ever blocking.
// The program's general error display stays with UiPrompts.

#include <QString>
#include <functional>

class QWidget;

namespace quillory::app {

class OptionPrompts {
  public:
    virtual ~OptionPrompts() = default;
    // The database file dialog titled `title` (filter "Quillory databases ( *.qdb )", default
    // extension "qdb"). `forSave` lets the user name a file that does not exist yet.
    // `startFolder` and `proposedName` may be empty. Empty when cancelled.
    virtual QString ChooseDatabaseFile(QWidget* parent, const QString& title, bool forSave,
                                       const QString& startFolder, const QString& proposedName) = 0;
    // The folder chooser (existing folders only, no title, no "new folder" button). Empty when
    // cancelled.
    virtual QString ChooseFolder(QWidget* parent) = 0;
    // An information box captioned `caption`, owned by no window, with an OK button.
    virtual void ShowInformationBox(const QString& caption, const QString& text) = 0;
    // The power search program dialog with its path field set to `path`; true on OK, with
    // `path` then holding the field's text.
    virtual bool ChoosePowerSearchProgram(QWidget* parent, QString& path) = 0;
};

// The real dialogs. With QUILLORY_PROMPTS=stderr in the environment, boxes print to the
// standard error stream and every chooser answers "cancelled".
class QtOptionPrompts : public OptionPrompts {
  public:
    QString ChooseDatabaseFile(QWidget* parent, const QString& title, bool forSave,
                               const QString& startFolder, const QString& proposedName) override;
    QString ChooseFolder(QWidget* parent) override;
    void ShowInformationBox(const QString& caption, const QString& text) override;
    bool ChoosePowerSearchProgram(QWidget* parent, QString& path) override;

    // The power search program dialog, shown with `path` in its field; true and the field's
    // text in `path` on OK. Set by the start-up once that dialog exists.
    std::function<bool(QWidget* parent, QString& path)> powerSearchDialog;
};

}  // namespace quillory::app
