#pragma once
// Opens the Options dialog from the main window: the "Options" button and the menu item
// "Program options..." open it on the page it showed last, the "Databases" link on the
// "Database" page. After OK the options are applied, the hot keys registered anew, the
// caption names the database and the log-on start entry follows "Start program at login".

#include <QObject>
#include <functional>

#include "app/settings_store.h"

namespace quillory::app {

class OptionPrompts;
class TOptionForm;
class TQuilloryForm1;

struct OptionCommandHooks {
    // Adds or removes the log-on start entry (name, program path, run once, remove).
    AutostartHook autostart = SystemAutostart();
    // Releases the hot keys and registers them again from the options, in that order.
    std::function<void()> reregisterHotKeys;
};

class OptionCommands : public QObject {
    Q_OBJECT
  public:
    // The dialog is created at once, hidden, and lives as long as the window. `prompts`
    // must outlive the window.
    OptionCommands(TQuilloryForm1& form, OptionPrompts& prompts, OptionCommandHooks hooks);

    // "Options" and "Program options...": the page shown last.
    void OpenOptions();
    // The "Databases" link.
    void OpenDatabasePage();

    TOptionForm* Dialog() const { return dialog_; }

  private:
    TQuilloryForm1& form_;
    OptionCommandHooks hooks_;
    TOptionForm* dialog_;
};

// Creates the commands as a child of `form` and connects them to its button, menu item and
// link.
OptionCommands* AttachOptionCommands(TQuilloryForm1& form, OptionPrompts& prompts,
                                     OptionCommandHooks hooks = OptionCommandHooks());

}  // namespace quillory::app
