// Whole-process tests of the command line against damaged, odd or hostile input: each must
// end in a clear message and exit status 2, never hang, and never touch a database it was
// not asked to.

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "core/database.h"
#include "platform/file_lock.h"
#include "tests/support/db_bytes.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::RunCli;

std::vector<std::pair<std::string, std::string>> Env(const test::TempDir& dir) {
    return {{"XDG_DATA_HOME", dir / "data"}, {"HOME", dir.Path()}, {"LC_ALL", "C"}};
}

// A database of one record whose dates are `date`, with LastRescanTime `date` too.
std::string DatabaseWithDates(double date) {
    test::HeaderFields h;
    h.count = 1;
    h.included = "/\r\n";
    h.lastTime = date;
    test::RecordFields r;
    r.name = "a.txt";
    r.folderField = "/x/";
    r.modified = r.created = r.accessed = date;
    return test::Block(test::HeaderBytes(h) + test::RecordBytes(r));
}

TEST(CliBadInput, EmptyDatabaseNameIsAUsageError) {
    const test::TempDir dir;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--db", "", "scan"}, std::vector<std::string>{"--db=", "scan"},
          std::vector<std::string>{"--db=", "info"}}) {
        const auto r = RunCli(args, Env(dir));
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_EQ(r.err, "quillory-cli: --db needs a file name\n");
    }
    // Nothing was scanned into the working database.
    EXPECT_FALSE(test::ReadFileBytes(dir / "data/quillory/index.dat").size() > 0);
}

TEST(CliBadInput, NamedPipeAsDatabaseIsRefusedAtOnce) {
    const test::TempDir dir;
    const std::string fifo = dir / "db.fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const char* command : {"info", "search", "scan"}) {
        const auto r = RunCli({"--db", fifo, command}, Env(dir));
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_EQ(r.err, "quillory-cli: Cannot open file \"" + fifo + "\". Not a regular file\n") << command;
    }
    struct stat st {};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // a scan did not replace it either
}

TEST(CliBadInput, LineBreakInsideAListItemIsRefused) {
    const test::TempDir dir;
    dir.MakeDir("tree");
    const std::string db = dir / "db.qdb";
    const struct {
        std::vector<std::string> args;
        std::string err;
    } rows[] = {
        {{"--include", dir / "tree\nx"}, "scan: --include cannot hold a line break"},
        {{"--include=" + dir / "tree\r"}, "scan: --include cannot hold a line break"},
        {{"--include", dir / "tree", "--exclude", dir / "tree/a\rb"},
         "scan: --exclude cannot hold a line break"},
        {{"--include", dir / "tree", "--ext-include", "mp3,w\nav"},
         "scan: --ext-include cannot hold a line break"},
        {{"--include", dir / "tree", "--ext-exclude=tmp\r"}, "scan: --ext-exclude cannot hold a line break"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args{"--db", db, "scan"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const auto r = RunCli(args, Env(dir));
        EXPECT_EQ(r.status, 2) << row.err;
        EXPECT_EQ(r.err, "quillory-cli: " + row.err + "\n");
        EXPECT_NE(access(db.c_str(), F_OK), 0) << "nothing is saved: " << row.err;
    }
}

// A search reads the file as it matches; on a damaged file it must end exactly as a full load
// does (the message and status of `info`, which loads the whole file), printing no result.
TEST(CliBadInput, SearchOfADamagedFileEndsAsALoadDoes) {
    const test::TempDir dir;
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(QUILLORY_TEST_DATA "/broken")) {
        const std::string db = e.path().string();
        const auto info = RunCli({"--db", db, "info"}, Env(dir));
        for (const std::vector<std::string>& words :
             {std::vector<std::string>{}, {"a"}, {"--limit", "1", "--", "*"}}) {
            std::vector<std::string> args = {"--db", db, "search"};
            args.insert(args.end(), words.begin(), words.end());
            const auto search = RunCli(args, Env(dir));
            EXPECT_EQ(search.status, info.status) << db;
            EXPECT_EQ(search.err, info.err) << db;
            EXPECT_EQ(search.out, "") << db;
        }
        EXPECT_EQ(info.status, 2) << db;
        ++files;
    }
    EXPECT_GE(files, 15u);
}

TEST(CliBadInput, OutputThatCannotBeWrittenIsAFailure) {
    const test::TempDir dir;
    const std::string cli = QUILLORY_CLI_PATH;
    const std::string db = QUILLORY_TEST_DATA "/hand-built.qdb";
    for (const std::string command : {"info", "info --json", "search", "search --format table"}) {
        const auto r = test::RunProcess(
            {"/bin/sh", "-c", "'" + cli + "' --db '" + db + "' " + command + " >/dev/full"}, Env(dir));
        EXPECT_EQ(r.status, 2) << command << ": " << r.err;
        EXPECT_NE(r.err.find("quillory-cli: Cannot write the output"), std::string::npos) << r.err;
    }
}

TEST(CliBadInput, DatesThatAreNoNumbersReadAsNoDate) {
    const test::TempDir dir;
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          1e300,
                          -1e300,
                          2958466.0,
                          -693594.0};
    for (const double date : bad) {
        const std::string db = dir.WriteFile("dates.qdb", DatabaseWithDates(date));
        const auto json = RunCli({"--db", db, "info", "--json"}, Env(dir));
        ASSERT_EQ(json.status, 0) << json.err;
        EXPECT_NE(json.out.find("\"LastRescanTime\":0,"), std::string::npos) << date << ": " << json.out;
        const auto text = RunCli({"--db", db, "info"}, Env(dir));
        EXPECT_NE(text.out.find("LastRescanTime: 0\n"), std::string::npos) << date << ": " << text.out;
        // The records load, their dates as no date: the table shows them empty, as for 0.
        const auto table =
            RunCli({"--db", db, "search", "--format", "table", "--fields", "name,modified"}, Env(dir));
        EXPECT_EQ(table.status, 0) << table.err;
        const auto zero = RunCli({"--db", dir.WriteFile("zero.qdb", DatabaseWithDates(0)), "search",
                                  "--format", "table", "--fields", "name,modified"},
                                 Env(dir));
        EXPECT_EQ(table.out, zero.out) << date;
    }
    // The edges of the range still load as dates.
    const std::string db = dir.WriteFile("edge.qdb", DatabaseWithDates(-693593.0));
    const auto json = RunCli({"--db", db, "info", "--json"}, Env(dir));
    EXPECT_NE(json.out.find("\"LastRescanTime\":-693593,"), std::string::npos) << json.out;
}

