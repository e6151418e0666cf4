#pragma once
// Copying and moving one file, as the transfer of selected results and the end of the
// program use them. The work is done by the platform's CopyFileReplacing and
// MoveFileNoReplace (platform/file_transfer.h); the result says what happened by name.

#include <string>

#include "actions/file_operations.h"
#include "platform/file_transfer.h"

namespace quillory {

// Done when copied; Failed (nothing changed) otherwise.
FileTransferResult CopyOneFile(const std::string& source, const std::string& target,
                               FileOperations& operations = SystemFileOperations());

// Done when moved; CopiedSourceKept when the file was copied but the source could not be
// deleted; Failed (nothing changed) otherwise, and always when `target` exists: a move
// never replaces a file.
FileTransferResult MoveOneFile(const std::string& source, const std::string& target,
                               FileOperations& operations = SystemFileOperations());

}  // namespace quillory
