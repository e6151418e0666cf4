#include "actions/file_mime_data_qt.h"

namespace quillory {

namespace {

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::unique_ptr<QMimeData> MakeFileMimeData(const std::vector<std::string>& paths,
                                            FileTransferEffect effect) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kUriListMime), Bytes(UriListBytes(paths)));
    data->setData(QString::fromLatin1(kGnomeCopiedFilesMime), Bytes(GnomeCopiedFilesBytes(paths, effect)));
    data->setData(QString::fromLatin1(kKdeCutSelectionMime), Bytes(KdeCutSelectionBytes(effect)));
    data->setData(QString::fromLatin1(kPlainTextMime), Bytes(PlainPathsBytes(paths)));
    return data;
}

std::unique_ptr<QMimeData> MakeTextMimeData(const std::string& text) {
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kPlainTextMime), Bytes(text));
    return data;
}

}  // namespace quillory
