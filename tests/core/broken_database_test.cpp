// Every damaged file under tests/data/broken is refused with a clear message, and a refused
// load changes neither the catalogue, nor the options, nor the file.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/database.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

std::vector<std::string> BrokenFiles() {
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(QUILLORY_TEST_DATA "/broken")) {
        files.push_back(e.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(LoadDatabase, BrokenFilesAreRefusedAndChangeNothing) {
    const std::vector<std::string> files = BrokenFiles();
    ASSERT_GE(files.size(), 15u);
    test::TempDir dir;
    const ActivityLog log(dir / "q.log", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    for (const std::string& path : files) {
        EntryList catalogue;
        for (const char* n : {"keep1", "keep2"})
            catalogue.AcquireEntry(n).SetFolder(catalogue.InternFolder("/k/"));
        TProgramOptions options{"/kept/\r\n"};
        options.DatabaseName = "before";
        options.LastRescanSeconds = 9;
        const std::string bytes = test::ReadFileBytes(path);
        try {
            LoadDatabase(catalogue, options, path, log);
            ADD_FAILURE() << path << " was accepted";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Stream read error") << path;
        }
        ASSERT_EQ(catalogue.Count(), 2u) << path;
        EXPECT_EQ(EntryFullPath(catalogue[1]), "/k/keep2") << path;
        EXPECT_EQ(options.DatabaseName, "before") << path;
        EXPECT_EQ(options.IncludedFolders, "/kept/\r\n") << path;
        EXPECT_EQ(options.LastRescanSeconds, 9) << path;
        EXPECT_TRUE(test::ReadFileBytes(path) == bytes) << path;
    }
}

TEST(LoadDatabase, MissingFileNamesTheFullPath) {
    test::TempDir dir;
    const ActivityLog log(dir / "q.log", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    const std::string cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    EntryList catalogue;
    TProgramOptions options{std::string()};
    std::string message;
    try {
        LoadDatabase(catalogue, options, "nothing.qdb", log);
    } catch (const Error& e) {
        message = e.what();
    }
    std::filesystem::current_path(cwd);
    EXPECT_EQ(message, "Cannot open file \"" + dir.Path() + "/nothing.qdb\". No such file or directory");
    // The start line is written; the failure leaves the rest out.
    const std::string logText = test::ReadFileBytes(dir / "q.log");
    EXPECT_TRUE(logText.ends_with(": Start Load of data\n")) << logText;
    EXPECT_EQ(std::count(logText.begin(), logText.end(), '\n'), 1);
}

TEST(LoadDatabase, HandBuiltFileLoads) {
    test::TempDir dir;
    const ActivityLog log(dir / "q.log", LocaleFormats::ForLocale("en_US"), [] { return 46000.0; });
    EntryList catalogue;
    TProgramOptions options{std::string()};
    LoadDatabase(catalogue, options, QUILLORY_TEST_DATA "/hand-built.qdb", log);
    ASSERT_EQ(catalogue.Count(), 3u);
    EXPECT_EQ(EntryFullPath(catalogue[0]), "/home/u/a.txt");
    EXPECT_EQ(EntryFullPath(catalogue[1]), "/home/u/b");
    EXPECT_EQ(EntryFullPath(catalogue[2]), "/home/u/x/sub");
    EXPECT_EQ(options.DatabaseName, "caf\xE9 \"db\"");
    EXPECT_EQ(options.ExcludedExtensions, "tmp\r\nbak\r\n");
    EXPECT_TRUE(options.ExtensionFilterOn);
    EXPECT_FALSE(options.IncludeExtensionsMode);
    EXPECT_TRUE(options.ExcludeExtensionsMode);
    EXPECT_EQ(options.LastRescanSeconds, 187);
    EXPECT_EQ(options.LastRescanTime, 46363.75);
}

}  // namespace
}  // namespace quillory
