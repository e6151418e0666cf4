#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <random>

#include "platform/error.h"
#include "platform/link_target.h"

namespace quillory {

namespace {

constexpr std::string_view kTempMarker = ".tmp-";

// Bytes handed to the system per write. The file cache takes its pages in groups the size of
// the write: a write of megabytes asks for large free blocks, which are the ones a virtual
// machine's host takes back while they lie free, so each of their pages then costs a fault on
// first touch (about 100 ms for a 69 MB database). Groups of 64 KiB come from memory in recent
// use, and the thousand writes of such a file cost under a millisecond more.
constexpr size_t kLargestWrite = size_t{64} << 10;

Error CreateError(const std::string& path, int code) {
    return Error("Cannot create file \"" + path + "\". " + SystemReason(code), code);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Removes ".<base>.tmp-<pid>-..." files in `folder` whose process no longer runs: what a
// save killed part-way left. A temporary file of a running writer is never touched.
void RemoveAbandonedTemporaries(const std::string& folder, const std::string& base) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    const std::string prefix = "." + base + std::string(kTempMarker);
    while (const dirent* item = readdir(dir)) {
        const std::string_view name = item->d_name;
        if (!name.starts_with(prefix)) continue;
        const std::string_view rest = name.substr(prefix.size());
        long pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (ec != std::errc() || end == rest.data() || *end != '-' || pid <= 0) continue;
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(dir), item->d_name, 0);
    }
    closedir(dir);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, SpecialTarget special) {
    // Asked through the name as given: a link such as /dev/stdout may lead to a pipe that has
    // no name to resolve.
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode)) throw CreateError(path, EISDIR);
        if (special == SpecialTarget::Refuse) {
            throw Error("Cannot create file \"" + path + "\". Not a regular file");
        }
        // Opened through the name as given: /dev/stdout must reach this process's output.
        fd_ = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) throw CreateError(path, errno);
        direct_ = true;
        return;
    }

    target_ = FinalLinkTarget(path);
    const std::string folder = FolderOf(target_);
    const std::string base = BaseOf(target_);
    RemoveAbandonedTemporaries(folder, base);
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const std::string prefix = (target_.find('/') == std::string::npos ? "" : folder + "/") + "." + base +
                               std::string(kTempMarker) + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath_ = prefix + std::to_string(counter++) + "-" + std::to_string(random() % 100000);
        // Owner only from the first moment; widened below to the replaced file's mode at most.
        fd_ = open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd_ >= 0) break;
        if (errno != EEXIST) {
            const int code = errno;
            tempPath_.clear();
            throw CreateError(path, code);
        }
    }
    if (fd_ < 0) {
        tempPath_.clear();
        throw CreateError(path, EEXIST);
    }
    if (exists && fchmod(fd_, existing.st_mode & 07777) != 0) {
        const int code = errno;
        Discard();
        throw CreateError(path, code);
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() noexcept {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0) throw Error("Stream write error");
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd_, p, std::min(left, kLargestWrite));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SystemError("Stream write error", errno);
        if (n == 0) throw SystemError("Stream write error", ENOSPC);
        p += n;
        left -= static_cast<size_t>(n);
        written_ += n;
    }
}

void AtomicFileWriter::StartWriteback() noexcept {
    if (fd_ < 0 || direct_ || written_ == writtenBack_) return;
    sync_file_range(fd_, writtenBack_, written_ - writtenBack_, SYNC_FILE_RANGE_WRITE);
    writtenBack_ = written_;
}

void AtomicFileWriter::Commit() {
    if (fd_ < 0) throw Error("Stream write error");
    if (direct_) {
        const int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0 && errno != EINTR) throw SystemError("Stream write error", errno);
        return;
    }
    if (fsync(fd_) != 0) throw SystemError("Stream write error", errno);
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 && errno != EINTR) throw SystemError("Stream write error", errno);
    if (rename(tempPath_.c_str(), target_.c_str()) != 0) throw CreateError(target_, errno);
    tempPath_.clear();
    // Make the rename itself durable; a failure here loses nothing already on disk.
    const int dir = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

}  // namespace quillory
