// quillory-cli scan, run in-process through the command table and, for Ctrl+C, as a program.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

#include "core/database.h"
#include "scan/folder_walk.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs the built quillory-cli. With `pendingInterrupt`, SIGINT is blocked and raised before
// the program starts, so it arrives as soon as the program lets it in: as if Ctrl+C were
// pressed while the scan starts.
CliRun Cli(const std::vector<std::string>& args, bool pendingInterrupt = false) {
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {-1, "", "pipe failed"};
    std::vector<char*> argv = {const_cast<char*>(QUILLORY_CLI_PATH)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        if (pendingInterrupt) {
            sigset_t set;
            sigemptyset(&set);
            sigaddset(&set, SIGINT);
            sigprocmask(SIG_BLOCK, &set, nullptr);
            raise(SIGINT);
        }
        execv(QUILLORY_CLI_PATH, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    // Small outputs: reading one pipe after the other cannot block the program.
    CliRun run{-1, ReadAll(outPipe[0]), ReadAll(errPipe[0])};
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    return run;
}

struct Loaded {
    EntryList catalogue;
    TProgramOptions options{std::string()};
};

std::unique_ptr<Loaded> Load(const std::string& path) {
    auto loaded = std::make_unique<Loaded>();
    LoadDatabase(loaded->catalogue, loaded->options, path,
                 ActivityLog(path + ".log", LocaleFormats::ForLocale("en_US"), [] { return 0.0; }));
    return loaded;
}

class ScanCommand : public ::testing::Test {
  protected:
    test::IsolatedHome home;
    test::TempDir tree;
    std::string db = home.Dir() / "test.qdb";
};

TEST_F(ScanCommand, ScansSavesAndTheDatabaseLoadsBack) {
    tree.WriteFile("r/music/a.mp3", "12345");
    tree.WriteFile("r/notes.txt", "");
    tree.WriteFile("r/\xff.bin", "");
    const CliRun run = Cli({"--db", db, "scan", "--include", tree / "r"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(std::regex_match(run.err, std::regex("OK! 4 files found\\. Search time: 0:00:0\\d\\.\n")))
        << run.err;

    auto loaded = Load(db);
    EXPECT_EQ(loaded->options.IncludedFolders, tree / "r/\r\n");
    EXPECT_GT(loaded->options.LastRescanTime, 40000.0);
    ASSERT_EQ(loaded->catalogue.Count(), 4u);
    // The database holds exactly what a walk of the same folders finds.
    EntryList walked;
    class Quiet final : public RescanObserver {
        void Progress(std::string, size_t) override {}
    } quiet;
    SystemDirectoryLister lister;
    FixedMountPolicy mounts;
    WalkLists lists;
    lists.includedFolders = {tree / "r/"};
    ASSERT_EQ(WalkFolders(lists, walked, {}, {lister, mounts, quiet}), WalkOutcome::Completed);
    ASSERT_EQ(walked.Count(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const TMyItem& a = loaded->catalogue[i];
        const TMyItem& b = walked[i];
        EXPECT_EQ(a.Name(), b.Name());
        EXPECT_EQ(a.Folder(), b.Folder());
        EXPECT_EQ(a.Size, b.Size);
        EXPECT_EQ(a.Attributes, b.Attributes);
        EXPECT_EQ(a.Modified, b.Modified);
        EXPECT_EQ(a.Created, b.Created);
        if (a.Attributes & kAttrDirectory) {
            EXPECT_LE(a.Accessed, b.Accessed);  // the scan's own listing may have moved it on
        } else {
            EXPECT_EQ(a.Accessed, b.Accessed);
        }
    }
    // The save was logged in the data folder, as the program logs it.
    const std::string log = test::ReadFileBytes(home.DataFolder() + "quillory.log");
    EXPECT_NE(log.find(": Start Save of data"), std::string::npos);
    EXPECT_NE(log.find(": Count of records = 4"), std::string::npos);
}

TEST_F(ScanCommand, OptionsReplaceListsAndARescanKeepsThem) {
    tree.WriteFile("r/a.mp3", "");
    tree.WriteFile("r/b.ogg", "");
    tree.WriteFile("r/c.txt", "");
    tree.WriteFile("r/skip/d.mp3", "");
    CliRun run = Cli({"--db", db, "scan", "--include", tree / "r/", "--exclude", tree / "r/skip",
                      "--ext-include", "mp3,.OGG,"});
    ASSERT_EQ(run.status, 0) << run.err;
    auto loaded = Load(db);
    EXPECT_EQ(loaded->options.ExcludedFolders, tree / "r/skip/\r\n");
    EXPECT_TRUE(loaded->options.ExtensionFilterOn);
    EXPECT_TRUE(loaded->options.IncludeExtensionsMode);
    EXPECT_FALSE(loaded->options.ExcludeExtensionsMode);
    EXPECT_EQ(loaded->options.IncludedExtensions, "mp3\r\nOGG\r\n");
    EXPECT_EQ(loaded->catalogue.Count(), 2u);

    // No options: the same lists again, and the tree as it is now.
    tree.WriteFile("r/e.mp3", "");
    run = Cli({"--db", db, "scan"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Load(db)->catalogue.Count(), 3u);

    run = Cli({"--db", db, "scan", "--ext-exclude", "txt"});
    ASSERT_EQ(run.status, 0) << run.err;
    loaded = Load(db);
    EXPECT_TRUE(loaded->options.ExcludeExtensionsMode);
    EXPECT_FALSE(loaded->options.IncludeExtensionsMode);
    EXPECT_EQ(loaded->options.ExcludedExtensions, "txt\r\n");
    EXPECT_EQ(loaded->catalogue.Count(), 3u);  // a.mp3, b.ogg, e.mp3

    run = Cli({"--db", db, "scan", "--no-ext-filter", "--exclude", tree / "nothing/"});
    ASSERT_EQ(run.status, 0) << run.err;
    loaded = Load(db);
    EXPECT_FALSE(loaded->options.ExtensionFilterOn);
    EXPECT_EQ(loaded->options.IncludedExtensions, "mp3\r\nOGG\r\n") << "the lists stay";
    EXPECT_EQ(loaded->catalogue.Count(), 6u);
}

TEST_F(ScanCommand, IncludedFolderInsideAnotherIsScannedOnce) {
    tree.WriteFile("r/sub/a.txt", "");
    const CliRun run = Cli({"--db", db, "scan", "--include", tree / "r/sub", "--include", tree / "r"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Load(db)->catalogue.Count(), 2u);
}

TEST_F(ScanCommand, BadCommandLinesAndBadDatabasesLoseNothing) {
    const std::vector<std::vector<std::string>> lines = {
        {"scan", "--bogus"},
        {"scan", "--include"},
        {"scan", "--include", ""},
        {"scan", "--ext-include", "mp3", "--ext-exclude", "txt"},
        {"scan", "--ext-include", "mp3", "--no-ext-filter"},
        {"scan", "--ext-include", ",."},
    };
    for (std::vector<std::string> args : lines) {
        args.insert(args.begin(), {"--db", db});
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << args[3];
        EXPECT_TRUE(run.err.starts_with("quillory-cli: scan: ")) << run.err;
        EXPECT_FALSE(std::filesystem::exists(db));
    }
    const std::string broken = "not a database at all";
    tree.WriteFile("broken.qdb", broken);
    const CliRun run = Cli({"--db", tree / "broken.qdb", "scan", "--include", tree / "r/"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.starts_with("quillory-cli: ")) << run.err;
    EXPECT_EQ(test::ReadFileBytes(tree / "broken.qdb"), broken);
}

// A rescan keeps only the old database's header, yet reads every record through: a file whose
// damage lies past its header, in its last block, is refused as a load refuses it, and kept.
TEST_F(ScanCommand, DatabaseDamagedPastItsHeaderIsRefusedAndKept) {
    for (int i = 0; i < 250; ++i) tree.WriteFile("r/f" + std::to_string(i), "");
    ASSERT_EQ(Cli({"--db", db, "scan", "--include", tree / "r"}).status, 0);
    const std::string good = test::ReadFileBytes(db);
    const std::string logPath = home.DataFolder() + "quillory.log";
    for (const size_t cut : {size_t{10}, size_t{1000}}) {
        const std::string damaged = good.substr(0, good.size() - cut);
        tree.WriteFile("damaged.qdb", damaged);
        const size_t logBefore = test::ReadFileBytes(logPath).size();
        const CliRun run = Cli({"--db", tree / "damaged.qdb", "scan"});
        EXPECT_EQ(run.status, 2) << cut;
        EXPECT_EQ(run.err, "quillory-cli: Stream read error\n") << cut;
        EXPECT_EQ(test::ReadFileBytes(tree / "damaged.qdb"), damaged) << cut;
        for (const auto& e : std::filesystem::directory_iterator(tree.Path())) {
            EXPECT_FALSE(e.path().filename().string().starts_with(".damaged.qdb.tmp-")) << e.path();
        }
        // The load was logged as far as it went; no save was begun.
        const std::string logged = test::ReadFileBytes(logPath).substr(logBefore);
        EXPECT_NE(logged.find(": Start Load of data"), std::string::npos) << logged;
        EXPECT_EQ(logged.find(": Start Save of data"), std::string::npos) << logged;
    }
    // The good file still rescans, keeping its folders.
    const CliRun again = Cli({"--db", db, "scan"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Load(db)->options.IncludedFolders, tree / "r/\r\n");
    EXPECT_EQ(Load(db)->catalogue.Count(), 250u);
}

// Ctrl+C: the walk stops at its first check of events and nothing is saved.
TEST_F(ScanCommand, InterruptStopsTheWalkAndSavesNothing) {
    for (int i = 0; i < 50; ++i) tree.WriteFile("r/d" + std::to_string(i % 5) + "/f" + std::to_string(i), "");
    const CliRun run = Cli({"--db", db, "scan", "--include", tree / "r/"}, true);
    EXPECT_EQ(run.status, 130);
    EXPECT_TRUE(std::regex_match(run.err, std::regex("Stop [0-9] files found\n"))) << run.err;
    EXPECT_FALSE(std::filesystem::exists(db));
}

}  // namespace
}  // namespace quillory
