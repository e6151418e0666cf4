#pragma once
// Copying and moving one file.

#include <string>

#include "platform/file_operations.h"

namespace quillory {

enum class FileTransferResult {
    Done,              // copied, or moved
    CopiedSourceKept,  // a move that copied the file but could not delete the source
    Failed,            // nothing changed
};

// Copies the file `source` to `target`, replacing an existing target file without asking.
// The copy gets the source's content, permission bits (plus the owner's write bit, so a copy
// of a read-only file is writable) and times. The source is never changed. The copy is made
// under a temporary name beside the target and renamed into place, so a copy that fails
// part-way leaves the target as it was. Copying a file onto itself, a folder or anything
// that is not a regular file fails (a pipe is never opened, so nothing blocks).
FileTransferResult CopyFileReplacing(const std::string& source, const std::string& target,
                                     FileOperations& operations = SystemFileOperations());

// Moves `source` to `target`, never replacing an existing target: that move fails and leaves
// both files as they were. Within one file system the move is a rename (a folder too). Where
// the rename is refused otherwise (another file system), a regular file is copied to a new
// file of the target's name (with permission bits and times as CopyFileReplacing gives
// them), the copy is flushed to the disk, and only then is the source deleted; a copy that
// fails part-way is removed again and the source kept.
FileTransferResult MoveFileNoReplace(const std::string& source, const std::string& target,
                                     FileOperations& operations = SystemFileOperations());

}  // namespace quillory
