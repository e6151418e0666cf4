#pragma once
// Which mounted file systems count as fixed local disks: a disk file system (ext2/3/4,
// btrfs, xfs, f2fs, zfs, jfs, ntfs, vfat, exfat, hfsplus, or the overlay of a container's
// root) that is not on a removable block device.

#include <string>
#include <vector>

namespace quillory {

struct MountPoint {
    std::string path;  // ends with "/"
    std::string fsType;
    unsigned major = 0;
    unsigned minor = 0;
};

struct MountTableSource {
    std::string mountinfoPath = "/proc/self/mountinfo";
    std::string sysfsRoot = "/sys";
};

// Every mount of the table, in its order. A table that cannot be read yields no mounts.
std::vector<MountPoint> ReadMountTable(const std::string& mountinfoPath);

bool IsDiskFileSystem(const std::string& fsType);

// Fixed: a disk file system on a device that sysfs does not mark removable. File systems
// without a block device of their own (btrfs subvolumes, zfs, overlay) count as fixed.
bool IsFixedMount(const MountPoint& mount, const std::string& sysfsRoot);

// Mount points of fixed file systems that do not lie below another kept one, in table order.
std::vector<std::string> FixedDriveRoots(const MountTableSource& source = {});

}  // namespace quillory
