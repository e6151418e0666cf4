// The default drive list from sample mount tables and sysfs trees.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/program_options.h"
#include "platform/data_folder.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;

// A sysfs tree with disk vda (fixed, partition vda1), sdb (removable USB stick, partition
// sdb1) and nvme0n1 (fixed, whole disk).
class SampleSystem {
  public:
    SampleSystem() {
        AddDisk("vda", "254:0", false);
        AddPartition("vda", "vda1", "254:1");
        AddDisk("sdb", "8:16", true);
        AddPartition("sdb", "sdb1", "8:17");
        AddDisk("nvme0n1", "259:0", false);
    }
    MountTableSource Source(const std::string& mountinfo) const {
        return {dir_.WriteFile("mountinfo", mountinfo), dir_ / "sys"};
    }

  private:
    void AddDisk(const std::string& name, const std::string& dev, bool removable) {
        dir_.WriteFile("sys/devices/block/" + name + "/removable", removable ? "1\n" : "0\n");
        Link(dev, "sys/devices/block/" + name);
    }
    void AddPartition(const std::string& disk, const std::string& name, const std::string& dev) {
        dir_.MakeDir("sys/devices/block/" + disk + "/" + name);
        Link(dev, "sys/devices/block/" + disk + "/" + name);
    }
    void Link(const std::string& dev, const std::string& target) {
        dir_.MakeDir("sys/dev/block");
        fs::create_directory_symlink(dir_ / target, dir_ / ("sys/dev/block/" + dev));
    }
    test::TempDir dir_;
};

std::string Line(const std::string& id, const std::string& dev, const std::string& mount,
                 const std::string& type, const std::string& source = "/dev/x") {
    return id + " 1 " + dev + " / " + mount + " rw,relatime shared:1 - " + type + " " + source + " rw\n";
}

TEST(DefaultDriveList, FromSampleMountTables) {
    const SampleSystem sys;
    const struct {
        const char* what;
        std::string table;
        std::string expected;
    } rows[] = {
        {"an ordinary machine",
         Line("26", "254:1", "/", "ext4") + Line("27", "0:22", "/proc", "proc") +
             Line("28", "0:23", "/dev/shm", "tmpfs") + Line("29", "0:24", "/sys", "sysfs"),
         "/\r\n"},
        {"nested mounts keep the outer one",
         Line("1", "254:1", "/", "ext4") + Line("2", "259:0", "/home", "xfs") +
             Line("3", "259:0", "/home/u/data", "btrfs"),
         "/\r\n"},
        {"a fixed disk beside the root",
         Line("1", "0:30", "/", "overlay") + Line("2", "259:0", "/srv/data", "ext4"), "/\r\n"},
        {"USB stick left out, second disk kept",
         Line("1", "8:17", "/media/stick", "vfat") + Line("2", "259:0", "/mnt/disk\\040two", "ntfs3"),
         "/mnt/disk two/\r\n"},
        {"none fixed",
         Line("1", "0:5", "/", "tmpfs") + Line("2", "0:6", "/net", "nfs4") +
             Line("3", "8:17", "/media/stick", "exfat"),
         ""},
        {"an outer mount listed after an inner one replaces it",
         Line("1", "259:0", "/data/inner", "ext4") + Line("2", "254:1", "/data", "ext4"), "/data/\r\n"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(DefaultDriveList(sys.Source(row.table)), row.expected) << row.what;
    }
}

TEST(DefaultDriveList, UnreadableTableYieldsNothing) {
    EXPECT_EQ(DefaultDriveList({"/nonexistent/mountinfo", "/nonexistent"}), "");
}

TEST(DataFolder, FollowsXdgDataHomeThenHome) {
    test::TempDir dir;
    {
        test::ScopedEnv xdg("XDG_DATA_HOME", dir / "xdg");
        EXPECT_EQ(ApplicationDataFolder(), dir / "xdg");
    }
    {
        test::ScopedEnv xdg("XDG_DATA_HOME", "relative/path");  // not absolute: ignored
        test::ScopedEnv home("HOME", dir.Path());
        EXPECT_EQ(ApplicationDataFolder(), dir / ".local/share");
    }
    const std::string deep = dir / "a/b/c/quillory";
    CreateFolderTree(deep);
    EXPECT_TRUE(fs::is_directory(deep));
    CreateFolderTree(deep);  // already there: fine
    dir.WriteFile("file", "x");
    EXPECT_THROW(CreateFolderTree(dir / "file/sub"), Error);
}

}  // namespace
}  // namespace quillory
