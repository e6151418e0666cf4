#include "actions/file_copy.h"

namespace quillory {

FileTransferResult CopyOneFile(const std::string& source, const std::string& target,
                               FileOperations& operations) {
    return CopyFileReplacing(source, target, operations);
}

FileTransferResult MoveOneFile(const std::string& source, const std::string& target,
                               FileOperations& operations) {
    return MoveFileNoReplace(source, target, operations);
}

}  // namespace quillory
