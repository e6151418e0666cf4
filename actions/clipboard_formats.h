#pragma once
// The bytes of the formats by which files travel to other programs, on the clipboard ("Copy
// files") or in a drag: a file-drop list, the preferred effect in the two desktops' forms,
// and the paths as text. Paths are byte strings and go out byte for byte: a name that is not
// valid UTF-8 is percent-encoded in the URIs, never converted.

#include <string>
#include <string_view>
#include <vector>

namespace quillory {

// What a paste or a drop should do with the files: copy them, or move them (cut).
enum class FileTransferEffect { Copy, Cut };

// "file://" + the absolute path, every byte other than an unreserved character (letters,
// digits, "-", ".", "_", "~") and "/" written as "%" and two upper-case hex digits.
std::string FileUri(std::string_view path);

// text/uri-list: each file's URI followed by CR LF, as the format requires.
std::string UriListBytes(const std::vector<std::string>& paths);

// x-special/gnome-copied-files: "copy" or "cut", a line feed, then the URIs joined by line
// feeds, with no line feed after the last.
std::string GnomeCopiedFilesBytes(const std::vector<std::string>& paths, FileTransferEffect effect);

// application/x-kde-cutselection: "1" for a cut, "0" for a copy.
std::string KdeCutSelectionBytes(FileTransferEffect effect);

// text/plain: the paths themselves joined by line feeds, with no line feed after the last.
std::string PlainPathsBytes(const std::vector<std::string>& paths);

}  // namespace quillory
