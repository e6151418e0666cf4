#pragma once
// Copying and moving one file.

#include <string>

#include "actions/file_operations.h"

namespace quillory {

// Copies the file `source` to `target`, replacing an existing target file without asking.
// The copy gets the source's content, permission bits (plus the owner's write bit, so a copy
// of a read-only file is writable) and times. The source is never changed. The copy is made
// under a temporary name beside the target and renamed into place, so a copy that fails
// part-way leaves the target as it was. Copying a file onto itself, a folder or anything
// that is not a regular file fails. Returns 0 on success, -1 on failure.
int CopyOneFile(const std::string& source, const std::string& target,
                FileOperations& operations = SystemFileOperations());

// Moves `source` to `target`: a rename that never replaces; when the rename is refused (an
// existing target, another file system) the file is copied, replacing the target, and the
// source deleted. Returns 0 when moved, 1 when copied but the source could not be deleted,
// -1 on failure (nothing changed).
int MoveOneFile(const std::string& source, const std::string& target,
                FileOperations& operations = SystemFileOperations());

}  // namespace quillory
