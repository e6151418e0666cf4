#include "actions/file_copy.h"

namespace quillory {

namespace {

int TransferCode(FileTransferResult result) {
    switch (result) {
        case FileTransferResult::Done:
            return 0;
        case FileTransferResult::CopiedSourceKept:
            return 1;
        case FileTransferResult::Failed:
            break;
    }
    return -1;
}

}  // namespace

int CopyOneFile(const std::string& source, const std::string& target, FileOperations& operations) {
    return TransferCode(CopyFileReplacing(source, target, operations));
}

int MoveOneFile(const std::string& source, const std::string& target, FileOperations& operations) {
    return TransferCode(MoveFileReplacing(source, target, operations));
}

}  // namespace quillory
