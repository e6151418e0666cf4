#include "platform/folder_stamp.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace quillory {

namespace {

FileTime TimeOf(const struct statx_timestamp& time) {
    return FileTime{time.tv_sec, time.tv_nsec};
}

bool StatAt(const std::string& path, int flags, struct statx& status) {
    return statx(AT_FDCWD, path.c_str(), flags | AT_NO_AUTOMOUNT | AT_STATX_SYNC_AS_STAT,
                 STATX_TYPE | STATX_MTIME | STATX_CTIME, &status) == 0;
}

// Kernels before 5.8 do not say whether a folder is a mount root: a folder on another device
// than its parent is one.
bool OnOtherDeviceThanParent(const std::string& path, const struct statx& status) {
    struct statx parent {};
    if (!StatAt(path + "/..", 0, parent)) return false;
    return parent.stx_dev_major != status.stx_dev_major || parent.stx_dev_minor != status.stx_dev_minor;
}

}  // namespace

std::optional<FolderStamp> ReadFolderStamp(const std::string& path, bool followLink) {
    // A final "/" would make the system follow a final link.
    std::string bare = path;
    while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
    struct statx status {};
    if (bare.empty() || !StatAt(bare, followLink ? 0 : AT_SYMLINK_NOFOLLOW, status)) return std::nullopt;
    FolderStamp stamp;
    stamp.modified = TimeOf(status.stx_mtime);
    stamp.changed = TimeOf(status.stx_ctime);
    stamp.folder = S_ISDIR(status.stx_mode);
    stamp.deviceMajor = status.stx_dev_major;
    stamp.deviceMinor = status.stx_dev_minor;
    if (stamp.folder) {
        stamp.mountRoot = (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
                              ? (status.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0
                              : OnOtherDeviceThanParent(bare, status);
    }
    return stamp;
}

}  // namespace quillory
