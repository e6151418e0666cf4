#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

#include "platform/error.h"

namespace quillory {

namespace {

std::string CreateError(const std::string& path, int code) {
    return "Cannot create file \"" + path + "\". " + SystemReason(code);
}

// A link is replaced through what it points to, so the link itself survives the save.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* real = realpath(path.c_str(), nullptr)) {
            std::string resolved = real;
            std::free(real);
            return resolved;
        }
    }
    return path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path) : target_(ResolveTarget(path)) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath_ = folder + "." + base + ".tmp-" + std::to_string(getpid()) + "-" +
                    std::to_string(counter++) + "-" + std::to_string(random() % 100000);
        fd_ = open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) break;
        if (errno != EEXIST) throw Error(CreateError(path, errno));
    }
    if (fd_ < 0) throw Error(CreateError(path, EEXIST));
    struct stat st {};
    if (stat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) fchmod(fd_, st.st_mode & 07777);
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
        const ssize_t n = write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error("Stream write error");
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void AtomicFileWriter::Commit() {
    if (fd_ < 0) throw Error("Stream write error");
    if (fsync(fd_) != 0) throw Error("Stream write error");
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0 && errno != EINTR) throw Error("Stream write error");
    if (rename(tempPath_.c_str(), target_.c_str()) != 0) throw Error(CreateError(target_, errno));
    tempPath_.clear();
    // Make the rename itself durable; a failure here loses nothing already on disk.
    const int dir = open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

}  // namespace quillory
