// The running program's search channel in-process: quillory-cli (a separate process) prints
// the same bytes and exit status whether the server answers from memory or the file is read,
// the server declines while the catalogue is not free, refuses damaged or oversized requests
// and strangers, and stays consistent while the window's thread changes the catalogue.

#include "command/search_server.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <thread>

#include "command/catalogue_keeper.h"
#include "command/search_channel.h"
#include "command/search_channel_client.h"
#include "core/activity_log.h"
#include "core/database.h"
#include "core/entry.h"
#include "platform/date_time.h"
#include "platform/directory_listing.h"
#include "platform/local_socket.h"
#include "results/collation.h"
#include "scan/rescan_observer.h"
#include "tests/app/endless_lister.h"
#include "tests/results/result_builder.h"
#include "tests/support/run_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace quillory::command {
namespace {

using test::AddResult;
using test::ProcessResult;

// The elapsed time is the one part of the status line that differs from run to run.
std::string WithoutTime(const std::string& status) {
    return std::regex_replace(status, std::regex(R"([0-9]+\.[0-9]{3} sec\.)"), "T sec.");
}

void FillSample(EntryList& entries) {
    const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 0, 0, 0});
    AddResult(entries, {"music", "/home/u/", 0, noon, kAttrDirectory});
    AddResult(entries, {"Quarterly Report.pdf", "/home/u/docs/", 120000, noon + 1});
    AddResult(entries, {"quarterly-data.csv", "/home/u/docs/", 3000, noon + 2});
    AddResult(entries, {"song.MP3", "/home/u/music/", 5000000, noon + 3});
    AddResult(entries, {"b.mp3", "/home/u/music/", 4000000, noon - 3});
    AddResult(entries, {"Ärger.mp3", "/home/u/music/", 10, noon - 1});
    AddResult(entries, {"report final copy.txt", "/srv/", 42, noon + 5});
    AddResult(entries, {"tab\there.txt", "/srv/", 7, noon + 6});
    AddResult(entries, {"data", "/srv/", 0, noon, kAttrDirectory});
}

using quillory::test::EndlessLister;

class QuietObserver final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
    void Finished() override { finished = true; }
    std::atomic<bool> finished{false};
};

class SearchServerTest : public ::testing::Test {
  protected:
    SearchServerTest() {
        CreateDataFolder();
        dbPath = home.DataFolder() + "index.dat";
        EntryList entries;
        FillSample(entries);
        SaveDatabase(entries, TProgramOptions(std::string("/home/u/\r\n")), dbPath, ActivityLog());
        // The catalogue in memory is what the file holds.
        auto catalogue = std::make_unique<Catalogue>();
        LoadDatabase(catalogue->Entries, catalogue->Options, dbPath, ActivityLog());
        keeper = std::make_unique<command::CatalogueKeeper>(std::move(catalogue));
        server = std::make_unique<SearchServer>(*keeper, dbPath);
        std::string error;
        EXPECT_TRUE(server->Listen(SearchChannelSocketPath(), &error)) << error;
    }
    ~SearchServerTest() override {
        server.reset();
        keeper.reset();
    }

    // The server counts a connection once the last byte of its answer is sent, which may be
    // just after the client has read that byte and ended: waits for `count`.
    size_t AnsweredBy(size_t count) {
        test::WaitUntil([&] { return server->Answered() >= count; });
        return server->Answered();
    }

    ProcessResult Cli(std::vector<std::string> args, bool fromFile = false,
                      std::vector<std::pair<std::string, std::string>> env = {}) {
        args.insert(args.begin(), "search");
        if (fromFile) args.insert(args.begin() + 1, "--from-file");
        ProcessResult result = test::RunCli(args, env);
        result.err = WithoutTime(result.err);
        return result;
    }

    // Saves `entries` as the database and makes the catalogue in memory what the file holds.
    void UseCatalogue(const EntryList& entries) {
        SaveDatabase(entries, TProgramOptions(std::string("/home/u/\r\n")), dbPath, ActivityLog());
        const auto catalogue = keeper->Write();
        LoadDatabase(catalogue->Entries, catalogue->Options, dbPath, ActivityLog());
    }

