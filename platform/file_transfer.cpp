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

// Opens the regular file `source` for reading; -1 for anything else. O_NONBLOCK: a source
// swapped for a pipe since the caller's check must not block the open.
int OpenRegularFile(const std::string& source, struct stat& opened) {
    const int fd = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return -1;
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Gives `out` the content of `in` and the permission bits and times `opened` describes.
bool WriteCopy(int in, int out, const struct stat& opened, FileOperations& operations) {
    if (operations.CopyContent(in, out) != 0) return false;
    // The permission bits of the source, and always the owner's write bit: the copy of a
    // read-only file is writable, while the source keeps its bits.
    if (fchmod(out, (opened.st_mode & 0777) | S_IWUSR) != 0) return false;
    const struct timespec times[2] = {opened.st_atim, opened.st_mtim};
    futimens(out, times);  // the times are a courtesy; a copy without them is still a copy
    return true;
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

    struct stat opened {};
    ScopedFd in(OpenRegularFile(source, opened));
    if (in.Get() < 0) return kFailed;
    std::string temporary;
    ScopedFd out(CreateTemporary(FolderOf(target), temporary));
    if (out.Get() < 0) return kFailed;
    const auto fail = [&] {
        unlink(temporary.c_str());
        return kFailed;
    };
    if (!WriteCopy(in.Get(), out.Get(), opened, operations)) return fail();
    if (!out.Close()) return fail();
    if (operations.Rename(temporary, target) != 0) return fail();
    return FileTransferResult::Done;
}

FileTransferResult MoveFileNoReplace(const std::string& source, const std::string& target,
                                     FileOperations& operations) {
    constexpr FileTransferResult kFailed = FileTransferResult::Failed;
    const int refused = operations.RenameNoReplace(source, target);
    if (refused == 0) return FileTransferResult::Done;
    // The target exists (the source itself included): it is someone's file, never replaced.
    if (refused == EEXIST || refused == ENOTEMPTY) return kFailed;
    FileStatus status;
    if (operations.Stat(source, status) != 0 || !status.regular) return kFailed;

    struct stat opened {};
    ScopedFd in(OpenRegularFile(source, opened));
    if (in.Get() < 0) return kFailed;
    // O_EXCL: a target that exists, or appears after the rename was refused, is never
    // replaced. The file made here is the only one the failure path removes.
    ScopedFd out(open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
    if (out.Get() < 0) return kFailed;
    const auto fail = [&] {
        unlink(target.c_str());
        return kFailed;
    };
    // The source is deleted only once its copy is on the disk: a crash or power cut after the
    // delete must not find the copy still in memory alone.
    if (!WriteCopy(in.Get(), out.Get(), opened, operations)) return fail();
    if (operations.Sync(out.Get()) != 0) return fail();
    if (!out.Close()) return fail();
    // The new name's entry too, where the file system can flush a folder.
    const std::string folderPath = FolderOf(target);
    ScopedFd folder(open(folderPath.empty() ? "." : folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) fsync(folder.Get());
    return operations.Unlink(source) == 0 ? FileTransferResult::Done : FileTransferResult::CopiedSourceKept;
}

}  // namespace quillory
