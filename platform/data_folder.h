#pragma once
// The per-user application-data folder: $XDG_DATA_HOME, or ~/.local/share when that is unset
// or not absolute. It is worked out anew on every call, never cached.

#include <string>

namespace quillory {

// The application-data folder without a trailing "/". Throws Error when neither
// XDG_DATA_HOME nor a home folder can be found, so no file name ever starts at "/quillory/".
std::string ApplicationDataFolder();

// Creates `path` and every missing parent (mode 0700 for the folders it makes). Throws Error
// with the system's reason when a folder cannot be made.
void CreateFolderTree(const std::string& path);

}  // namespace quillory
