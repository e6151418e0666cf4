#pragma once
// Which mounted file systems the walk may enter: fixed local disks only. A mount point of
// anything else (proc, sysfs, tmpfs, network and removable media, ...) is recorded as a
// folder but never entered, as a walk of one disk never wanders onto another kind of drive.

#include <cstdint>
#include <map>
#include <utility>

#include "platform/drives.h"

namespace quillory {

class MountPolicy {
  public:
    virtual ~MountPolicy() = default;
    // Whether the walk enters a folder on which the file system of device major:minor is
    // mounted.
    virtual bool MayEnter(uint32_t major, uint32_t minor) = 0;
};

// The system's mount table decides: a mount whose device is a fixed disk file system may be
// entered. The table is read when the first mount point is met and read again once for a
// device it does not list (a mount made during the walk); a device it still does not list is
// not entered.
class FixedMountPolicy final : public MountPolicy {
  public:
    explicit FixedMountPolicy(MountTableSource source = {}) : source_(std::move(source)) {}
    bool MayEnter(uint32_t major, uint32_t minor) override;

  private:
    void ReadTable();
    MountTableSource source_;
    bool tableRead_ = false;
    std::map<std::pair<uint32_t, uint32_t>, bool> fixed_;  // device -> fixed, from the table
    std::map<std::pair<uint32_t, uint32_t>, bool> asked_;  // devices not in the table, answered
};

}  // namespace quillory
