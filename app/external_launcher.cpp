#include "app/external_launcher.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <cstdio>

#include "app/ui_prompts.h"
#include "platform/error.h"
#include "platform/path_status.h"

namespace quillory::app {

namespace {

// The meaning of the opener's exit status, as xdg-open documents it.
QString OpenerStatusReason(const QString& opener, int status) {
    switch (status) {
        case 1:
            return QStringLiteral("%1 did not accept the address.").arg(opener);
        case 2:
            return QStringLiteral("The file does not exist.");
        case 3:
            return QStringLiteral("%1 found no program to open it with (a tool it needs is not installed).")
                .arg(opener);
        case 4:
            return QStringLiteral("%1 found no application that could open it.").arg(opener);
        default:
            return QStringLiteral("%1 ended with status %2.").arg(opener).arg(status);
    }
}

}  // namespace

QString LaunchFailureText(const QString& target, const QString& reason) {
    QString text = QStringLiteral("Could not open \"%1\".").arg(target);
    if (!reason.isEmpty()) text += QStringLiteral("\n\n") + reason;
    return text;
}

LaunchFailureReport ShowLaunchFailures(UiPrompts* prompts, QWidget* window) {
    return [prompts, window = QPointer<QWidget>(window)](const QString& target, const QString& reason) {
        const QString text = LaunchFailureText(target, reason);
        if (!prompts) {
            std::fprintf(stderr, "quillory: %s\n", text.toLocal8Bit().constData());
            return;
        }
        prompts->ShowError(window && window->isVisible() ? window.data() : nullptr, text);
    };
}

QString MissingFileReason(const QByteArray& path) {
    const int error = PathLookupError(path.toStdString());
    return error == 0 ? QString() : QString::fromLocal8Bit(SystemReason(error));
}

DesktopOpener::DesktopOpener(QString program) : program_(std::move(program)) {}

DesktopOpener::~DesktopOpener() {
    for (QProcess* process : processes_.findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect();
        if (process->state() == QProcess::NotRunning) continue;
        // Only the opener ends; a program it started in the foreground lives on.
        process->kill();
        process->waitForFinished(1000);
    }
}

int DesktopOpener::Running() const {
    int running = 0;
    for (const QProcess* process : processes_.findChildren<QProcess*>(Qt::FindDirectChildrenOnly))
        running += process->state() != QProcess::NotRunning;
    return running;
}

void DesktopOpener::Open(const QUrl& url, Failed failed) {
    const QString program = QStandardPaths::findExecutable(program_);
    if (program.isEmpty()) {
        if (!QDesktopServices::openUrl(url))
            failed(
                QStringLiteral("No program to open it with was found (%1 is not installed).").arg(program_));
        return;
    }
    auto* process = new QProcess(&processes_);
    // The opener's output, and that of a program it runs in the foreground, goes where the
    // program's own goes: a pipe nobody reads after the opener ended would break them.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    const QString opener = QFileInfo(program_).fileName();
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failed](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;  // a crash still ends in finished()
                         failed(process->errorString());
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, opener](int status, QProcess::ExitStatus exit) {
                         if (exit == QProcess::CrashExit)
                             failed(QStringLiteral("%1 stopped unexpectedly.").arg(opener));
                         else if (status != 0)
                             failed(OpenerStatusReason(opener, status));
                         process->deleteLater();
                     });
    process->start(program, {QString::fromLatin1(url.toEncoded())});
}

QtExternalLauncher::QtExternalLauncher(UrlOpener open) : open_(std::move(open)) {
    if (!open_) {
        opener_ = std::make_unique<DesktopOpener>();
        open_ = [opener = opener_.get()](const QUrl& url, DesktopOpener::Failed failed) {
            opener->Open(url, std::move(failed));
        };
    }
}

QtExternalLauncher::~QtExternalLauncher() = default;

void QtExternalLauncher::Launch(const QString& target) {
    const QUrl url(target);
    // A single letter before the colon would be a drive, not a scheme.
    if (url.isValid() && url.scheme().size() > 1) {
        Open(url, url.isLocalFile() ? url.toLocalFile() : target);
        return;
    }
    const QFileInfo file(target);
    const QString reason = MissingFileReason(QFile::encodeName(file.absoluteFilePath()));
    if (!reason.isEmpty()) return ReportFailure(target, reason);
    if (file.isFile() && file.isExecutable()) {
        QProcess process;
        process.setProgram(file.absoluteFilePath());
        process.setWorkingDirectory(file.absolutePath());
        if (!process.startDetached()) ReportFailure(target, process.errorString());
        return;
    }
    Open(QUrl::fromLocalFile(file.absoluteFilePath()), target);
}

void QtExternalLauncher::Open(const QUrl& url, const QString& shown) {
    if (url.isLocalFile()) {
        const QString reason = MissingFileReason(QFile::encodeName(url.toLocalFile()));
        if (!reason.isEmpty()) return ReportFailure(shown, reason);
    }
    open_(url, [this, shown](const QString& reason) { ReportFailure(shown, reason); });
}

}  // namespace quillory::app
