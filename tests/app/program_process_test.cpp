// The whole program as a process: started offscreen with its own home, addressed by a second
// start's command words, ended by "exit" and by signals, and refusing a damaged database.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <csignal>
#include <cstring>
#include <regex>

#include "command/search_channel.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "platform/clock.h"
#include "platform/local_socket.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

using quillory::test::IsolatedHome;
using quillory::test::ReadFileBytes;

// An activity log that writes nowhere, for the files a test prepares or reads itself.
ActivityLog QuietLog() {
    return ActivityLog("/dev/null", LocaleFormats::ForLocale("en_US"), [] { return 0.0; });
}

class ProgramProcessTest : public ::testing::Test {
  protected:
    ProgramProcessTest() {
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("QUILLORY_PROMPTS"), QStringLiteral("stderr"));
        for (const char* name :
             {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            environment.insert(QString::fromLatin1(name), QString::fromLocal8Bit(qgetenv(name)));
        }
        tree = home.Dir().MakeDir("tree");
        home.Dir().WriteFile("tree/songs/a.mp3", "x");
        home.Dir().WriteFile("tree/songs/b.mp3", "y");
        home.Dir().WriteFile("tree/notes.txt", "z");
    }

    std::string WorkingDatabase() const { return home.DataFolder() + "index.dat"; }
    QString SocketPath() const { return QString::fromStdString(home.RuntimeFolder() + "/TQuilloryForm1"); }
    QString SearchSocketPath() const { return SocketPath() + QStringLiteral(".search"); }

    // A working database that describes the test tree (no rescan at start-up unless asked).
    void WriteWorkingDatabase(bool rescanOnStartup = false) {
        CreateDataFolder();
        TProgramOptions options(tree + "/\r\n");
        EntryList empty;
        SaveDatabase(empty, options, WorkingDatabase(), ActivityLog());
        WriteSettings(rescanOnStartup);
    }

    void WriteSettings(bool rescanOnStartup) {
        home.Dir().WriteFile("config/Marlowen/Quillory.conf", std::string("[Options]\nRescanOnStartup=") +
                                                                  (rescanOnStartup ? "1" : "0") +
                                                                  "\nStartWindowsStarts=0\n");
    }

    void Start(QProcess& process, const QStringList& arguments = {}) {
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUILLORY_APP_PATH), arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // A running copy claims its socket before it loads the database, and opens the search
    // channel beside it once the load is through.
    bool WaitForRunningCopy(QProcess& process) {
        // QProcess learns of an end while events are processed, as qWaitFor does.
        return QTest::qWaitFor(
                   [&] {
                       return QFileInfo::exists(SearchSocketPath()) ||
                              process.state() == QProcess::NotRunning;
                   },
                   30000) &&
               process.state() != QProcess::NotRunning;
    }

    // A second start with the word "exit" (which must end at once with status 0), then the
    // running copy's end within `timeoutMs`.
    bool EndWithExitWord(QProcess& running, int timeoutMs) {
        EXPECT_EQ(RunToEnd({QStringLiteral("exit")}), 0);
        return running.waitForFinished(timeoutMs);
    }

    int RunToEnd(const QStringList& arguments, QByteArray* errors = nullptr) {
        QProcess process;
        Start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(20000));
        if (errors) *errors = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    // quillory-cli search with this test's folders; the time in its status line blanked.
    test::ProcessResult Cli(std::vector<std::string> args) const {
        args.insert(args.begin(), "search");
        std::vector<std::pair<std::string, std::string>> env;
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            env.emplace_back(name, qgetenv(name).toStdString());
        test::ProcessResult result = test::RunCli(args, env);
        result.err = std::regex_replace(result.err, std::regex(R"([0-9]+\.[0-9]{3} sec\.)"), "T sec.");
        return result;
    }

    // A rescan of the test tree has ended in the running copy: its catalogue names `name`
    // while the working database on disk lists nothing.
    bool WaitUntilTheProgramFinds(const std::string& name) const {
        return QTest::qWaitFor([&] { return Cli({name}).out.find(name) != std::string::npos; }, 30000);
    }

