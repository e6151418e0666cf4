#include "app/file_drop_data.h"

namespace quillory::app {

FileDropData::FileDropData(std::vector<std::string> files, PreferredEffect effect)
    : files_(std::move(files)), effect_(effect) {}

QStringList FileDropData::formats() const {
    QStringList list;
    for (const std::string_view format : kFileDropFormats) {
        list << QString::fromLatin1(format.data(), static_cast<qsizetype>(format.size()));
    }
    return list;
}

bool FileDropData::hasFormat(const QString& mimeType) const {
    return formats().contains(mimeType);
}

QVariant FileDropData::retrieveData(const QString& mimeType, QMetaType) const {
    // Always bytes: QMimeData turns them into the text or the URLs a caller asked for.
    const std::optional<std::string> block = RenderFileDropFormat(mimeType.toStdString(), files_, effect_);
    if (!block) return {};
    ++renders_;
    return QByteArray(block->data(), static_cast<qsizetype>(block->size()));
}

}  // namespace quillory::app
