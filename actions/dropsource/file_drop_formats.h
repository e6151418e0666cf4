#pragma once
// The data blocks the program's file source offers to a drop target or the clipboard, as
// bytes. The desktop's data object renders them on demand from these rules; nothing here
// knows the toolkit. Paths are byte strings and go into the blocks byte for byte (a URI
// escapes every byte outside the unreserved set), so a name that is not valid UTF-8
// survives a drag.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// The effect the source prefers: a drag and "Copy files" offer copies; a cut offers a move.
enum class PreferredEffect { Copy, Cut };

inline constexpr std::string_view kUriListFormat = "text/uri-list";
inline constexpr std::string_view kGnomeCopiedFilesFormat = "x-special/gnome-copied-files";
inline constexpr std::string_view kKdeCutSelectionFormat = "application/x-kde-cutselection";
inline constexpr std::string_view kPlainTextFormat = "text/plain";

// Every format the file source offers, in the fixed order in which it lists them.
inline constexpr std::array<std::string_view, 4> kFileDropFormats = {
    kUriListFormat, kGnomeCopiedFilesFormat, kKdeCutSelectionFormat, kPlainTextFormat};

// "file://" followed by the path with every byte except letters, digits, "-", ".", "_",
// "~" and "/" written as "%" and two upper-case hex digits.
std::string FileUri(std::string_view path);

// text/uri-list: each file's URI followed by CR LF (the line end of that format).
std::string UriListBlock(const std::vector<std::string>& paths);
// x-special/gnome-copied-files: "copy" or "cut", a line feed, then the URIs joined by line
// feeds with no line feed after the last.
std::string GnomeCopiedFilesBlock(const std::vector<std::string>& paths, PreferredEffect effect);
// application/x-kde-cutselection: "1" for a cut, "0" for a copy.
std::string KdeCutSelectionBlock(PreferredEffect effect);
// text/plain: the paths joined by line feeds, none after the last.
std::string PlainPathsBlock(const std::vector<std::string>& paths);

// The block of `format` for `paths`; none for a format that is not offered and for an empty
// file list (there is nothing to drop).
std::optional<std::string> RenderFileDropFormat(std::string_view format,
                                                const std::vector<std::string>& paths,
                                                PreferredEffect effect);

}  // namespace quillory