    // The first byte of the running copy's answer to a search of its database: kAnswerRunning
    // when it searches its catalogue, kAnswerBusy while a rescan or a build of its search
    // names owns the catalogue; 0 when nothing came.
    char FirstAnswerByte() const {
        command::ChannelRequest request;
        request.databasePath = WorkingDatabase();
        request.environment = command::OutputEnvironment();
        request.args = {"zqxj"};
        const auto deadline = LocalSocketConnection::Clock::now() + std::chrono::seconds(5);
        LocalSocketConnection connection(SearchSocketPath().toStdString(), deadline);
        char first = 0;
        if (!connection.Connected() || !connection.SendAll(command::EncodeRequest(request), deadline) ||
            connection.ReadSome(&first, 1, deadline) != 1) {
            return 0;
        }
        return first;
    }
    bool WaitForFirstAnswerByte(char expected) const {
        return QTest::qWaitFor([&] { return FirstAnswerByte() == expected; }, 30000);
    }

    size_t SavedCount(TProgramOptions* options = nullptr) const {
        EntryList loaded;
        TProgramOptions read;
        LoadDatabase(loaded, read, WorkingDatabase(), QuietLog());
        if (options) *options = read;
        return loaded.Count();
    }

    IsolatedHome home;
    QProcessEnvironment environment;
    std::string tree;
};

TEST_F(ProgramProcessTest, ExitWithNoRunningCopyEndsAtOnceAndCreatesNothing) {
    EXPECT_EQ(RunToEnd({QStringLiteral("exit")}), 0);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home.DataFolder())));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home.ConfigFolder() + "/Marlowen")));
}

TEST_F(ProgramProcessTest, FirstStartCreatesTheDataFolderTheStartEntryAndAtTheEndTheDatabaseAndSettings) {
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(home.DataFolder())));
    // "Start program when Windows starts" is on by default: the log-on entry is written.
    const std::string entry = ReadFileBytes(home.ConfigFolder() + "/autostart/Quillory.desktop");
    EXPECT_NE(entry.find("Exec="), std::string::npos) << entry;
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(home.ConfigFolder() + "/Marlowen/Quillory.conf")));

    ASSERT_TRUE(EndWithExitWord(running, 30000));
    EXPECT_EQ(running.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(WorkingDatabase())));
    const std::string settings = ReadFileBytes(home.ConfigFolder() + "/Marlowen/Quillory.conf");
    for (const char* line :
         {"RescanOnStartup=1", "MinimizeOnStartup=0", "StartWindowsStarts=1", "MaxResultsCount=10000",
          "HotKeyID1=0", "Find%20files=1", "Case%20sensitive=0"}) {
        EXPECT_NE(settings.find(line), std::string::npos) << line << "\n" << settings;
    }
}

TEST_F(ProgramProcessTest, ExitWordSavesTheRunningCopyAndEndsIt) {
    WriteWorkingDatabase();
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    ASSERT_TRUE(EndWithExitWord(running, 20000));
    EXPECT_EQ(running.exitCode(), 0);
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    const std::string settings = ReadFileBytes(home.ConfigFolder() + "/Marlowen/Quillory.conf");
    EXPECT_NE(settings.find("Find%20folders=1"), std::string::npos) << settings;
    EXPECT_NE(settings.find("MaxResultsCount=10000"), std::string::npos) << settings;
    EXPECT_EQ(SavedCount(), 0u);
    EXPECT_FALSE(QFileInfo::exists(SocketPath()));
}

TEST_F(ProgramProcessTest, RescanWordMakesTheRunningCopyRescan) {
    WriteWorkingDatabase();
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    EXPECT_EQ(RunToEnd({QStringLiteral("rescan")}), 0);
    ASSERT_TRUE(WaitUntilTheProgramFinds("notes.txt"));
    ASSERT_TRUE(EndWithExitWord(running, 20000));
    TProgramOptions options;
    EXPECT_EQ(SavedCount(&options), 4u);  // songs, a.mp3, b.mp3, notes.txt
    EXPECT_NE(options.LastRescanTime, 0.0);
}

