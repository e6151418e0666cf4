#include "app/desktop_launcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <cctype>

#include "actions/dropsource/file_drop_formats.h"

namespace quillory::app {

namespace {

bool HasScheme(const std::string& target) {
    // A scheme: a letter, then letters, digits, "+", "-" or ".", then ":" (before any "/").
    if (target.empty() || !std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (size_t i = 1; i < target.size(); ++i) {
        const auto c = static_cast<unsigned char>(target[i]);
        if (c == ':') return true;
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return false;
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QUrl TargetUrl(const std::string& target) {
    if (HasScheme(target)) return QUrl::fromEncoded(Bytes(target));
    return QUrl::fromEncoded(Bytes(FileUri(target)));
}

std::string ParentFolder(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) return "/";
    return trimmed.substr(0, slash + 1);
}

DesktopLauncher::DesktopLauncher(QObject* parent, UrlOpener open, int answerTimeoutMs)
    : DesktopLauncher(QDBusConnection::sessionBus(), std::move(open), answerTimeoutMs, parent) {}

DesktopLauncher::DesktopLauncher(QDBusConnection bus, UrlOpener open, int answerTimeoutMs, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), open_(std::move(open)), answerTimeoutMs_(answerTimeoutMs) {
    if (!open_) {
        opener_ = std::make_unique<DesktopOpener>();
        open_ = [opener = opener_.get()](const QUrl& url, DesktopOpener::Failed failed) {
            opener->Open(url, std::move(failed));
        };
    }
}

DesktopLauncher::~DesktopLauncher() = default;

void DesktopLauncher::OpenWithOwner(const std::string& target) {
    Open(target);
}

void DesktopLauncher::RunLauncher(const std::string& parameter) {
    std::string target = parameter;
    if (target.size() >= 2 && target.front() == '"' && target.back() == '"')
        target = target.substr(1, target.size() - 2);
    Open(target);
}

void DesktopLauncher::Open(const std::string& target) {
    if (!HasScheme(target)) {
        const QString reason = MissingFileReason(Bytes(target));
        if (!reason.isEmpty()) return Report(target, reason);
    }
    open_(TargetUrl(target), [this, target](const QString& reason) { Report(target, reason); });
}

void DesktopLauncher::Report(const std::string& target, const QString& reason) const {
    if (report_) report_(QString::fromUtf8(Bytes(target)), reason);
}

void DesktopLauncher::ShowInFolder(const std::string& path) {
    const std::string folder = ParentFolder(path);
    if (!bus_.isConnected()) {
        Open(folder);
        Q_EMIT showInFolderDone(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromLatin1(FileUri(path))} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, answerTimeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, folder](QDBusPendingCallWatcher* done) {
        // No file manager on the bus, an error, or no answer in time: the folder opens instead.
        const bool shown = !done->isError();
        if (!shown) Open(folder);
        done->deleteLater();
        Q_EMIT showInFolderDone(shown);
    });
}

}  // namespace quillory::app
