#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "core/activity_log.h"
#include "core/database.h"
#include "tests/search/catalogue_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

class SearchCommandTest : public ::testing::Test {
  protected:
    SearchCommandTest() {
        EntryList catalogue;
        test::AddEntry(catalogue, "/home/u/", "Music", true);
        test::AddEntry(catalogue, "/home/u/Music/", "song one.mp3");
        test::AddEntry(catalogue, "/home/u/Music/", "Song Two.MP3");
        test::AddEntry(catalogue, "/home/u/", "notes.txt");
        test::AddEntry(catalogue, "/home/u/", "a\xff.tmp");
        test::AddEntry(catalogue, "/home/u/", "x.Folder");
        TProgramOptions options{std::string("/home/\r\n")};
        db = home.Dir() / "test.qdb";
        CreateDataFolder();
        SaveDatabase(catalogue, options, db, ActivityLog());
    }

    // Runs the built quillory-cli as a whole process; stdout is read through a pipe, stderr
    // through a file in the test's folder.
    RunResult Run(std::vector<std::string> args, bool withDb = true) {
        if (withDb) args.insert(args.begin(), {"--db", db, "search"});
        const std::string errPath = home.Dir() / "stderr.txt";
        std::string command = Quote(QUILLORY_CLI_PATH);
        for (const std::string& arg : args) command += " " + Quote(arg);
        command += " 2>" + Quote(errPath);
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return {-1, "", "popen failed"};
        std::string out;
        char buffer[4096];
        while (const size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        const int status = pclose(pipe);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, test::ReadFileBytes(errPath)};
    }

    static std::string Quote(const std::string& arg) {
        std::string quoted = "'";
        for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }

    test::IsolatedHome home;
    std::string db;
};

TEST_F(SearchCommandTest, OptionsAndOutput) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;
    } rows[] = {
        {{"*.mp3"}, 0, "/home/u/Music/song one.mp3\n/home/u/Music/Song Two.MP3\n"},
        {{"--case", "*.mp3"}, 0, "/home/u/Music/song one.mp3\n"},
        {{"song", "two"}, 0, "/home/u/Music/song one.mp3\n/home/u/Music/Song Two.MP3\n"},
        {{"\"song", "two\""}, 0, "/home/u/Music/Song Two.MP3\n"},  // words joined by one blank
        {{"--", "+\"song\"", "-\"one\""}, 0, "/home/u/Music/Song Two.MP3\n"},
        {{"--", "-\"mp3\"", "--limit"},
         0,  // after -- every argument is a word: (not MP3) or --LIMIT
         "/home/u/Music\n/home/u/notes.txt\n/home/u/a\xff.tmp\n/home/u/x.Folder\n"},
        {{"--whole-words", "son"}, 1, ""},
        {{"--whole-words", "song"}, 0, "/home/u/Music/song one.mp3\n/home/u/Music/Song Two.MP3\n"},
        {{"--no-files"}, 0, "/home/u/Music\n/home/u/x.Folder\n"},
        {{"--no-folders", "--limit", "2"}, 0, "/home/u/Music/song one.mp3\n/home/u/Music/Song Two.MP3\n"},
        {{"--limit=1", "o"}, 0, "/home/u/Music/song one.mp3\n"},
        {{"--limit", "0"},
         0,
         "/home/u/Music\n/home/u/Music/song one.mp3\n/home/u/Music/Song Two.MP3\n/home/u/notes.txt\n"
         "/home/u/a\xff.tmp\n/home/u/x.Folder\n"},
        {{"--full-path", "music"},
         0,
         "/home/u/Music\n/home/u/Music/song one.mp3\n/home/u/Music/Song Two.MP3\n"},
        {{"-0", "notes", "tmp"}, 0, std::string("/home/u/notes.txt") + '\0' + "/home/u/a\xff.tmp" + '\0'},
        {{"\xff"}, 0, "/home/u/a\xff.tmp\n"},
        {{"nothing-like-it"}, 1, ""},
    };
    for (const auto& row : rows) {
        const RunResult result = Run(row.args);
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        EXPECT_EQ(result.status, row.status) << joined << result.err;
        EXPECT_EQ(result.out, row.out) << joined;
        EXPECT_TRUE(result.err.starts_with("OK! ")) << joined << result.err;
    }
}

TEST_F(SearchCommandTest, StatusTextGoesToStderr) {
    const RunResult result = Run({"notes"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.err.starts_with("OK! 1 files found. Search time: ")) << result.err;
    EXPECT_TRUE(result.err.ends_with(" sec.\n")) << result.err;
}

TEST_F(SearchCommandTest, Errors) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{"--no-files", "--no-folders"}, "--no-folders and --no-files"},
        {{"--limit"}, "--limit needs a number"},
        {{"--limit", "-1"}, "--limit needs a whole number"},
        {{"--limit", "12x"}, "--limit needs a whole number"},
        {{"--limit="}, "--limit needs a whole number"},
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"-\"tmp\""}, "unknown option"},
    };
    for (const auto& row : rows) {
        const RunResult result = Run(row.args);
        EXPECT_EQ(result.status, 2) << row.message;
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with("quillory-cli: search: ")) << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
    }
}

TEST_F(SearchCommandTest, MissingOrBrokenDatabaseIsAnError) {
    const RunResult missing = Run({"--db", home.Dir() / "missing.qdb", "search", "x"}, false);
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.starts_with("quillory-cli: ")) << missing.err;
    const std::string broken = home.Dir().WriteFile("broken.qdb", std::string("\x03\x00", 2));
    const RunResult bad = Run({"--db", broken, "search", "x"}, false);
    EXPECT_EQ(bad.status, 2) << bad.err;
    EXPECT_EQ(bad.out, "");
}

}  // namespace
}  // namespace quillory
