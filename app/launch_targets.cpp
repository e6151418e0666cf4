#include "app/launch_targets.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace quillory::app {

QString MakerPage(const QString& page) {
    return QString::fromLatin1(kMakerAddress) + page;
}

QString HelpFolder(const QString& executableFolder) {
    const QString beside = QDir::cleanPath(executableFolder + QStringLiteral("/help"));
    const QString installed = QDir::cleanPath(executableFolder + QStringLiteral("/../share/quillory/help"));
    if (!QFileInfo(beside).isDir() && QFileInfo(installed).isDir()) return installed;
    return beside;
}

QString HelpTopicAddress(const QString& helpFolder, const QString& topic) {
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    const QString page = hash < 0 ? topic : topic.left(hash);
    QUrl url = QUrl::fromLocalFile(helpFolder + QLatin1Char('/') + page);
    if (hash >= 0) url.setFragment(topic.mid(hash + 1));
    return url.toString(QUrl::FullyEncoded);
}

}  // namespace quillory::app
