#include "platform/file_transfer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/scoped_fd.h"

namespace quillory {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Creates an empty temporary file in `folder`; returns its descriptor and fills `path`.
int CreateTemporary(const std::string& folder, std::string& path) {
    std::string pattern = folder + ".quillory-copy-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkostemp(buffer.data(), O_CLOEXEC);
    if (fd >= 0) path.assign(buffer.data());
    return fd;
}

}  // namespace

FileTransferResult CopyFileReplacing(const std::string& source, const std::string& target,
                                     FileOperations& operations) {
    constexpr FileTransferResult kFailed = FileTransferResult::Failed;
    FileStatus status;
    if (operations.Stat(source, status) != 0) return kFailed;
    if (!status.regular) return kFailed;
    // A copy onto the file itself would replace the source: refuse it as the system does.
    FileStatus existing;
    if (operations.Stat(target, existing) == 0 && existing.device == status.device &&
        existing.inode == status.inode) {
        return kFailed;
    }

    // O_NONBLOCK: a source swapped for a pipe since the check must not block the open.
    ScopedFd in(open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (in.Get() < 0) return kFailed;
    struct stat opened {};
    if (fstat(in.Get(), &opened) != 0 || !S_ISREG(opened.st_mode)) return kFailed;
    fcntl(in.Get(), F_SETFL, fcntl(in.Get(), F_GETFL) & ~O_NONBLOCK);

    std::string temporary;
    ScopedFd out(CreateTemporary(FolderOf(target), temporary));
    if (out.Get() < 0) return kFailed;
    const auto fail = [&] {
        unlink(temporary.c_str());
        return kFailed;
    };
    if (operations.CopyContent(in.Get(), out.Get()) != 0) return fail();
    // The permission bits of the source, and always the owner's write bit: the copy of a
    // read-only file is writable, while the source keeps its bits.
    if (fchmod(out.Get(), (opened.st_mode & 0777) | S_IWUSR) != 0) return fail();
    const struct timespec times[2] = {opened.st_atim, opened.st_mtim};
    futimens(out.Get(), times);  // the times are a courtesy; a copy without them is still a copy
    if (!out.Close()) return fail();
    if (operations.Rename(temporary, target) != 0) return fail();
    return FileTransferResult::Done;
}

FileTransferResult MoveFileReplacing(const std::string& source, const std::string& target,
                                     FileOperations& operations) {
    if (operations.RenameNoReplace(source, target) == 0) return FileTransferResult::Done;
    FileStatus status;
    if (operations.Stat(source, status) != 0) return FileTransferResult::Failed;
    if (CopyFileReplacing(source, target, operations) != FileTransferResult::Done) {
        return FileTransferResult::Failed;
    }
    return operations.Unlink(source) == 0 ? FileTransferResult::Done : FileTransferResult::CopiedSourceKept;
}

}  // namespace quillory
