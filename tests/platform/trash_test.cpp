#include "platform/trash.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ctime>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;

std::string LocalSecond() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local));
}

// Two items of one name: the second gets a name of its own beside the first, and each
// information file names its item's original path.
TEST(MoveFileToTrash, SameNameTwiceKeepsBothWithTheirPaths) {
    const test::IsolatedHome home;
    const std::string first = home.Dir().WriteFile("a/report.txt", "first");
    const std::string second = home.Dir().WriteFile("b c/report.txt", "second");
    home.Dir().WriteFile("b c/folder/inner", "i");
    ASSERT_EQ(MoveFileToTrash(first), 0);
    const std::string before = LocalSecond();
    ASSERT_EQ(MoveFileToTrash(second), 0);
    const std::string after = LocalSecond();
    ASSERT_EQ(MoveFileToTrash(home.Dir() / "b c/folder/"), 0);
    const std::string trash = home.Dir() / "data/Trash/";
    EXPECT_EQ(ReadFileBytes(trash + "files/report.txt"), "first");
    EXPECT_EQ(ReadFileBytes(trash + "files/report.2.txt"), "second");
    EXPECT_EQ(ReadFileBytes(trash + "files/folder/inner"), "i");
    const std::string info = ReadFileBytes(trash + "info/report.2.txt.trashinfo");
    EXPECT_EQ(info.substr(0, info.find("DeletionDate=")),
              "[Trash Info]\nPath=" + TrashInfoPath(home.Dir().Path()) + "/b%20c/report.txt\n");
    // The local time of the move, to the second.
    const std::string date = info.substr(info.find("DeletionDate=") + 13);
    ASSERT_EQ(date.size(), 20u) << date;
    EXPECT_EQ(date.back(), '\n');
    EXPECT_TRUE(before <= date.substr(0, 19) && date.substr(0, 19) <= after) << before << " " << date;
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
}

TEST(MoveFileToTrash, FailureLeavesNoInformationFile) {
    const test::IsolatedHome home;
    EXPECT_EQ(MoveFileToTrash(home.Dir() / "missing.txt"), ENOENT);
    EXPECT_EQ(MoveFileToTrash("relative.txt"), EINVAL);
    const std::string info = home.Dir() / "data/Trash/info";
    EXPECT_TRUE(!fs::exists(info) || fs::is_empty(info));
    EXPECT_EQ(TrashInfoPath("/a b/\xc3\xa4\xff%~x_y-z.q"), "/a%20b/%C3%A4%FF%25~x_y-z.q");
}

}  // namespace
}  // namespace quillory
