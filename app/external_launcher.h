#pragma once
// Every launch of something outside the program (a web page, a help page, the power-search
// program) goes through this interface, so tests record the targets instead of starting a
// browser. A launch never waits for what it starts; one that fails is handed to the
// launcher's failure report as soon as the failure is known (at once for a missing file, or
// later, when the desktop's opener has ended without opening the target).

#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

namespace quillory::app {

class UiPrompts;

// A launch that could not be carried out: `target` as the user knows it (a path, or an
// address) and the system's reason, empty when it gave none.
using LaunchFailureReport = std::function<void(const QString& target, const QString& reason)>;

// The message shown for a failed launch: what could not be opened, then why.
QString LaunchFailureText(const QString& target, const QString& reason);

// A report that shows every failure in an error box of `prompts`, over `window` while it is
// shown and over no window while the program is in the tray. Without prompts the message
// goes to the standard error stream.
LaunchFailureReport ShowLaunchFailures(UiPrompts* prompts, QWidget* window);

// Why the local file `path` cannot be opened, in the system's words ("No such file or
// directory"); empty when it is there.
QString MissingFileReason(const QByteArray& path);

// Hands addresses to the desktop's opener program ("xdg-open", found on PATH), one process
// per address, and does not wait for it: the opener may run as long as the program it starts.
// Where the opener is not installed the address goes to Qt's desktop services instead.
class DesktopOpener {
  public:
    // The system's reason, or the opener's, for not opening the address.
    using Failed = std::function<void(const QString& reason)>;

    explicit DesktopOpener(QString program = QStringLiteral("xdg-open"));
    // Openers still running are ended without a report: the programs they started stay.
    ~DesktopOpener();
    DesktopOpener(const DesktopOpener&) = delete;
    DesktopOpener& operator=(const DesktopOpener&) = delete;

    // `failed` runs from the event loop once the opener could not be started or ended with a
    // failure status; it runs at once when neither the opener nor Qt's services can take the
    // address.
    void Open(const QUrl& url, Failed failed);

    // Openers started and not yet ended.
    int Running() const;

  private:
    QString program_;
    QObject processes_;  // the running openers' parent
};

class ExternalLauncher {
  public:
    virtual ~ExternalLauncher() = default;
    // `target` is an address with a scheme ("https://...", "file:///...") or a local path.
    virtual void Launch(const QString& target) = 0;

    // Where failed launches are reported from now on; by default nowhere.
    void SetFailureReport(LaunchFailureReport report) { report_ = std::move(report); }

  protected:
    void ReportFailure(const QString& target, const QString& reason) const {
        if (report_) report_(target, reason);
    }

  private:
    LaunchFailureReport report_;
};

// The desktop's own way: an address opens in its handler (the browser for web and help
// pages); a local executable file is started without arguments in its own folder; any other
// local file opens with the application the desktop associates with it. A local file or
// help page that is not there is reported without starting anything.
class QtExternalLauncher : public ExternalLauncher {
  public:
    using UrlOpener = std::function<void(const QUrl& url, DesktopOpener::Failed failed)>;

    // `open` defaults to a DesktopOpener's.
    explicit QtExternalLauncher(UrlOpener open = {});
    ~QtExternalLauncher() override;

    void Launch(const QString& target) override;

  private:
    void Open(const QUrl& url, const QString& shown);

    std::unique_ptr<DesktopOpener> opener_;
    UrlOpener open_;
};

}  // namespace quillory::app
