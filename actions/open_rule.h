#pragma once
// Handing results to the desktop: the one rule by which files and addresses are opened, and
// the commands "Execute", "Open files" and "Open folder".

#include <string>
#include <string_view>

#include "core/entry_list.h"
#include "results/result_selection.h"

namespace quillory {

// The desktop's side. Calls are fire-and-forget: nothing is reported back.
class Launcher {
  public:
    virtual ~Launcher() = default;
    // Opens `target` with the main window as owner (the "open" verb, shown normally).
    virtual void OpenWithOwner(const std::string& target) = 0;
    // Starts the launcher with one parameter, the target in double quotes; the launcher opens
    // the target as the desktop would.
    virtual void RunLauncher(const std::string& parameter) = 0;
    // Shows the file manager with `path` selected (for a folder: its parent, the folder
    // selected).
    virtual void ShowInFolder(const std::string& path) = 0;
};

// The extension of the last path component including its dot, lower-cased; empty when that
// component has no dot.
std::string LowerCaseExtension(std::string_view target);

// A target whose extension contains "doc" (doc, docx, docm, in any case) opens directly with
// the owner window; anything else goes to the launcher as one quoted parameter.
void OpenWithShell(const std::string& target, Launcher& launcher);

// "Execute" (Enter, double-click): opens the focused row's file; nothing without a focus.
void OpenFocused(const EntryList& results, const ResultSelection& selection, Launcher& launcher);
// "Open files": opens every selected row's file in list order, each by OpenWithShell.
void OpenSelected(const EntryList& results, const ResultSelection& selection, Launcher& launcher);
// "Open folder": shows the focused row's file in its folder; nothing without a focus.
void ShowFocusedInFolder(const EntryList& results, const ResultSelection& selection, Launcher& launcher);

}  // namespace quillory
