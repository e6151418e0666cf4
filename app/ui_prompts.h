#pragma once
// Every question the desktop program asks the user and every message box it shows goes
// through this interface, so tests answer them without a dialog ever blocking.

#include <QString>

class QWidget;

namespace quillory::app {

class UiPrompts {
  public:
    virtual ~UiPrompts() = default;
    // The program's general error display: a critical message box titled "Quillory".
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // A plain information box titled "Quillory".
    virtual void ShowInformation(QWidget* parent, const QString& text) = 0;
    // A save-file dialog with no overwrite prompt; empty when cancelled. `filter` is in Qt's
    // form ("Text files (*.txt)"); the suffix is added when the name has none.
    virtual QString SaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) = 0;
};

// The real dialogs. With QUILLORY_PROMPTS=stderr in the environment (scripts and whole-process
// tests, where nobody can answer a box) messages go to the standard error stream instead
// and file dialogs answer "cancelled".
class QtUiPrompts : public UiPrompts {
  public:
    void ShowError(QWidget* parent, const QString& text) override;
    void ShowInformation(QWidget* parent, const QString& text) override;
    QString SaveFileName(QWidget* parent, const QString& defaultSuffix, const QString& filter) override;
};

}  // namespace quillory::app