TEST_F(ProgramProcessTest, RescanWordWithNoRunningCopyStartsOneThatRescans) {
    WriteWorkingDatabase();
    QProcess started;
    Start(started, {QStringLiteral("rescan")});
    ASSERT_TRUE(WaitForRunningCopy(started));
    ASSERT_TRUE(WaitUntilTheProgramFinds("notes.txt"));
    ASSERT_TRUE(EndWithExitWord(started, 20000));
    EXPECT_GT(SavedCount(), 0u);
}

TEST_F(ProgramProcessTest, TerminationSignalEndsInOrderWithTheDatabaseSaved) {
    WriteWorkingDatabase(true);
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    ASSERT_TRUE(WaitUntilTheProgramFinds("notes.txt"));  // the start-up rescan has run
    ::kill(static_cast<pid_t>(running.processId()), SIGTERM);
    ASSERT_TRUE(running.waitForFinished(20000));
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running.exitCode(), 0);
    EXPECT_GT(SavedCount(), 0u);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(home.ConfigFolder() + "/Marlowen/Quillory.conf")));
}

// A complete catalogue in index.dat and in the named database it belongs to, rescanned a
// moment ago (so the end of the program would copy it over the named one), whose folder is
// the whole file system: a rescan of it runs for seconds.
void WriteCompleteDatabases(const std::string& working, const std::string& named) {
    CreateDataFolder();
    EntryList entries;
    for (const char* name : {"one.txt", "two.txt", "three.txt"}) {
        TMyItem& entry = entries.AcquireEntry(name);
        entry.SetFolder(entries.InternFolder("/complete/"));
    }
    TProgramOptions options("/\r\n");
    options.DBFileName = named;
    options.LastRescanTime = NowDateTime();
    const ActivityLog log("/dev/null", LocaleFormats::ForLocale("en_US"), [] { return 0.0; });
    SaveDatabase(entries, options, working, log);
    SaveDatabase(entries, options, named, log);
}

TEST_F(ProgramProcessTest, EveryEndingDuringARescanLeavesTheCompleteFilesByteForByte) {
    const std::string named = home.Dir() / "everything.qdb";
    WriteCompleteDatabases(WorkingDatabase(), named);
    WriteSettings(false);
    const std::string workingBefore = ReadFileBytes(WorkingDatabase());
    const std::string namedBefore = ReadFileBytes(named);
    for (const QString& ending :
         {QStringLiteral("exit"), QStringLiteral("SIGTERM"), QStringLiteral("SIGHUP")}) {
        SCOPED_TRACE(ending.toStdString());
        QProcess running;
        Start(running);
        ASSERT_TRUE(WaitForRunningCopy(running));
        // The loaded catalogue is answered from, then the rescan takes it.
        ASSERT_TRUE(WaitForFirstAnswerByte(command::kAnswerRunning));
        EXPECT_EQ(RunToEnd({QStringLiteral("rescan")}), 0);
        ASSERT_TRUE(WaitForFirstAnswerByte(command::kAnswerBusy));
        if (ending == QStringLiteral("exit")) {
            EXPECT_EQ(RunToEnd({QStringLiteral("exit")}), 0);
        } else {
            ::kill(static_cast<pid_t>(running.processId()),
                   ending == QStringLiteral("SIGTERM") ? SIGTERM : SIGHUP);
        }
        ASSERT_TRUE(running.waitForFinished(30000));
        EXPECT_EQ(running.exitCode(), 0) << running.readAllStandardError().constData();
        EXPECT_TRUE(ReadFileBytes(WorkingDatabase()) == workingBefore);
        EXPECT_TRUE(ReadFileBytes(named) == namedBefore);
    }
}

