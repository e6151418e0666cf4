#include "app/icon_table.h"

#include <QApplication>
#include <QStyle>

namespace quillory::app {

namespace {

QIcon StyleIcon(QStyle::StandardPixmap which) {
    QStyle* style = QApplication::style();
    return style ? style->standardIcon(which) : QIcon();
}

}  // namespace

DesktopIconTable::DesktopIconTable() {
    icons_.push_back(StyleIcon(QStyle::SP_FileIcon));
}

int32_t DesktopIconTable::SystemIconIndex(const std::string& path, bool folder) {
    const QMimeType type =
        folder ? mimes_.mimeTypeForName(QStringLiteral("inode/directory"))
               : mimes_.mimeTypeForFile(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())),
                                        QMimeDatabase::MatchExtension);
    const QString key = type.isValid() ? type.name() : QStringLiteral("application/octet-stream");
    if (const auto known = byMimeType_.constFind(key); known != byMimeType_.cend()) return *known;

    QIcon icon;
    if (type.isValid()) {
        icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull() && folder) icon = QIcon::fromTheme(QStringLiteral("folder"));
    if (icon.isNull()) icon = StyleIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    const auto index = static_cast<int32_t>(icons_.size());
    icons_.push_back(icon);
    byMimeType_.insert(key, index);
    return index;
}

QIcon DesktopIconTable::Icon(int32_t index) const {
    if (index < 0 || index >= Count()) return icons_.front();
    return icons_[static_cast<size_t>(index)];
}

}  // namespace quillory::app
