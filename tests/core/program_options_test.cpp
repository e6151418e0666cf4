#include "core/program_options.h"

#include <gtest/gtest.h>

#include "core/text_lines.h"

namespace quillory {
namespace {

TEST(TProgramOptions, DefaultsDescribeTheFixedDrivesAndNothingElse) {
    const TProgramOptions o;
    EXPECT_EQ(o.IncludedFolders, DefaultDriveList());
    for (const std::string& line : SplitLines(o.IncludedFolders)) EXPECT_TRUE(line.ends_with("/")) << line;
    for (const std::string* text : {&o.DatabaseName, &o.DBFileName, &o.ExcludedFolders,
                                    &o.IncludedExtensions, &o.ExcludedExtensions}) {
        EXPECT_EQ(*text, "");
    }
    EXPECT_FALSE(o.ExtensionFilterOn || o.IncludeExtensionsMode || o.ExcludeExtensionsMode);
    EXPECT_EQ(o.LastRescanSeconds, 0);
    EXPECT_EQ(o.LastRescanTime, 0);
}

TEST(TextLines, SplitAcceptsCrLfAndLfAndJoinWritesCrLf) {
    EXPECT_EQ(SplitLines("/\r\n/home/\r\n"), (std::vector<std::string>{"/", "/home/"}));
    EXPECT_EQ(SplitLines("a\nb"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(JoinLines({"mp3", "flac"}), "mp3\r\nflac\r\n");
}

}  // namespace
}  // namespace quillory
