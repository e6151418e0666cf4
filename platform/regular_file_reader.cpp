#include "platform/regular_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"

namespace quillory {

namespace {

Error OpenError(const std::string& path, const std::string& reason, int code) {
    return Error("Cannot open file \"" + path + "\". " + reason, code);
}

}  // namespace

RegularFileReader::RegularFileReader(const std::string& path) {
    // O_NONBLOCK: opening a pipe for reading would otherwise wait for a writer.
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) {
        const int code = errno;
        throw OpenError(path, SystemReason(code), code);
    }
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        const int code = errno;
        close(fd_);
        throw OpenError(path, SystemReason(code), code);
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd_);
        if (S_ISDIR(st.st_mode)) throw OpenError(path, SystemReason(EISDIR), EISDIR);
        throw OpenError(path, "Not a regular file", 0);
    }
    // Reads of a regular file never block anyway; clear the flag so they behave as usual.
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    size_ = static_cast<uint64_t>(st.st_size);
}

RegularFileReader::~RegularFileReader() {
    close(fd_);
}

size_t RegularFileReader::Read(char* buffer, size_t n) {
    for (;;) {
        const ssize_t got = read(fd_, buffer, n);
        if (got >= 0) return static_cast<size_t>(got);
        if (errno != EINTR) throw SystemError("Stream read error", errno);
    }
}

}  // namespace quillory
