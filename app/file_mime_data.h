#pragma once
// The data objects by which files and texts leave the program on the clipboard. Files travel
// in the same data object as a drag (every format of file_drop_formats.h, rendered when a
// paste asks for it), so each desktop's file manager and plain text editors find their own.

#include <QMimeData>
#include <memory>
#include <string>
#include <vector>

#include "actions/dropsource/file_drop_formats.h"

namespace quillory::app {

// text/uri-list, x-special/gnome-copied-files, application/x-kde-cutselection and text/plain
// for `paths`, in that order.
std::unique_ptr<QMimeData> MakeFileMimeData(const std::vector<std::string>& paths, PreferredEffect effect);

// `text` alone as text/plain, byte for byte.
std::unique_ptr<QMimeData> MakeTextMimeData(const std::string& text);

}  // namespace quillory::app
