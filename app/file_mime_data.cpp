#include "app/file_mime_data.h"

#include "app/file_drop_data.h"

namespace quillory::app {

std::unique_ptr<QMimeData> MakeFileMimeData(const std::vector<std::string>& paths, PreferredEffect effect) {
    return std::make_unique<FileDropData>(paths, effect);
}

std::unique_ptr<QMimeData> MakeTextMimeData(const std::string& text) {
    auto data = std::make_unique<QMimeData>();
    data->setData(
        QString::fromLatin1(kPlainTextFormat.data(), static_cast<qsizetype>(kPlainTextFormat.size())),
        QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    return data;
}

}  // namespace quillory::app