TEST_F(ProgramProcessTest, FirstStartWhoseRescanIsStoppedStillSavesWhatItFound) {
    WriteSettings(false);
    home.Dir().WriteFile("config/Marlowen/Quillory.conf",
                         "[Options]\nRescanOnStartup=1\nStartWindowsStarts=0\n");
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    // The start-up rescan of the whole file system owns the catalogue.
    ASSERT_TRUE(WaitForFirstAnswerByte(command::kAnswerBusy));
    ASSERT_TRUE(EndWithExitWord(running, 30000));
    TProgramOptions options;
    EXPECT_GT(SavedCount(&options), 0u);
    EXPECT_EQ(options.LastRescanTime, 0.0);  // never completed
}

TEST_F(ProgramProcessTest, AFailedSaveAtTheEndKeepsTheOldFileSavesTheSettingsAndEndsWithStatusOne) {
    CreateDataFolder();
    EntryList entries;
    for (int i = 0; i < 400; ++i) {
        entries.AcquireEntry("file number " + std::to_string(i) + ".txt")
            .SetFolder(entries.InternFolder(tree + "/"));
    }
    SaveDatabase(entries, TProgramOptions(tree + "/\r\n"), WorkingDatabase(), QuietLog());
    WriteSettings(false);
    const std::string before = ReadFileBytes(WorkingDatabase());
    ASSERT_GT(before.size(), 8192u);
    QProcess running;
    {
        // The disk fills up under the running program: no file may grow past 8 KiB.
        test::FileSizeLimit full(8192);
        Start(running);
    }
    ASSERT_TRUE(WaitForRunningCopy(running));
    ASSERT_TRUE(EndWithExitWord(running, 20000));
    EXPECT_EQ(running.exitCode(), 1);
    const QByteArray errors = running.readAllStandardError();
    EXPECT_NE(errors.indexOf(QByteArray::fromStdString("not saved to \"" + WorkingDatabase() + "\"")), -1)
        << errors.constData();
    EXPECT_TRUE(ReadFileBytes(WorkingDatabase()) == before);
    const std::string settings = ReadFileBytes(home.ConfigFolder() + "/Marlowen/Quillory.conf");
    EXPECT_NE(settings.find("MaxResultsCount=10000"), std::string::npos) << settings;
}

TEST_F(ProgramProcessTest, ASecondStartHandsItsRequestToTheRunningCopyAndEnds) {
    WriteWorkingDatabase();
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    // No parameter: the running copy shows its window; this start ends at once.
    EXPECT_EQ(RunToEnd({}), 0);
    // A database named relative to the folder the start was made in: the running copy opens
    // it and remembers its absolute path, whatever folder a later start is made from.
    const std::string music = home.Dir().MakeDir("music") + "/music.qdb";
    {
        EntryList entries;
        entries.AcquireEntry("song.flac").SetFolder(entries.InternFolder("/music/"));
        SaveDatabase(entries, TProgramOptions("/music/\r\n"), music, QuietLog());
    }
    QProcess second;
    second.setWorkingDirectory(QString::fromStdString(home.Dir() / "music"));
    Start(second, {QStringLiteral("music.qdb")});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(running.state(), QProcess::Running);

    ASSERT_TRUE(EndWithExitWord(running, 20000));
    const std::string settings = ReadFileBytes(home.ConfigFolder() + "/Marlowen/Quillory.conf");
    EXPECT_NE(settings.find("DBFileName=" + music + "\n"), std::string::npos) << settings;
    EXPECT_EQ(SavedCount(), 1u);  // the opened database's one entry
}

TEST_F(ProgramProcessTest, TwoStartsAtTheSameMomentLeaveOneRunningCopy) {
    WriteWorkingDatabase();
    QProcess first;
    QProcess second;
    Start(first);
    Start(second);
    // One of them hands over to the other and ends with status 0.
    QElapsedTimer waited;
    waited.start();
    // QProcess learns of an end only while it waits.
    while (first.state() == QProcess::Running && second.state() == QProcess::Running &&
           waited.elapsed() < 20000) {
        first.waitForFinished(10);
        second.waitForFinished(10);
    }
    QProcess& ended = first.state() == QProcess::Running ? second : first;
    QProcess& survivor = first.state() == QProcess::Running ? first : second;
    ASSERT_EQ(ended.state(), QProcess::NotRunning);
    EXPECT_EQ(ended.exitCode(), 0);
    ASSERT_EQ(survivor.state(), QProcess::Running);
    ASSERT_TRUE(WaitForRunningCopy(survivor));
    ASSERT_TRUE(EndWithExitWord(survivor, 20000));
    EXPECT_EQ(survivor.exitCode(), 0);
}

