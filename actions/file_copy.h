#pragma once
// Copying and moving one file, as the transfer of selected results counts them. The work is
// done by the platform's CopyFileReplacing and MoveFileReplacing (platform/file_transfer.h),
// which say what happened by name; these keep the transfer loop's numbers.

#include <string>

#include "actions/file_operations.h"
#include "platform/file_transfer.h"

namespace quillory {

// CopyFileReplacing: 0 when copied, -1 on failure (nothing changed).
int CopyOneFile(const std::string& source, const std::string& target,
                FileOperations& operations = SystemFileOperations());

// MoveFileReplacing: 0 when moved, 1 when copied but the source could not be deleted, -1 on
// failure (nothing changed).
int MoveOneFile(const std::string& source, const std::string& target,
                FileOperations& operations = SystemFileOperations());

}  // namespace quillory