    // Replaces the file with one that finds nothing, so an answer from the file shows.
    void EmptyTheFile() {
        EntryList none;
        SaveDatabase(none, TProgramOptions(std::string("/home/u/\r\n")), dbPath, ActivityLog());
    }

    test::IsolatedHome home;
    std::string dbPath;
    std::unique_ptr<command::CatalogueKeeper> keeper;
    std::unique_ptr<SearchServer> server;
};

const std::vector<std::vector<std::string>> kQueries = {
    {"quarterly"},
    {"--limit", "0", "mp3"},
    {"*.mp3"},
    {"--case", "mp3"},
    {"--whole-words", "report"},
    {"--no-folders", "--limit=1", "a"},
    {"--no-files", "a"},
    {"--full-path", "music"},
    {"--full-path", "/home/u/music/b.mp3"},
    {"--", "report", "+\"final\"", "-\"copy\""},
    {"zqxj"},
    {},
    {"-0", "mp3"},
    {"--sort", "size:desc", "--limit", "0"},
    {"--sort=name", "--format", "table", "--fields", "name,size,modified,attributes", "a"},
    {"--format=list", "--sort", "folder", "e"},
    {"ärger"},
    {"tab"},
};

TEST_F(SearchServerTest, TheSameBytesAndStatusFromMemoryAsFromTheFile) {
    for (bool namesReady : {false, true}) {
        if (namesReady) {
            keeper->PrepareNamesAhead(true);
            keeper->Read();  // the build is done
        }
        for (const std::vector<std::string>& query : kQueries) {
            SCOPED_TRACE(::testing::PrintToString(query) + (namesReady ? " names ready" : ""));
            const ProcessResult fromFile = Cli(query, true);
            const size_t answered = server->Answered();
            const ProcessResult fromMemory = Cli(query);
            EXPECT_EQ(AnsweredBy(answered + 1), answered + 1);
            EXPECT_EQ(fromMemory.status, fromFile.status);
            EXPECT_EQ(fromMemory.out, fromFile.out);
            EXPECT_EQ(fromMemory.err, fromFile.err);
        }
    }
    // A usage error is the command line's own, before anyone is asked.
    const size_t answered = server->Answered();
    const ProcessResult bad = Cli({"--limit", "x"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(server->Answered(), answered);
}

TEST_F(SearchServerTest, AnswersComeFromMemoryUnlessTheFileIsAsked) {
    EmptyTheFile();
    const ProcessResult memory = Cli({"mp3"});
    EXPECT_EQ(memory.status, 0);
    EXPECT_EQ(memory.out, "/home/u/music/song.MP3\n/home/u/music/b.mp3\n/home/u/music/Ärger.mp3\n");
    EXPECT_EQ(Cli({"mp3"}, true).status, 1);
    // --db naming the working database is the same catalogue; another file is read.
    EXPECT_EQ(test::RunCli({"--db", dbPath, "search", "mp3"}).status, 0);
    const std::string other = home.Dir() / "other.qdb";
    std::filesystem::copy_file(dbPath, other);
    EXPECT_EQ(test::RunCli({"--db", other, "search", "mp3"}).status, 1);
    // Other locale settings could sort and format otherwise: the file is read.
    EXPECT_EQ(Cli({"mp3"}, false, {{"LC_ALL", "C"}}).status, 1);
}

TEST_F(SearchServerTest, DeclinesWhileTheCatalogueIsNotFree) {
    EmptyTheFile();
    {
        const auto writing = keeper->Write();
        EXPECT_EQ(Cli({"mp3"}).status, 1);  // the file
    }
    EXPECT_EQ(Cli({"mp3"}).status, 0);

    EndlessLister lister;
    keeper->Driver().SetLister(lister);
    QuietObserver observer;
    ASSERT_TRUE(keeper->StartRescan(observer));
    const size_t answered = server->Answered();
    const ProcessResult during = Cli({"mp3"});
    EXPECT_EQ(during.status, 1);  // the file; the rescan was not stopped
    EXPECT_EQ(AnsweredBy(answered + 1), answered + 1);
    EXPECT_TRUE(keeper->Rescanning());
    keeper->CollectRescan();
    EXPECT_FALSE(keeper->Rescanning());
}

// Many entries with long names: every answer's output is megabytes, far more than a socket
// buffer holds. Sizes, dates and names repeat, so sorts meet many equal keys.
void FillLarge(EntryList& entries, size_t count) {
    const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 0, 0, 0});
    std::string folder;
    for (size_t i = 0; i < count; ++i) {
        if (i % 100 == 0)
            folder = "/srv/archive/" + std::string(60, 'f') + std::to_string(i / 100 % 37) + "/";
        const std::string name = (i % 3 == 0 ? "Report " : "report ") + std::string(80, 'x') +
                                 std::to_string(i % 501) + (i % 5 == 0 ? ".mp3" : ".txt");
        AddResult(entries, {name, folder, static_cast<int64_t>(i % 97), noon + static_cast<double>(i % 13)});
    }
}

