#pragma once
// The commands that hand the user over to something outside the program: the power-search
// program, the maker's internet-search page, the help pages and the About box. None of them
// waits for what it started; a launch that fails shows an error box with the target and the
// system's reason once the failure is known.

#include <QObject>
#include <memory>

#include "app/external_launcher.h"

namespace quillory::app {

class TAboutForm;
class TPowerSearchForm;
class TQuilloryForm1;

class ExternalLaunches : public QObject {
    Q_OBJECT
  public:
    // A child of the form; the buttons, menu items, tray items and the rescan window's links
    // are connected here, and the launcher's failures are shown through the program's prompts.
    ExternalLaunches(TQuilloryForm1& form, std::unique_ptr<ExternalLauncher> launcher);
    ~ExternalLaunches() override;

    // "Power search", the tray's "Open Power Search" and hot key 2. Without a program set,
    // the dialog asks for one first; OK sets it at once (even when empty), Cancel ends here.
    // A set program is started and the program hides to the tray.
    void RunPowerSearch();
    // The maker's internet-search page; "Internet search" hides the program to the tray
    // afterwards, the tray's "Open Internet Search" does not.
    void OpenInternetSearch(bool hideToTray);
    // Opens the help page `topic` ("Start.htm", "Start.htm#keys") in the browser.
    void ShowHelpTopic(const QString& topic);
    // The About box, modally.
    void ShowAbout();

    TPowerSearchForm* PowerSearchForm() const { return powerSearchForm_; }
    TAboutForm* AboutForm() const { return aboutForm_; }
    ExternalLauncher& Launcher() const { return *launcher_; }

  private:
    TQuilloryForm1& form_;
    std::unique_ptr<ExternalLauncher> launcher_;
    TPowerSearchForm* powerSearchForm_;
    TAboutForm* aboutForm_;
};

// Creates the commands for the form (the desktop's launcher in the program, a recording one
// in tests).
ExternalLaunches* AttachExternalLaunches(TQuilloryForm1& form, std::unique_ptr<ExternalLauncher> launcher);

}  // namespace quillory::app
