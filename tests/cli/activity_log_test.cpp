// quillory-cli with an activity log that cannot be written: every command does its work, and
// the lost log is reported once on the standard error stream.

#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::RunCli;

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A full disk under the log (quillory.log is /dev/full) and a data folder that cannot exist
// (its place is taken by a file): scan, search and info all succeed on the database.
TEST(CliActivityLog, UnwritableLogIsReportedOnceAndStopsNoCommand) {
    const test::TempDir dir;
    dir.WriteFile("tree/song.mp3", "x");
    dir.WriteFile("tree/notes.txt", "y");
    dir.MakeDir("full/quillory");
    ASSERT_EQ(symlink("/dev/full", (dir / "full/quillory/quillory.log").c_str()), 0);
    dir.WriteFile("blocked/quillory", "not a folder");
    const struct {
        const char* dataHome;
        std::string database;  // empty: the working database
        std::string log;
        std::string reason;
    } rows[] = {
        {"full", "", dir / "full/quillory/quillory.log", "No space left on device"},
        {"blocked", dir / "db.qdb", dir / "blocked/quillory/quillory.log", "Not a directory"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dataHome);
        const std::vector<std::pair<std::string, std::string>> env = {{"XDG_DATA_HOME", dir / row.dataHome},
                                                                      {"XDG_RUNTIME_DIR", dir.Path()},
                                                                      {"HOME", dir.Path()},
                                                                      {"LC_ALL", "C"}};
        std::vector<std::string> db;
        if (!row.database.empty()) db = {"--db", row.database};
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin(), db.begin(), db.end());
            return RunCli(args, env);
        };
        const std::string report =
            "quillory: the activity log " + row.log + " cannot be written: " + row.reason + "\n";

        const auto scan = run({"scan", "--include", dir / "tree"});
        EXPECT_EQ(scan.status, 0) << scan.err;
        EXPECT_EQ(Occurrences(scan.err, report), 1u) << scan.err;
        const auto search = run({"search", "--from-file", "mp3"});
        EXPECT_EQ(search.status, 0) << search.err;
        EXPECT_EQ(search.out, dir / "tree/song.mp3\n");
        // Four lines of the load were lost; one report.
        EXPECT_EQ(Occurrences(search.err, "activity log"), 1u) << search.err;
        EXPECT_EQ(Occurrences(search.err, report), 1u) << search.err;
        const auto info = run({"info"});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_EQ(info.err, report);
    }
    EXPECT_EQ(test::ReadFileBytes(dir / "blocked/quillory"), "not a folder");
}

}  // namespace
}  // namespace quillory
