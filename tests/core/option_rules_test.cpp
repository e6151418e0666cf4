// The Options dialog's rules that need no window: the result-limit list, the tidying of the
// folder and extension lists, the chooser's duplicate check, names and the one-day rule.
#include "core/option_rules.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

using Lines = std::vector<std::string>;

TEST(OptionRulesTest, StoredLimitSelectsTheSmallestItemThatShowsEveryAllowedResult) {
    const std::pair<int32_t, int> cases[] = {
        {1000000000, 0}, {10001, 0}, {10000, 1}, {1001, 1}, {1000, 2}, {301, 2}, {300, 3},
        {150, 3},        {101, 3},   {100, 4},   {1, 4},    {0, 4},    {-5, 4},
    };
    for (const auto& [stored, index] : cases) EXPECT_EQ(ResultLimitIndex(stored), index) << stored;
}

TEST(OptionRulesTest, ItemsStoreTheirLimitAndNoSelectionKeepsTheOldOne) {
    EXPECT_EQ(ResultLimitForIndex(0, 5), 1000000000);
    EXPECT_EQ(ResultLimitForIndex(1, 5), 10000);
    EXPECT_EQ(ResultLimitForIndex(2, 5), 1000);
    EXPECT_EQ(ResultLimitForIndex(3, 5), 300);
    EXPECT_EQ(ResultLimitForIndex(4, 5), 100);
    EXPECT_EQ(ResultLimitForIndex(-1, 150), 150);
    EXPECT_EQ(ResultLimitForIndex(5, 150), 150);
    // Opening on 10001 and pressing OK stores "all results"; 150 comes back as 300.
    EXPECT_EQ(ResultLimitForIndex(ResultLimitIndex(10001), 10001), 1000000000);
    EXPECT_EQ(ResultLimitForIndex(ResultLimitIndex(150), 150), 300);
}

TEST(OptionRulesTest, FolderLinesGetASeparatorAndEmptyLinesGo) {
    EXPECT_EQ(TidyFolderLines({"/home/music", "", "E:/", "C:\\", "", " /srv ", "/data/"}),
              (Lines{"/home/music/", "E:/", "C:\\", " /srv /", "/data/"}));
    EXPECT_EQ(TidyFolderLines({"", "", ""}), Lines{});
    EXPECT_EQ(TidyFolderLines({}), Lines{});
    // Blanks are text like any other: a line of blanks is not empty.
    EXPECT_EQ(TidyFolderLines({"  "}), Lines{"  /"});
}

TEST(OptionRulesTest, ExtensionLinesLoseOneLeadingDotAndLoneDotsGo) {
    EXPECT_EQ(TidyExtensionLines({"mp3", ".MP3", ".", "..txt", "", "a.b", ". "}),
              (Lines{"mp3", "MP3", ".txt", "a.b", " "}));
    EXPECT_EQ(TidyExtensionLines({".", "", "."}), Lines{});
    // A line "..": its first dot goes, leaving "." for the next tidying.
    EXPECT_EQ(TidyExtensionLines({".."}), Lines{"."});
    EXPECT_EQ(TidyExtensionLines(TidyExtensionLines({".."})), Lines{});
}

TEST(OptionRulesTest, ChosenFolderIsAddedOnceComparedByteForByte) {
    Lines lines{"/Music/", "/srv/Ärger/", "/data/photos"};
    EXPECT_FALSE(AddChosenFolder(lines, "/Music"));
    EXPECT_FALSE(AddChosenFolder(lines, "/srv/Ärger/"));
    EXPECT_FALSE(AddChosenFolder(lines, "/data/photos/")) << "a line not tidied yet is the same folder";
    EXPECT_EQ(lines, (Lines{"/Music/", "/srv/Ärger/", "/data/photos"}));
    // Other case, other folder.
    EXPECT_TRUE(AddChosenFolder(lines, "/music"));
    EXPECT_TRUE(AddChosenFolder(lines, "/SRV/ärger/"));
    EXPECT_TRUE(AddChosenFolder(lines, "/"));
    EXPECT_EQ(lines, (Lines{"/Music/", "/srv/Ärger/", "/data/photos", "/music/", "/SRV/ärger/", "/"}));
    // A folder already ending in a backslash is taken as it is.
    EXPECT_TRUE(AddChosenFolder(lines, "odd\\"));
    EXPECT_EQ(lines.back(), "odd\\");
}

TEST(OptionRulesTest, DatabaseFileNames) {
    EXPECT_EQ(NameWithoutExtension("/data/music.qdb"), "music");
    EXPECT_EQ(NameWithoutExtension("/data/my.music.qdb"), "my.music");
    EXPECT_EQ(NameWithoutExtension("/da.ta/music"), "music");
    EXPECT_EQ(NameWithoutExtension("/data/.hidden"), ".hidden");
    EXPECT_EQ(NameWithoutExtension("plain.qdb"), "plain");
    EXPECT_EQ(FolderOf("/data/music.qdb"), "/data/");
    EXPECT_EQ(FolderOf("music.qdb"), "");
    EXPECT_EQ(WithDatabaseExtension("/data/music"), "/data/music.qdb");
    EXPECT_EQ(WithDatabaseExtension("/da.ta/music"), "/da.ta/music.qdb");
    EXPECT_EQ(WithDatabaseExtension("/data/music.db"), "/data/music.db");
    EXPECT_EQ(WithDatabaseExtension("/data/.hidden"), "/data/.hidden.qdb");
}

TEST(OptionRulesTest, NamedDatabaseIsDueOnlyWithinADayOfTheLastRescanEitherWay) {
    TProgramOptions options(std::string{});
    const DateTime now = 46000.5;
    options.DBFileName = "/data/music.qdb";
    options.LastRescanTime = now - 10.0 / (24 * 60);
    EXPECT_TRUE(NamedDatabaseDue(options, now));
    options.LastRescanTime = now + 10.0 / (24 * 60);  // a clock set back
    EXPECT_TRUE(NamedDatabaseDue(options, now));
    options.LastRescanTime = now - 25.0 / 24;
    EXPECT_FALSE(NamedDatabaseDue(options, now));
    options.LastRescanTime = now - 1.0;
    EXPECT_FALSE(NamedDatabaseDue(options, now));
    options.LastRescanTime = now;
    options.DBFileName.clear();
    EXPECT_FALSE(NamedDatabaseDue(options, now));
}

TEST(OptionRulesTest, NewDatabaseMessageHasItsFourLines) {
    EXPECT_EQ(
        NewDatabaseMessageLines(),
        (Lines{"1. Set list of folders and extensions for your new DB", "(use \"+\" and \"-\" buttons).",
               "2. Click OK, then click Rescan.", "3. Save your new DB to a file."}));
}

}  // namespace
}  // namespace quillory
