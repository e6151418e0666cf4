// quillory-cli search --sort / --format / --fields, run as a separate process on a database
// written into a temporary folder.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "core/activity_log.h"
#include "core/database.h"
#include "tests/results/result_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

class SearchOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EntryList catalogue;
        const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 0, 0, 0});
        test::AddResult(catalogue, {"b.log", "/var/", 5000000, noon + 2});
        test::AddResult(catalogue, {"A.txt", "/home/", 20, noon});
        test::AddResult(catalogue, {"a, \"x\".txt", "/home/", 100864, noon + 1});
        test::AddResult(catalogue,
                        {"notes", "/home/", 0, EncodeDateTime({2024, 3, 6, 0, 0, 0, 0}), kAttrDirectory});
        dbPath_ = home_.Dir() / "test.qdb";
        CreateDataFolder();
        SaveDatabase(catalogue, TProgramOptions(std::string("/\r\n")), dbPath_, ActivityLog());
    }

    CliRun Run(const std::string& arguments, const std::string& locale = "en_US.UTF-8") {
        const std::string errPath = home_.Dir() / "stderr.txt";
        const std::string command = "LC_ALL=" + locale + " '" + QUILLORY_CLI_PATH + "' --db '" + dbPath_ +
                                    "' search " + arguments + " 2>'" + errPath + "'";
        CliRun run;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return run;
        char buffer[4096];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
        const int status = pclose(pipe);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.err = test::ReadFileBytes(errPath);
        return run;
    }

    test::IsolatedHome home_;
    std::string dbPath_;
};

TEST_F(SearchOutputTest, SortsAsColumnClicksDo) {
    const struct {
        const char* arguments;
        const char* out;
    } rows[] = {
        {"--sort name", "/home/a, \"x\".txt\n/home/A.txt\n/var/b.log\n/home/notes\n"},
        {"--sort name:desc", "/home/notes\n/var/b.log\n/home/A.txt\n/home/a, \"x\".txt\n"},
        {"--sort size", "/home/notes\n/home/A.txt\n/home/a, \"x\".txt\n/var/b.log\n"},
        {"--sort=size:desc --format list", "/var/b.log\n/home/a, \"x\".txt\n/home/A.txt\n/home/notes\n"},
        {"--sort date", "/home/A.txt\n/home/notes\n/home/a, \"x\".txt\n/var/b.log\n"},
        {"--sort ext", "/home/notes\n/var/b.log\n/home/A.txt\n/home/a, \"x\".txt\n"},
        {"--sort folder:desc --limit 1", "/var/b.log\n"},
    };
    for (const auto& row : rows) {
        const CliRun run = Run(row.arguments);
        EXPECT_EQ(run.status, 0) << row.arguments << "\n" << run.err;
        // Equal keys may come in either order; only "ext" and "folder" have ties here.
        if (std::string_view(row.arguments).starts_with("--sort ext")) {
            EXPECT_TRUE(run.out.starts_with("/home/notes\n/var/b.log\n")) << run.out;
        } else {
            EXPECT_EQ(run.out, row.out) << row.arguments;
        }
    }
}

TEST_F(SearchOutputTest, TableRowsAreTheExportRows) {
    CliRun run = Run("--sort size --format table");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "\"notes\",\"/home/\",\"0 bytes\",\"3/6/24\",\"Folder\"\n"
              "\"A.txt\",\"/home/\",\"20 bytes\",\"3/5/24 12:00:00\u202fPM\",\"txt\"\n"
              "\"a, \"\"x\"\".txt\",\"/home/\",\"98 KB\",\"3/6/24 12:00:00\u202fPM\",\"txt\"\n"
              "\"b.log\",\"/var/\",\"4,883 KB\",\"3/7/24 12:00:00\u202fPM\",\"log\"\n");

    run = Run("--sort size:desc --format=table --fields attributes,name,created log", "de_DE.UTF-8");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\"b.log\",\"07.03.24 12:00:00\",\"NORMAL\"\n");

    run = Run("--format table nothing-matches-this");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

TEST_F(SearchOutputTest, BadOptionsAreUsageErrors) {
    const struct {
        const char* arguments;
        const char* message;
    } rows[] = {
        {"--sort", "search: --sort needs a value"},
        {"--sort type", "search: --sort column must be name, folder, size, date or ext, not \"type\""},
        {"--sort name:up", "search: --sort takes COLUMN or COLUMN:desc, not \"name:up\""},
        {"--format csv", "search: --format must be list or table, not \"csv\""},
        {"--format table --fields name,colour", "search: unknown field \"colour\""},
        {"--format table --fields ''", "search: unknown field \"\""},
        {"--fields name", "search: --fields applies to --format table only"},
        {"--format list --fields name", "search: --fields applies to --format table only"},
        {"-0 --format list", "search: -0 cannot be combined with --format"},
    };
    for (const auto& row : rows) {
        const CliRun run = Run(row.arguments);
        EXPECT_EQ(run.status, 2) << row.arguments;
        EXPECT_TRUE(run.err.starts_with(std::string("quillory-cli: ") + row.message))
            << row.arguments << ": " << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(SearchOutputTest, ShortOptionsAreTheLongOnesAndCountCountsTheMatches) {
    const struct {
        const char* shortForm;
        const char* longForm;
    } pairs[] = {
        {"-s a", "--case a"},
        {"-w txt", "--whole-words txt"},
        {"-p home", "--full-path home"},
        {"-l 1 '*'", "--limit 1 '*'"},
        {"-c a", "--count a"},
    };
    for (const auto& pair : pairs) {
        const CliRun shortRun = Run(pair.shortForm);
        const CliRun longRun = Run(pair.longForm);
        EXPECT_EQ(shortRun.status, longRun.status) << pair.shortForm;
        EXPECT_EQ(shortRun.out, longRun.out) << pair.shortForm;
    }
    // The count is the number of paths the same search lists; an explicit limit caps it.
    const CliRun listed = Run("--limit 0 a");
    const CliRun counted = Run("-c a");
    EXPECT_EQ(counted.status, 0);
    EXPECT_EQ(counted.out, std::to_string(std::count(listed.out.begin(), listed.out.end(), '\n')) + "\n");
    EXPECT_EQ(counted.out, "2\n");
    EXPECT_EQ(Run("-c -l 1 a").out, "1\n");
    const CliRun none = Run("--count zzz");
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "0\n");
    const CliRun refused = Run("-c --format table a");
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("--count"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace quillory
