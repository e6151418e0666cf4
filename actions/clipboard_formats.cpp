#include "actions/clipboard_formats.h"

namespace quillory {

namespace {

bool KeptAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

std::string JoinedUris(const std::vector<std::string>& paths, std::string_view separator, bool afterLast) {
    std::string out;
    for (size_t i = 0; i < paths.size(); ++i) {
        out += FileUri(paths[i]);
        if (afterLast || i + 1 < paths.size()) out += separator;
    }
    return out;
}

}  // namespace

std::string FileUri(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + path.size());
    for (const char byte : path) {
        const auto c = static_cast<unsigned char>(byte);
        if (KeptAsIs(c)) {
            uri.push_back(byte);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 0xF]);
        }
    }
    return uri;
}

std::string UriListBytes(const std::vector<std::string>& paths) {
    return JoinedUris(paths, "\r\n", true);
}

std::string GnomeCopiedFilesBytes(const std::vector<std::string>& paths, FileTransferEffect effect) {
    std::string out = effect == FileTransferEffect::Cut ? "cut\n" : "copy\n";
    return out + JoinedUris(paths, "\n", false);
}

std::string KdeCutSelectionBytes(FileTransferEffect effect) {
    return effect == FileTransferEffect::Cut ? "1" : "0";
}

std::string PlainPathsBytes(const std::vector<std::string>& paths) {
    std::string out;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) out += '\n';
        out += paths[i];
    }
    return out;
}

}  // namespace quillory
