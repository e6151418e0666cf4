#include "app/config_paths.h"

#include <QDir>
#include <QFileInfo>

namespace quillory::app {

QString ConfigHome() {
    // The base-directory rules ignore a relative XDG_CONFIG_HOME.
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QFileInfo(xdg).isAbsolute()) return QDir::cleanPath(xdg);
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) home = QDir::homePath();
    return QDir::cleanPath(home + QStringLiteral("/.config"));
}

}  // namespace quillory::app
