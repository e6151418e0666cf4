#pragma once
// How a rescan talks to its user. The desktop program answers with its status bar, progress
// window and event loop; quillory-cli with a progress line on a terminal.

#include <cstddef>
#include <string_view>

namespace quillory {

class RescanObserver {
  public:
    virtual ~RescanObserver() = default;
    // The status bar's text ("Waiting...", the final count and time, "Stop ...").
    virtual void SetStatusText(std::string_view text) = 0;
    // A progress point: the current folder and the number of entries found. Called often on
    // a large tree; it should only note the values, to be painted when events are processed.
    virtual void ShowProgress(std::string_view folder, size_t found) = 0;
    // Lets the user interface work. A search started here clears the busy flag, and the
    // rescan stops at its next check.
    virtual void ProcessPendingEvents() = 0;
    // The rescan has started: the result list view is emptied, "Rescan" disabled and the
    // progress window shown while the main window is shown.
    virtual void RescanStarted() {}
    // The rescan has ended (completed or stopped): the progress window is hidden and "Rescan"
    // enabled again.
    virtual void RescanEnded() {}
};

}  // namespace quillory
