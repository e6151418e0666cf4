#include "app/external_launcher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace quillory::app {

void QtExternalLauncher::Launch(const QString& target) {
    const QUrl url(target);
    // A single letter before the colon would be a drive, not a scheme.
    if (url.isValid() && url.scheme().size() > 1) {
        QDesktopServices::openUrl(url);
        return;
    }
    const QFileInfo file(target);
    if (file.isFile() && file.isExecutable()) {
        QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}

}  // namespace quillory::app