TEST_F(ProgramProcessTest, DamagedWorkingDatabaseIsRenamedAsideAndTheNextStartIsClean) {
    CreateDataFolder();
    WriteSettings(false);
    home.Dir().WriteFile("data/quillory/index.dat", std::string("\x10\x00\x00\x00garbage", 11));
    const auto localSecond = [] { return QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss").toStdString(); };
    const std::string before = localSecond();
    QByteArray errors;
    EXPECT_EQ(RunToEnd({}, &errors), 1);
    const std::string after = localSecond();
    EXPECT_NE(errors.indexOf("index.dat.damaged-"), -1) << errors.constData();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(WorkingDatabase())));
    const QStringList aside = QDir(QString::fromStdString(home.DataFolder()))
                                  .entryList({QStringLiteral("index.dat.damaged-*")}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    // Named after the local time of the start, to the second.
    const std::string stamp = aside[0].mid(18).toStdString();
    EXPECT_TRUE(before <= stamp && stamp <= after) << before << " " << stamp << " " << after;
    // Nothing was saved at that end: not the settings either.
    EXPECT_EQ(ReadFileBytes(home.ConfigFolder() + "/Marlowen/Quillory.conf"),
              "[Options]\nRescanOnStartup=0\nStartWindowsStarts=0\n");

    QProcess next;
    Start(next);
    ASSERT_TRUE(WaitForRunningCopy(next));
    ASSERT_TRUE(EndWithExitWord(next, 20000));
    EXPECT_EQ(next.exitCode(), 0);
}

TEST_F(ProgramProcessTest, DamagedDatabaseNamedOnTheCommandLineIsLeftAsItIs) {
    WriteSettings(false);
    const std::string damaged = home.Dir().WriteFile("music.qdb", std::string("\x10\x00\x00\x00garbage", 11));
    EXPECT_EQ(RunToEnd({QString::fromStdString(damaged)}), 1);
    EXPECT_EQ(ReadFileBytes(damaged), std::string("\x10\x00\x00\x00garbage", 11));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(WorkingDatabase())));
}

// Whether every thread of process `pid` is stopped ("T" in its stat), waiting up to five
// seconds: a stop signal takes effect on each thread when that thread next runs.
bool WaitUntilStopped(pid_t pid) {
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    const auto allStopped = [&] {
        const QStringList threads = QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        if (threads.isEmpty()) return false;
        for (const QString& thread : threads) {
            QFile file(tasks + QLatin1Char('/') + thread + QStringLiteral("/stat"));
            if (!file.open(QIODevice::ReadOnly)) return false;
            const QByteArray line = file.readAll();
            // The state follows the command name, which is in parentheses and may hold spaces.
            const qsizetype close = line.lastIndexOf(')');
            if (close < 0 || close + 2 >= line.size() || line[close + 2] != 'T') return false;
        }
        return true;
    };
    for (int i = 0; i < 500; ++i) {
        if (allStopped()) return true;
        QThread::msleep(10);
    }
    return false;
}

