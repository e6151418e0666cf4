#include "actions/file_properties.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

TEST(FileProperties, PermissionLettersAsListingsShowThem) {
    EXPECT_EQ(PermissionsText(S_IFREG | 0644), "-rw-r--r-- (644)");
    EXPECT_EQ(PermissionsText(S_IFDIR | 0750), "drwxr-x--- (750)");
    EXPECT_EQ(PermissionsText(S_IFREG | 04755), "-rwsr-xr-x (4755)");
    EXPECT_EQ(PermissionsText(S_IFDIR | 01777), "drwxrwxrwt (1777)");
    EXPECT_EQ(PermissionsText(S_IFREG | 02600), "-rw---S--- (2600)");
    EXPECT_EQ(PermissionsText(S_IFLNK | 0777), "lrwxrwxrwx (777)");
}

TEST(FileProperties, ReadFromTheFileItselfWithoutFollowingLinks) {
    test::TempDir dir;
    const std::string file = dir.WriteFile("My Folder/größe 1.txt", std::string(1234, 'x'));
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    const LocaleFormats formats = LocaleFormats::ForLocale("en_US");
    const auto text = ReadFileProperties(file, formats);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->name, "größe 1.txt");
    EXPECT_EQ(text->folder, dir / "My Folder/");
    EXPECT_EQ(text->size, "1,234 bytes");
    EXPECT_EQ(text->permissions, "-rw-r----- (640)");
    EXPECT_FALSE(text->modified.empty());
    EXPECT_FALSE(text->created.empty());

    const auto folder = ReadFileProperties(dir / "My Folder", formats);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->name, "My Folder");
    EXPECT_EQ(folder->size, "");
    EXPECT_EQ(folder->permissions[0], 'd');

    // A link to a missing file is still a file of its own; a missing name is nothing.
    ASSERT_EQ(symlink("nowhere", (dir / "link").c_str()), 0);
    const auto link = ReadFileProperties(dir / "link", formats);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->permissions[0], 'l');
    EXPECT_FALSE(ReadFileProperties(dir / "gone.txt", formats));
    EXPECT_FALSE(ReadFileProperties("", formats));
}

}  // namespace
}  // namespace quillory
