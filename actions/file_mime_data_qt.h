#pragma once
// The data object by which files leave the program, on the clipboard or in a drag: one
// QMimeData with every format of clipboard_formats.h, so that each desktop's file manager
// and plain text editors all find their own.

#include <QMimeData>
#include <memory>
#include <string>
#include <vector>

#include "actions/clipboard_formats.h"

namespace quillory {

inline constexpr char kUriListMime[] = "text/uri-list";
inline constexpr char kGnomeCopiedFilesMime[] = "x-special/gnome-copied-files";
inline constexpr char kKdeCutSelectionMime[] = "application/x-kde-cutselection";
inline constexpr char kPlainTextMime[] = "text/plain";

// text/uri-list, x-special/gnome-copied-files, application/x-kde-cutselection and text/plain
// for `paths`, in that order.
std::unique_ptr<QMimeData> MakeFileMimeData(const std::vector<std::string>& paths, FileTransferEffect effect);

// `text` alone as text/plain, byte for byte.
std::unique_ptr<QMimeData> MakeTextMimeData(const std::string& text);

}  // namespace quillory
