#include "platform/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/file_attributes.h"

namespace quillory {

namespace {

constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;
// Never follow a link, never trigger an automount: the listing reports what is there.
constexpr int kStatxFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT;
// getdents64 fills this many bytes per call; large enough for a few hundred names.
constexpr size_t kDirentBufferSize = 32 * 1024;

FileTime ToFileTime(const struct statx_timestamp& t) {
    return {t.tv_sec, t.tv_nsec};
}

bool IsSystemType(unsigned mode) {
    return S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode);
}

// The bits that do not depend on the file type.
uint32_t CommonBits(std::string_view name, uint32_t bits) {
    if (!name.empty() && name[0] == '.') bits |= kAttrHidden;
    return bits;
}

// The attribute bits of an item whose statx failed: what the directory entry's type says.
uint32_t BitsFromDirentType(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return kAttrDirectory;
        case DT_LNK:
            return kAttrReparsePoint;
        case DT_CHR:
        case DT_BLK:
        case DT_FIFO:
        case DT_SOCK:
            return kAttrSystem;
        default:
            return 0;
    }
}

// The directory-read buffer of a listing that ended waits here for the next listing of the
// same thread: a walk reads tens of thousands of folders, mostly one after the other, and
// need not allocate and free a buffer for each.
thread_local std::unique_ptr<char[]> t_spareBuffer;

std::unique_ptr<char[]> TakeBuffer() {
    if (t_spareBuffer) return std::move(t_spareBuffer);
    return std::unique_ptr<char[]>(new char[kDirentBufferSize]);
}

void GiveBackBuffer(std::unique_ptr<char[]> buffer) {
    if (buffer && !t_spareBuffer) t_spareBuffer = std::move(buffer);
}

class SystemFolderListing final : public FolderListing {
  public:
    explicit SystemFolderListing(int fd, NameFilter wanted = {}) : fd_(fd), wanted_(std::move(wanted)) {}
    ~SystemFolderListing() override {
        GiveBackBuffer(std::move(buffer_));
        close(fd_);
    }
    SystemFolderListing(const SystemFolderListing&) = delete;
    SystemFolderListing& operator=(const SystemFolderListing&) = delete;

    bool Next(ListedItem& item) override {
        for (;;) {
            if (pos_ >= filled_ && !Refill()) return false;
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer_.get() + pos_);
            pos_ += entry->d_reclen;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            if (wanted_ && !wanted_(std::string_view(name))) continue;
            if (Describe(name, entry->d_type, item)) return true;
        }
    }

    std::unique_ptr<FolderListing> OpenChild(std::string_view name) override {
        const int fd = OpenChildFolder(name);
        if (fd < 0) return nullptr;
        return std::make_unique<SystemFolderListing>(fd);
    }

    std::shared_ptr<FolderListing> OpenSharedChild(std::string_view name) override {
        const int fd = OpenChildFolder(name);
        if (fd < 0) return nullptr;
        return std::make_shared<SystemFolderListing>(fd);
    }

  private:
    // The descriptor of the subfolder `name`, or -1.
    int OpenChildFolder(std::string_view name) const {
        // A name the system listed fits its limit; copied to the stack for its final NUL.
        char cname[NAME_MAX + 1];
        if (name.size() > NAME_MAX || name.find('\0') != std::string_view::npos) return -1;
        std::memcpy(cname, name.data(), name.size());
        cname[name.size()] = '\0';
        // O_NOFOLLOW: a folder replaced by a link since it was listed is not followed.
        return openat(fd_, cname, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }

    bool Refill() {
        if (ended_) return false;
        if (!buffer_) buffer_ = TakeBuffer();
        const ssize_t n = getdents64(fd_, buffer_.get(), kDirentBufferSize);
        // An error part-way counts as the end of the listing.
        if (n <= 0) {
            ended_ = true;
            GiveBackBuffer(std::move(buffer_));
            return false;
        }
        filled_ = static_cast<size_t>(n);
        pos_ = 0;
        return true;
    }

    // Fills `item` for the entry `name`; false when the item vanished since it was listed.
    bool Describe(const char* name, unsigned char direntType, ListedItem& item) {
        struct statx st;
        item.name = name;
        if (statx(fd_, name, kStatxFlags, kStatxMask, &st) != 0) {
            if (errno == ENOENT) return false;
            // Listed but not describable (a folder that may be read but not searched): the
            // item is still reported, with what the listing itself says and no times.
            item.attributes = CommonBits(item.name, BitsFromDirentType(direntType));
            if (direntType == DT_REG) item.attributes |= item.attributes == 0 ? kAttrNormal : 0;
            item.size = 0;
            item.modified = item.created = item.accessed = FileTime{};
            item.mountRoot = false;
            item.deviceMajor = item.deviceMinor = 0;
            return true;
        }
        const unsigned mode = st.stx_mode;
        uint32_t bits = 0;
        if (S_ISDIR(mode)) {
            bits = kAttrDirectory;
        } else if (S_ISLNK(mode)) {
            bits = kAttrReparsePoint;
            // A link to a folder counts as a folder; the walk never enters it.
            struct statx target;
            if (statx(fd_, name, AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT, STATX_TYPE, &target) == 0 &&
                S_ISDIR(target.stx_mode)) {
                bits |= kAttrDirectory;
            }
        } else if (IsSystemType(mode)) {
            bits = kAttrSystem;
        }
        const bool immutable =
            (st.stx_attributes_mask & STATX_ATTR_IMMUTABLE) && (st.stx_attributes & STATX_ATTR_IMMUTABLE);
        if ((mode & 0222) == 0 || immutable) bits |= kAttrReadOnly;
        bits = CommonBits(item.name, bits);
        if (S_ISREG(mode) && bits == 0) bits = kAttrNormal;
        item.attributes = bits;
        item.size = S_ISDIR(mode) ? 0 : static_cast<int64_t>(st.stx_size);
        item.modified = ToFileTime(st.stx_mtime);
        item.accessed = ToFileTime(st.stx_atime);
        item.created = (st.stx_mask & STATX_BTIME) ? ToFileTime(st.stx_btime) : item.modified;
        item.deviceMajor = st.stx_dev_major;
        item.deviceMinor = st.stx_dev_minor;
        item.mountRoot = S_ISDIR(mode) && IsMountRoot(st);
        return true;
    }

    bool IsMountRoot(const struct statx& st) {
        if (st.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
            return (st.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        // Kernels before 5.8 do not report the attribute: a folder on another device than the
        // listed one is the root of another mount.
        if (!ownDeviceKnown_) {
            struct statx own;
            if (statx(fd_, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, STATX_TYPE, &own) == 0) {
                ownMajor_ = own.stx_dev_major;
                ownMinor_ = own.stx_dev_minor;
            }
            ownDeviceKnown_ = true;
        }
        return st.stx_dev_major != ownMajor_ || st.stx_dev_minor != ownMinor_;
    }

    int fd_;
    NameFilter wanted_;  // empty: every item
    std::unique_ptr<char[]> buffer_;
    size_t filled_ = 0;
    size_t pos_ = 0;
    bool ended_ = false;
    bool ownDeviceKnown_ = false;
    uint32_t ownMajor_ = 0;
    uint32_t ownMinor_ = 0;
};

}  // namespace

std::unique_ptr<FolderListing> SystemDirectoryLister::OpenFolder(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<SystemFolderListing>(fd);
}

std::unique_ptr<FolderListing> SystemDirectoryLister::OpenFolderItems(const std::string& path,
                                                                      NameFilter wanted) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<SystemFolderListing>(fd, std::move(wanted));
}

}  // namespace quillory
