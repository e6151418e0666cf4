#include "platform/shared_memory_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace quillory {

namespace {

constexpr size_t kFirstCapacity = size_t{1} << 20;

}  // namespace

SharedMemoryFile::SharedMemoryFile()
    : fd_(::memfd_create("quillory-answer", MFD_CLOEXEC | MFD_ALLOW_SEALING)) {
    if (fd_ < 0) return;
    // Sealed before anyone else can reach it: from here on no descriptor of it can shorten it.
    if (::fchmod(fd_, 0600) != 0 || ::fcntl(fd_, F_ADD_SEALS, F_SEAL_SHRINK) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

SharedMemoryFile::~SharedMemoryFile() {
    if (map_ != nullptr) ::munmap(map_, capacity_);
    if (fd_ >= 0) ::close(fd_);
}

bool SharedMemoryFile::Reserve(size_t bytes) {
    if (bytes <= capacity_) return true;
    if (!Valid()) return false;
    size_t capacity = std::max(kFirstCapacity, capacity_);
    while (capacity < bytes) {
        if (capacity > SIZE_MAX / 2) return false;
        capacity *= 2;
    }
    if (handedOut_) return MoveToNewFile(capacity);
    // The memory is taken now, all at once: writing to the file later never finds it missing
    // (which would end the process), and costs no page allocation per page.
    if (::fallocate(fd_, 0, 0, static_cast<off_t>(capacity)) != 0) return false;
    void* map = map_ == nullptr
                    ? ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd_, 0)
                    : ::mremap(map_, capacity_, capacity, MREMAP_MAYMOVE);
    // The file stays longer than the mapping (it cannot shrink): the mapping still covers
    // every byte written.
    if (map == MAP_FAILED) return false;
    // Only this mapping writes from now on, even through a descriptor opened for writing.
    // Kernels before 5.1 know no such seal: the file then still never shrinks.
    if (map_ == nullptr) (void)::fcntl(fd_, F_ADD_SEALS, F_SEAL_FUTURE_WRITE);
    map_ = static_cast<char*>(map);
    capacity_ = capacity;
    return true;
}

bool SharedMemoryFile::MoveToNewFile(size_t capacity) {
    SharedMemoryFile larger;
    if (!larger.Reserve(capacity)) return false;
    if (size_ > 0) std::memcpy(larger.map_, map_, size_);
    std::swap(fd_, larger.fd_);
    std::swap(map_, larger.map_);
    std::swap(capacity_, larger.capacity_);
    std::swap(handedOut_, larger.handedOut_);
    // `larger` now holds the old file and lets go of it; its readers keep their own references.
    return true;
}

bool SharedMemoryFile::Append(std::string_view bytes) {
    if (bytes.size() > SIZE_MAX - size_ || !Reserve(size_ + bytes.size())) return false;
    std::memcpy(map_ + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
    return true;
}

std::string_view SharedMemoryFile::Bytes() const {
    return map_ == nullptr ? std::string_view() : std::string_view(map_, size_);
}

int SharedMemoryFile::OpenReadOnly() {
    if (!Valid()) return -1;
    if (!handedOut_) {
        if (::fcntl(fd_, F_ADD_SEALS, F_SEAL_GROW) != 0) return -1;
        handedOut_ = true;
    }
    // Opening the file anew, not duplicating the descriptor: a duplicate would share the
    // write access of this one.
    const std::string path = "/proc/self/fd/" + std::to_string(fd_);
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

ReadOnlyMapping::ReadOnlyMapping(int fd, uint64_t size) {
    struct stat info {};
    if (size == 0 || size > SIZE_MAX || ::fstat(fd, &info) != 0 || info.st_size < 0 ||
        static_cast<uint64_t>(info.st_size) < size) {
        return;
    }
    void* map = ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) return;
    data_ = static_cast<const char*>(map);
    size_ = static_cast<size_t>(size);
}

ReadOnlyMapping::~ReadOnlyMapping() {
    if (data_ != nullptr) ::munmap(const_cast<char*>(data_), size_);
}

}  // namespace quillory