TEST(CliBadInput, SecondScanOfOneDatabaseIsRefused) {
    const test::TempDir dir;
    dir.WriteFile("tree/a.txt", "");
    const std::string db = dir / "db.qdb";
    {
        // Another process's scan holds the lock for as long as it runs.
        const FileLock running(db, "The database");
        const auto r = RunCli({"--db", db, "scan", "--include", dir / "tree"}, Env(dir));
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.err, "quillory-cli: The database \"" + db + "\" is in use by another process\n");
        EXPECT_NE(access(db.c_str(), F_OK), 0);
    }
    // Once it ends, a scan goes ahead; the lock ends with the scan, so the next one does too.
    EXPECT_EQ(RunCli({"--db", db, "scan", "--include", dir / "tree"}, Env(dir)).status, 0);
    const auto again = RunCli({"--db", db, "scan"}, Env(dir));
    EXPECT_EQ(again.status, 0) << again.err;
    // Searching needs no lock.
    const FileLock running(db, "The database");
    EXPECT_EQ(RunCli({"--db", db, "search", "a.txt"}, Env(dir)).status, 0);
}

TEST(CliBadInput, DanglingLinkAsDatabaseIsSavedThrough) {
    const test::TempDir dir;
    dir.WriteFile("tree/a.txt", "");
    dir.MakeDir("store");
    const std::string link = dir / "db.qdb";
    ASSERT_EQ(symlink("store/real.qdb", link.c_str()), 0);  // relative, and its target is missing
    const auto r = RunCli({"--db", link, "scan", "--include", dir / "tree"}, Env(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link survives";
    ASSERT_EQ(lstat((dir / "store/real.qdb").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a new database is readable by its owner only";
    const auto search = RunCli({"--db", link, "search", "a.txt"}, Env(dir));
    EXPECT_EQ(search.out, dir / "tree/a.txt\n");
}

TEST(CliBadInput, PipesAndNulTerminatorsKeepEveryByte) {
    const test::TempDir dir;
    const std::string name = "bell\a\x1b[2Jx\tz\x7f.txt";
    dir.WriteFile("tree/" + name, "");
    const std::string db = dir / "db.qdb";
    ASSERT_EQ(RunCli({"--db", db, "scan", "--include", dir / "tree"}, Env(dir)).status, 0);
    EXPECT_EQ(RunCli({"--db", db, "search", "bell"}, Env(dir)).out, dir / "tree/" + name + "\n");
    EXPECT_EQ(RunCli({"--db", db, "search", "-0", "bell"}, Env(dir)).out, dir / "tree/" + name + '\0');
    EXPECT_EQ(RunCli({"--db", db, "search", "--format", "list", "bell"}, Env(dir)).out,
              dir / "tree/" + name + "\n");
}

// Relative folders and database names are taken from the current folder with "." and ".."
// resolved by their text, so the stored lists name real places in one spelling.
TEST(CliPaths, RelativeNamesAreStoredAsFullPaths) {
    const test::TempDir dir;
    dir.WriteFile("tree/keep/a.txt", "");
    dir.WriteFile("tree/skip/b.txt", "");
    dir.MakeDir("work");
    const std::string cli = QUILLORY_CLI_PATH;
    const auto r =
        test::RunProcess({"/bin/sh", "-c",
                          "cd '" + dir / "work" + "' && '" + cli +
                              "' --db ./../db.qdb scan --include ../tree/. --exclude ./../tree/skip"},
                         Env(dir));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto info = RunCli({"--db", dir / "db.qdb", "info", "--json"}, Env(dir));
    EXPECT_NE(info.out.find("\"IncludedFolders\":[\"" + dir / "tree/" + "\"],\"ExcludedFolders\":[\"" +
                            dir / "tree/skip/" + "\"]"),
              std::string::npos)
        << info.out;
    EXPECT_EQ(RunCli({"--db", dir / "db.qdb", "search", "b.txt"}, Env(dir)).status, 1)
        << "the exclusion applies";
    EXPECT_EQ(RunCli({"--db", dir / "db.qdb", "search", "a.txt"}, Env(dir)).out, dir / "tree/keep/a.txt\n");
}

// Runs the program with its standard output and error on a new terminal; returns what the
// terminal received.
std::string RunCliOnTerminal(const std::vector<std::string>& args,
                             const std::vector<std::pair<std::string, std::string>>& env) {
    int master = -1;
    int slave = -1;
    winsize size{};
    size.ws_col = 500;
    size.ws_row = 50;
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) return "openpty failed";
    const pid_t child = fork();
    if (child == 0) {
        dup2(slave, STDOUT_FILENO);
        dup2(slave, STDERR_FILENO);
        close(master);
        close(slave);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>(QUILLORY_CLI_PATH)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(slave);
    std::string received;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the program has ended and closed the terminal
        }
    }
    close(master);
    int status = 0;
    waitpid(child, &status, 0);
    return received;
}

TEST(CliBadInput, TerminalShowsControlCharactersAsQuestionMarks) {
    const test::TempDir dir;
    const std::string name = "bell\a\x1b]0;title\x07\x1b[2Jx\tz\x7f.txt";
    dir.WriteFile("tree/" + name, "");
    const std::string db = dir / "db.qdb";
    ASSERT_EQ(RunCli({"--db", db, "scan", "--include", dir / "tree"}, Env(dir)).status, 0);
    const std::string shown = "bell??]0;title??[2Jx?z?.txt";
    // The terminal turns "\n" into "\r\n".
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, std::vector<std::string>{"--format", "list"}}) {
        std::vector<std::string> args{"--db", db, "search"};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("bell");
        const std::string out = RunCliOnTerminal(args, Env(dir));
        EXPECT_NE(out.find(dir / "tree/" + shown + "\r\n"), std::string::npos) << out;
        EXPECT_EQ(out.find('\x1b'), std::string::npos) << out;
    }
    const std::string table =
        RunCliOnTerminal({"--db", db, "search", "--format", "table", "--fields", "name", "bell"}, Env(dir));
    EXPECT_NE(table.find("\"" + shown + "\"\r\n"), std::string::npos) << table;
    // -0 asks for every byte, terminal or not.
    const std::string raw = RunCliOnTerminal({"--db", db, "search", "-0", "bell"}, Env(dir));
    EXPECT_NE(raw.find(name), std::string::npos);
}

}  // namespace
}  // namespace quillory
