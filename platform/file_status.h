#pragma once
// What the system says about one file, read without following a symbolic link and without
// triggering an automount, and its permission bits as `ls -l` writes them.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/directory_listing.h"

namespace quillory {

struct FileStatusDetails {
    uint32_t mode = 0;  // type and permission bits
    bool folder = false;
    uint64_t size = 0;
    FileTime modified;
    FileTime accessed;
    FileTime created;  // the birth time, or the modification time where none is kept
};

// Nothing when the file does not exist (or cannot be examined).
std::optional<FileStatusDetails> ReadFileStatus(const std::string& path);

// The type letter and the nine permission letters as `ls -l` writes them, then the octal
// mode in parentheses: "drwxr-x--- (750)", "-rwsr-xr-x (4755)".
std::string PermissionsText(uint32_t mode);

}  // namespace quillory
