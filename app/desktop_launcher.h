#pragma once
// The desktop's side of opening results: files and addresses open with the desktop's
// default program, and "Open folder" asks the file manager over D-Bus to show the file
// selected, opening the parent folder instead when no file manager answers in time. Nothing
// waits for the desktop; a file that is not there, or a target the desktop's opener could not
// open, goes to the failure report when that is known.

#include <QDBusConnection>
#include <QObject>
#include <QUrl>
#include <functional>

#include "actions/open_rule.h"
#include "app/external_launcher.h"

namespace quillory::app {

// A file path as a file URL, byte for byte; anything with a scheme ("https:", "mailto:") as
// the address it is.
QUrl TargetUrl(const std::string& target);

// The folder that holds `path` (a file or a folder), ending with "/".
std::string ParentFolder(const std::string& path);

class DesktopLauncher : public QObject, public Launcher {
    Q_OBJECT
  public:
    using UrlOpener = std::function<void(const QUrl& url, DesktopOpener::Failed failed)>;

    // `open` defaults to a DesktopOpener's; `bus` to the session bus.
    explicit DesktopLauncher(QObject* parent = nullptr, UrlOpener open = {}, int answerTimeoutMs = 2000);
    DesktopLauncher(QDBusConnection bus, UrlOpener open, int answerTimeoutMs, QObject* parent = nullptr);
    ~DesktopLauncher() override;

    // Where failed opens are reported from now on (the path or address, and why); by default
    // nowhere.
    void SetFailureReport(LaunchFailureReport report) { report_ = std::move(report); }

    void OpenWithOwner(const std::string& target) override;
    // The launcher's one parameter is the target in double quotes: the launcher here is the
    // desktop's own open, so the quotes come off and the target opens directly.
    void RunLauncher(const std::string& parameter) override;
    void ShowInFolder(const std::string& path) override;

  Q_SIGNALS:
    // After each ShowInFolder: true when the file manager took the request, false when the
    // parent folder was opened instead.
    void showInFolderDone(bool byFileManager);

  private:
    // Opens a file path or an address; a path that is not there is reported instead.
    void Open(const std::string& target);
    void Report(const std::string& target, const QString& reason) const;

    QDBusConnection bus_;
    std::unique_ptr<DesktopOpener> opener_;
    UrlOpener open_;
    LaunchFailureReport report_;
    int answerTimeoutMs_;
};

}  // namespace quillory::app
