#include "app/desktop_launcher.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
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
    if (!open_) open_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

void DesktopLauncher::OpenWithOwner(const std::string& target) {
    open_(TargetUrl(target));
}

void DesktopLauncher::RunLauncher(const std::string& parameter) {
    std::string target = parameter;
    if (target.size() >= 2 && target.front() == '"' && target.back() == '"')
        target = target.substr(1, target.size() - 2);
    open_(TargetUrl(target));
}

void DesktopLauncher::ShowInFolder(const std::string& path) {
    const QUrl parent = TargetUrl(ParentFolder(path));
    if (!bus_.isConnected()) {
        open_(parent);
        Q_EMIT showInFolderDone(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromLatin1(FileUri(path))} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, answerTimeoutMs_), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, parent](QDBusPendingCallWatcher* done) {
        // No file manager on the bus, an error, or no answer in time: the folder opens instead.
        const bool shown = !done->isError();
        if (!shown) open_(parent);
        done->deleteLater();
        Q_EMIT showInFolderDone(shown);
    });
}

}  // namespace quillory::app
