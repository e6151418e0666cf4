#include "actions/dropsource/file_drop_formats.h"

namespace quillory {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

std::string JoinUris(const std::vector<std::string>& paths, std::string_view separator, bool afterLast) {
    std::string block;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) block.append(separator);
        block.append(FileUri(paths[i]));
    }
    if (afterLast && !paths.empty()) block.append(separator);
    return block;
}

}  // namespace

std::string FileUri(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file://";
    uri.reserve(uri.size() + path.size());
    for (const char byte : path) {
        const auto c = static_cast<unsigned char>(byte);
        if (Unreserved(c)) {
            uri.push_back(byte);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[c >> 4]);
            uri.push_back(kHex[c & 0xF]);
        }
    }
    return uri;
}

std::string UriListBlock(const std::vector<std::string>& paths) {
    return JoinUris(paths, "\r\n", true);
}

std::string GnomeCopiedFilesBlock(const std::vector<std::string>& paths, PreferredEffect effect) {
    std::string block = effect == PreferredEffect::Cut ? "cut\n" : "copy\n";
    block.append(JoinUris(paths, "\n", false));
    return block;
}

std::string KdeCutSelectionBlock(PreferredEffect effect) {
    return effect == PreferredEffect::Cut ? "1" : "0";
}

std::string PlainPathsBlock(const std::vector<std::string>& paths) {
    std::string block;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i > 0) block.push_back('\n');
        block.append(paths[i]);
    }
    return block;
}

std::optional<std::string> RenderFileDropFormat(std::string_view format,
                                                const std::vector<std::string>& paths,
                                                PreferredEffect effect) {
    if (paths.empty()) return std::nullopt;
    if (format == kUriListFormat) return UriListBlock(paths);
    if (format == kGnomeCopiedFilesFormat) return GnomeCopiedFilesBlock(paths, effect);
    if (format == kKdeCutSelectionFormat) return KdeCutSelectionBlock(effect);
    if (format == kPlainTextFormat) return PlainPathsBlock(paths);
    return std::nullopt;
}

}  // namespace quillory