// A connection of its own to the server's socket.
int ConnectToServer() {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = SearchChannelSocketPath();
    std::memcpy(address.sun_path, path.c_str(), path.size());
    EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    return fd;
}

// Raw bytes on a connection of their own; returns what the server sent before it closed the
// connection, or nothing when it did not close it within a generous wait.
std::optional<std::string> Exchange(const std::string& bytes, bool closeWriting = true) {
    const int fd = ConnectToServer();
    const timeval generous{std::chrono::duration_cast<std::chrono::seconds>(test::kGenerousWait).count(), 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &generous, sizeof(generous));
    (void)!::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (closeWriting) ::shutdown(fd, SHUT_WR);
    std::string answer;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof(buffer))) > 0) answer.append(buffer, static_cast<size_t>(got));
    ::close(fd);
    if (got < 0) return std::nullopt;
    return answer;
}

// The first byte of what the server answered `bytes` with.
char AnswerKind(const std::string& bytes) {
    const std::optional<std::string> answer = Exchange(bytes);
    return answer && !answer->empty() ? answer->front() : '\0';
}

TEST_F(SearchServerTest, DamagedOversizedAndSlowRequestsGetAnErrorNotACrash) {
    const std::string kMagic(command::kSearchChannelMagic);
    EXPECT_EQ(AnswerKind("GET / HTTP/1.1\r\n\r\n"), command::kAnswerError);
    EXPECT_EQ(AnswerKind(kMagic + "\xff\xff\xff\x7f"), command::kAnswerError);
    EXPECT_EQ(AnswerKind(kMagic + std::string("\x10\0\0\0abc", 7)), command::kAnswerError);  // ends early
    // A real request over the limit.
    command::ChannelRequest large;
    large.databasePath = dbPath;
    large.environment = command::OutputEnvironment();
    large.args = {std::string(command::kMaxRequestBytes, 'a')};
    EXPECT_EQ(AnswerKind(command::EncodeRequest(large)), command::kAnswerError);
    // A request of another version of the format (an older client): refused, so it reads the file.
    command::ChannelRequest valid;
    valid.databasePath = dbPath;
    valid.environment = command::OutputEnvironment();
    valid.args = {"mp3"};
    EXPECT_EQ(AnswerKind("QSC1" + command::EncodeRequest(valid).substr(4)), command::kAnswerError);
    // Arguments the search command refuses.
    command::ChannelRequest bad;
    bad.databasePath = dbPath;
    bad.environment = command::OutputEnvironment();
    bad.args = {"--no-such-option"};
    const std::string refused = Exchange(command::EncodeRequest(bad)).value_or("");
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused[0], command::kAnswerError);
    EXPECT_NE(refused.find("--no-such-option"), std::string::npos);
    // A client that stops halfway is dropped after the request time, without an answer, and
    // the next one is served.
    server->SetTimeouts(200, 1000);
    EXPECT_EQ(Exchange(kMagic + std::string("\x40\0\0\0", 4), false), std::optional<std::string>(""));
    EXPECT_EQ(Cli({"mp3"}).status, 0);
}

