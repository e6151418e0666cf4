#pragma once
// Every launch of something outside the program (a web page, a help page, the power-search
// program) goes through this interface, so tests record the targets instead of starting a
// browser. Launches are fire-and-forget: nothing is reported back, and a target that cannot
// be opened is left to what the desktop shows.

#include <QString>

namespace quillory::app {

class ExternalLauncher {
  public:
    virtual ~ExternalLauncher() = default;
    // `target` is an address with a scheme ("https://...", "file:///...") or a local path.
    virtual void Launch(const QString& target) = 0;
};

// The desktop's own way: an address opens in its handler (the browser for web and help
// pages); a local executable file is started without arguments; any other local file opens
// with the application the desktop associates with it.
class QtExternalLauncher : public ExternalLauncher {
  public:
    void Launch(const QString& target) override;
};

}  // namespace quillory::app
