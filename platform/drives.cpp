#include "platform/drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

namespace quillory {

namespace {

// mountinfo escapes blanks, tabs, newlines and backslashes as \ooo.
std::string UnescapeMountField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.size() == 3 &&
                std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
                out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path;
}

bool ReadFlag(const std::string& path, bool& value) {
    std::ifstream in(path);
    int v = 0;
    if (!(in >> v)) return false;
    value = v != 0;
    return true;
}

}  // namespace

std::vector<MountPoint> ReadMountTable(const std::string& mountinfoPath) {
    std::vector<MountPoint> mounts;
    std::ifstream in(mountinfoPath);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint, word;
        if (!(fields >> id >> parent >> device >> root >> mountPoint)) continue;
        // Optional fields run up to a lone "-"; the file-system type follows it.
        while (fields >> word && word != "-") {
        }
        std::string fsType;
        if (word != "-" || !(fields >> fsType)) continue;
        MountPoint mount;
        mount.path = WithSlash(UnescapeMountField(mountPoint));
        mount.fsType = fsType;
        const size_t colon = device.find(':');
        if (colon != std::string::npos) {
            mount.major = static_cast<unsigned>(std::strtoul(device.c_str(), nullptr, 10));
            mount.minor = static_cast<unsigned>(std::strtoul(device.c_str() + colon + 1, nullptr, 10));
        }
        mounts.push_back(std::move(mount));
    }
    return mounts;
}

bool IsDiskFileSystem(const std::string& fsType) {
    static constexpr std::array<const char*, 16> kTypes = {
        "ext2", "ext3",  "ext4",    "btrfs", "xfs",   "f2fs",    "zfs",     "jfs",
        "ntfs", "ntfs3", "fuseblk", "vfat",  "exfat", "hfsplus", "overlay", "reiserfs"};
    return std::any_of(kTypes.begin(), kTypes.end(), [&](const char* t) { return fsType == t; });
}

bool IsFixedMount(const MountPoint& mount, const std::string& sysfsRoot) {
    if (!IsDiskFileSystem(mount.fsType)) return false;
    if (mount.major == 0) return true;
    const std::string device =
        sysfsRoot + "/dev/block/" + std::to_string(mount.major) + ":" + std::to_string(mount.minor);
    bool removable = false;
    // A partition has no flag of its own: its disk, one folder up, carries it.
    if (ReadFlag(device + "/removable", removable) || ReadFlag(device + "/../removable", removable)) {
        return !removable;
    }
    return true;
}

std::vector<std::string> FixedDriveRoots(const MountTableSource& source) {
    std::vector<std::string> kept;
    for (const MountPoint& mount : ReadMountTable(source.mountinfoPath)) {
        if (!IsFixedMount(mount, source.sysfsRoot)) continue;
        const bool covered = std::any_of(kept.begin(), kept.end(), [&](const std::string& root) {
            return mount.path.compare(0, root.size(), root) == 0;
        });
        if (covered) continue;
        // A mount above kept ones (the root mounted after /home in the table) replaces them.
        std::erase_if(kept, [&](const std::string& root) {
            return root.compare(0, mount.path.size(), mount.path) == 0;
        });
        kept.push_back(mount.path);
    }
    return kept;
}

}  // namespace quillory