TEST_F(SearchServerTest, ConnectionsOfAnotherUserGetNoAnswer) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs to change user";
    // Open the way so only the credential check stands between the stranger and the answer.
    const std::string path = SearchChannelSocketPath();
    ASSERT_EQ(::chmod(path.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(home.RuntimeFolder().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(home.Dir().Path().c_str(), 0755), 0);
    command::ChannelRequest request;
    request.databasePath = dbPath;
    request.environment = command::OutputEnvironment();
    request.args = {"mp3"};
    const std::string frame = command::EncodeRequest(request);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size());
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) ::_exit(4);
        (void)!::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
        ::shutdown(fd, SHUT_WR);
        char byte;
        // Closed without a byte (the unread request may turn the close into a reset).
        ::_exit(::read(fd, &byte, 1) <= 0 ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Cli({"mp3"}).status, 0);  // the owner still is answered
}

TEST_F(SearchServerTest, LargeAnswersAndSortsWithAndWithoutRanksEqualTheFile) {
    EntryList entries;
    FillLarge(entries, 60000);
    AddResult(entries, {"music", "/home/u/", 0, 0, kAttrDirectory});
    UseCatalogue(entries);
    const std::vector<std::vector<std::string>> queries = {
        {"--limit", "0", "report"},  // about 12 MB: many blocks, more than the socket holds
        {"--limit", "0", "--sort", "name", "x"},
        {"--limit", "0", "--sort", "name:desc", "x"},
        {"--limit", "0", "--sort", "folder", "mp3"},
        {"--limit", "0", "--sort", "folder:desc", "mp3"},
        {"--limit", "0", "--sort", "size", "5"},
        {"--limit", "0", "--sort", "size:desc", "5"},
        {"--limit", "0", "--sort", "date", "7"},
        {"--limit", "0", "--sort", "date:desc", "7"},
        {"--limit", "0", "--sort", "ext:desc", "1"},
        {"--limit", "5000", "--sort", "ext", "r"},
        {"--sort", "size", "--format", "table", "9"},
        {"--no-files", "--sort", "name", "music"},
    };
    const auto compare = [&](const std::string& label) {
        for (const std::vector<std::string>& query : queries) {
            SCOPED_TRACE(::testing::PrintToString(query) + label);
            const ProcessResult fromFile = Cli(query, true);
            const size_t answered = server->Answered();
            const ProcessResult fromMemory = Cli(query);
            EXPECT_EQ(AnsweredBy(answered + 1), answered + 1);
            EXPECT_EQ(fromMemory.status, fromFile.status);
            EXPECT_TRUE(fromMemory.out == fromFile.out)
                << fromMemory.out.size() << " " << fromFile.out.size();
            EXPECT_EQ(fromMemory.err, fromFile.err);
        }
    };
    compare(" without ranks");
    keeper->SetSortCollation(Collation::FromEnvironment(CollationStrength::Tertiary));
    keeper->PrepareNamesAhead();
    // The names and the ranks are built (a hold would stop the ranks' build).
    std::optional<command::ReadHold> idle;
    test::WaitUntil([&] { return (idle = keeper->ReadIfIdle()).has_value(); });
    ASSERT_TRUE(idle);
    ASSERT_TRUE((*idle)->Ranks.Complete((*idle)->Entries.Generation(),
                                        Collation::FromEnvironment(CollationStrength::Tertiary).LocaleId()));
    idle.reset();
    compare(" with ranks");
}