// quillory-cli asks the running program: the same bytes, status line and exit status as from
// the file; a stopped or killed program costs the CLI only its short wait before the file.
TEST_F(ProgramProcessTest, CliAnswersFromTheRunningProgramAndFallsBackWithoutIt) {
    CreateDataFolder();
    EntryList entries;
    const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 0, 0, 0});
    for (const char* name :
         {"Quarterly Report.pdf", "song.MP3", "b.mp3", "Ärger.mp3", "report final copy.txt"}) {
        TMyItem& entry = entries.AcquireEntry(name);
        entry.SetFolder(entries.InternFolder(tree + "/songs/"));
        entry.Size = static_cast<int64_t>(std::strlen(name)) * 1000;
        entry.Modified = entry.Created = entry.Accessed = noon;
        entry.Attributes = 0x80;
    }
    SaveDatabase(entries, TProgramOptions(tree + "/\r\n"), WorkingDatabase(), ActivityLog());
    WriteSettings(false);
    const std::vector<std::vector<std::string>> queries = {
        {"mp3"},
        {"--case", "mp3"},
        {"--whole-words", "report"},
        {"--no-folders", "--limit", "1", "r"},
        {"--full-path", "songs"},
        {"*.mp3", "-0"},
        {"--sort", "size:desc", "--limit", "0"},
        {"--format", "table", "--fields", "name,size,modified", "--sort", "name", "e"},
        {"zqxj"},
        {"ärger"},
    };
    std::vector<test::ProcessResult> fromFile;
    for (const auto& query : queries) fromFile.push_back(Cli(query));

    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    // From now on the file finds nothing: an answer with results came from the program.
    EntryList none;
    SaveDatabase(none, TProgramOptions(tree + "/\r\n"), WorkingDatabase(), ActivityLog());
    // The program declines while it builds its name cache after the load.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Cli(queries[0]).out == fromFile[0].out; }, 30000));
    for (size_t i = 0; i < queries.size(); ++i) {
        SCOPED_TRACE(::testing::PrintToString(queries[i]));
        const test::ProcessResult fromProgram = Cli(queries[i]);
        EXPECT_EQ(fromProgram.status, fromFile[i].status);
        EXPECT_EQ(fromProgram.out, fromFile[i].out);
        EXPECT_EQ(fromProgram.err, fromFile[i].err);
    }
    EXPECT_EQ(Cli({"--from-file", "mp3"}).status, 1);

    const auto fallsBackQuickly = [&] {
        QElapsedTimer timer;
        timer.start();
        const test::ProcessResult result = Cli({"mp3"});
        EXPECT_EQ(result.status, 1);  // the (now empty) file was read
        EXPECT_EQ(result.out, "");
        // The CLI gives up after its first-byte wait (200 ms); one that waited as long as a
        // running search may go quiet (10 s) would be hung with the program.
        EXPECT_LT(timer.elapsed(), 10000);
    };
    const pid_t pid = static_cast<pid_t>(running.processId());
    ::kill(pid, SIGSTOP);
    // On a loaded machine a client started at once can still be answered before the stop
    // takes effect: the hung program begins once every thread is stopped.
    ASSERT_TRUE(WaitUntilStopped(pid));
    fallsBackQuickly();
    ::kill(pid, SIGCONT);
    EXPECT_EQ(Cli({"mp3"}).status, 0);
    ::kill(pid, SIGKILL);
    ASSERT_TRUE(running.waitForFinished(20000));
    fallsBackQuickly();  // the socket file is left behind; nobody listens
}

// A full disk under the activity log costs the program only the log's lines: the working
// database loads, stays where it is and is saved at the end; the loss is reported once.
TEST_F(ProgramProcessTest, FullDiskUnderTheLogNeitherStopsNorDamagesTheDatabase) {
    WriteWorkingDatabase();
    const QString log = QString::fromStdString(home.DataFolder() + "quillory.log");
    QFile::remove(log);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), log));
    QProcess running;
    Start(running);
    ASSERT_TRUE(WaitForRunningCopy(running));
    ASSERT_TRUE(EndWithExitWord(running, 20000));
    EXPECT_EQ(running.exitCode(), 0);
    const QByteArray errors = running.readAllStandardError();
    EXPECT_EQ(errors.count("activity log"), 1) << errors.constData();
    EXPECT_EQ(errors.count("quillory: the activity log " + log.toUtf8() +
                           " cannot be written: No space left on device\n"),
              1);
    EXPECT_TRUE(QDir(QString::fromStdString(home.DataFolder()))
                    .entryList({QStringLiteral("index.dat.damaged-*")}, QDir::Files)
                    .isEmpty());
    EXPECT_EQ(SavedCount(), 0u);
}

}  // namespace
}  // namespace quillory::app
