#include "scan/mount_policy.h"

namespace quillory {

void FixedMountPolicy::ReadTable() {
    tableRead_ = true;
    for (const MountPoint& mount : ReadMountTable(source_.mountinfoPath)) {
        const bool fixed = IsFixedMount(mount, source_.sysfsRoot);
        // One device may be mounted several times (bind mounts); any fixed mount of it makes
        // it a fixed disk.
        bool& known = fixed_[{mount.major, mount.minor}];
        known = known || fixed;
    }
}

bool FixedMountPolicy::MayEnter(uint32_t major, uint32_t minor) {
    const std::pair<uint32_t, uint32_t> device{major, minor};
    if (!tableRead_) ReadTable();
    if (const auto it = fixed_.find(device); it != fixed_.end()) return it->second;
    if (const auto it = asked_.find(device); it != asked_.end()) return it->second;
    ReadTable();
    const auto it = fixed_.find(device);
    const bool fixed = it != fixed_.end() && it->second;
    asked_[device] = fixed;
    return fixed;
}

}  // namespace quillory