// Connects, sends `request` and reads `bytes` of the answer (all of it with SIZE_MAX) before
// closing; returns the connection still open when `keepOpen`.
int PartialClient(const command::ChannelRequest& request, size_t bytes, bool keepOpen) {
    const int fd = ConnectToServer();
    const std::string frame = command::EncodeRequest(request);
    EXPECT_EQ(::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL), static_cast<ssize_t>(frame.size()));
    ::shutdown(fd, SHUT_WR);
    std::vector<char> buffer(bytes);
    size_t got = 0;
    while (got < bytes) {
        const ssize_t n = ::read(fd, buffer.data() + got, bytes - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    EXPECT_EQ(got, bytes);
    if (keepOpen) return fd;
    ::close(fd);
    return -1;
}

TEST_F(SearchServerTest, ClientsThatLeaveOrStopReadingMidAnswerHurtNeitherServerNorWindow) {
    EntryList entries;
    FillLarge(entries, 60000);
    UseCatalogue(entries);
    keeper->PrepareNamesAhead();
    keeper->Read();
    command::ChannelRequest request;
    request.databasePath = dbPath;
    request.environment = command::OutputEnvironment();
    request.args = {"--limit", "0", "report"};
    const ProcessResult whole = Cli(request.args);
    ASSERT_GT(whole.out.size(), size_t{8} << 20);

    // Gone after the first block: the server notices, stops and serves the next client.
    server->SetTimeouts(2000, 5000);
    const size_t answered = server->Answered();
    PartialClient(request, 1 + 4 + 1000, false);
    EXPECT_EQ(Cli(request.args).out, whole.out);
    EXPECT_EQ(AnsweredBy(answered + 2), answered + 2);

    // Still connected but reading nothing: the catalogue is let go once the answer is
    // formatted, while the rest of the answer still waits for the client (the window can
    // change the catalogue meanwhile), and the client is dropped once it goes.
    server->SetTimeouts(2000, 600000);
    const size_t beforeStall = server->Answered();
    const int stalled = PartialClient(request, 1, true);
    ASSERT_TRUE(test::WaitUntil([&] { return !server->Searching(); }));
    EXPECT_EQ(server->Answered(), beforeStall);  // still sending
    { const auto writing = keeper->Write(); }
    ::close(stalled);
    EXPECT_EQ(AnsweredBy(beforeStall + 1), beforeStall + 1);
    EXPECT_EQ(Cli(request.args).out, whole.out);
    EXPECT_EQ(AnsweredBy(beforeStall + 2), beforeStall + 2);
}

// A client that reads its answer slowly holds the program's end for the send time in all, not
// for as long as it keeps reading; one that reads nothing is let go at once when the program
// ends.
TEST_F(SearchServerTest, SlowReadersAreDroppedAtTheDeadlineAndAtTheEnd) {
    EntryList entries;
    FillLarge(entries, 60000);
    UseCatalogue(entries);
    command::ChannelRequest request;
    request.databasePath = dbPath;
    request.environment = command::OutputEnvironment();
    request.args = {"--limit", "0", "report"};  // about 12 MB through the socket
    const size_t whole = Cli(request.args, true).out.size();
    server->SetTimeouts(2000, 1000);
    const size_t answered = server->Answered();
    const int slow = PartialClient(request, 1, true);
    // About 800 kB a second: the whole answer would take some fifteen seconds. The server gives
    // up at the send time and closes; the client reads what was sent until then.
    size_t received = 0;
    char buffer[16 * 1024];
    for (ssize_t got; (got = ::read(slow, buffer, sizeof(buffer))) > 0;) {
        received += static_cast<size_t>(got);
        if (server->Answered() == answered) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_LT(received, whole);
    EXPECT_EQ(AnsweredBy(answered + 1), answered + 1);
    ::close(slow);

    // Reading nothing, with a send time far longer than the wait below.
    server->SetTimeouts(2000, 600000);
    const int stalled = PartialClient(request, 1, true);
    // Once the answer fills the client's socket and the catalogue is let go, the server waits.
    ASSERT_TRUE(test::WaitUntil([&] {
        int pending = 0;
        ::ioctl(stalled, FIONREAD, &pending);
        return pending > 0 && !server->Searching();
    }));
    std::atomic<bool> ended{false};
    std::thread ending([&] {
        server.reset();
        ended = true;
    });
    const bool endedWhileStalled = test::WaitUntil([&] { return ended.load(); });
    ::close(stalled);  // lets a server that did not end at once end now
    ending.join();
    EXPECT_TRUE(endedWhileStalled);
}

// Names as long as names get, and a search of them that costs seconds: 200 terms (the most a
// query keeps), none of which matches but one, each a wildcard of many parts.
void FillCostly(EntryList& entries) {
    for (size_t i = 0; i < 60000; ++i)
        AddResult(entries,
                  {std::string(240, 'x') + std::to_string(i), "/srv/" + std::to_string(i / 1000) + "/"});
    AddResult(entries, {"music", "/home/u/", 0, 0, kAttrDirectory});
}
std::vector<std::string> CostlyQuery() {
    std::vector<std::string> args = {"--limit", "0", "music"};
    std::string stars;
    for (int i = 0; i < 40; ++i) stars += "*x";
    for (int t = 1; t < 200; ++t) args.push_back(stars + "*" + std::to_string(t) + "q*");
    return args;
}

// A search of the channel never holds the catalogue from the window: the window (or a
// rescan, or the program's end) stops it at once, and a search past its time stops by itself;
// either way the client is told "busy" and reads the file.
TEST_F(SearchServerTest, CostlySearchesStopForTheWindowAndAtTheirBudget) {
    EntryList entries;
    FillCostly(entries);
    UseCatalogue(entries);
    EmptyTheFile();  // the file finds nothing; the catalogue in memory finds "music"
    server->SetSearchBudget(60000);
    for (const bool programEnds : {false, true}) {
        ProcessResult result;
        std::thread client([&] { result = Cli(CostlyQuery()); });
        const bool searching = test::WaitUntil([&] { return server->Searching(); });
        // A search that were not stopped would hold up the window's change, or the end, until
        // it completed and answered from memory.
        if (programEnds) {
            server.reset();
        } else {
            const auto writing = keeper->Write();
        }
        client.join();
        ASSERT_TRUE(searching);
        EXPECT_EQ(result.status, 1) << programEnds;  // the file's answer
    }
    server = std::make_unique<SearchServer>(*keeper, dbPath);
    ASSERT_TRUE(server->Listen(SearchChannelSocketPath()));
    server->SetSearchBudget(300);
    EXPECT_EQ(Cli(CostlyQuery()).status, 1);
    EXPECT_EQ(Cli({"music"}).status, 0);  // the next search is answered from memory again
}

// Something other than a socket at the channel's path is not replaced, and is reported.
TEST_F(SearchServerTest, SomethingElseAtTheSocketsPathIsReported) {
    server.reset();
    const std::string path = SearchChannelSocketPath();
    ASSERT_EQ(::symlink(dbPath.c_str(), path.c_str()), 0);
    SearchServer other(*keeper, dbPath);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(other.Listen(path));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(std::filesystem::exists(dbPath));
}

// The window's thread changes the catalogue in every way it can while a client keeps asking;
// every answer is one the catalogue gave in some whole state (run under ThreadSanitizer too).
TEST_F(SearchServerTest, AnswersStayWholeWhileTheCatalogueChanges) {
    const std::string tree = home.Dir().MakeDir("tree");
    home.Dir().WriteFile("tree/x.mp3", "x");
    std::atomic<bool> done{false};
    std::atomic<int> answers{0};
    std::atomic<int> wrong{0};
    std::thread client([&] {
        command::ChannelRequest request;
        request.databasePath = dbPath;
        request.environment = command::OutputEnvironment();
        request.args = {"--limit", "0", "mp3"};
        while (!done) {
            std::ostringstream out;
            std::ostringstream err;
            const std::optional<int> status =
                command::AskRunningProgram(SearchChannelSocketPath(), request, out, err, {200, 5000});
            if (!status) continue;
            ++answers;
            // The sample (3 hits), the rescanned tree (1 hit) or an empty catalogue (none).
            const std::string text = out.str();
            const bool whole = (*status == 0 && (text == "/home/u/music/song.MP3\n/home/u/music/b.mp3\n"
                                                         "/home/u/music/Ärger.mp3\n" ||
                                                 text == tree + "/x.mp3\n")) ||
                               (*status == 1 && text.empty());
            if (!whole) ++wrong;
        }
    });
    QuietObserver observer;
    for (int round = 0; round < 30; ++round) {
        {
            const auto catalogue = keeper->Write();
            catalogue->Entries.Clear();
            FillSample(catalogue->Entries);
            catalogue->NamesFor(false);
        }
        keeper->PrepareNamesAhead(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        *keeper->Write() = Catalogue(TProgramOptions(tree + "/\r\n"));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        observer.finished = false;
        ASSERT_TRUE(keeper->StartRescan(observer));
        ASSERT_TRUE(test::WaitUntil([&] { return observer.finished.load(); }));
        keeper->CollectRescan();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    done = true;
    client.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(answers.load(), 0);
}

}  // namespace
}  // namespace quillory::command
