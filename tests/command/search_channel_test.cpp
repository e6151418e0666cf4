// The search channel's message format and quillory-cli's side of it, against scripted
// servers: every answer that is not complete leaves the client with nothing written, so it
// reads the file instead.

#include "command/search_channel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

#include "command/search_channel_client.h"
#include "platform/error.h"
#include "platform/local_socket.h"
#include "tests/support/temp_dir.h"

namespace quillory::command {
namespace {

ChannelRequest SampleRequest() {
    ChannelRequest request;
    request.databasePath = "/home/u/.local/share/quillory/index.dat";
    request.outputIsTerminal = true;
    request.environment = OutputEnvironment();
    request.args = {"--limit", "0", "", std::string("nul\0inside", 10), "*.mp3"};
    return request;
}

TEST(CommandSearchChannel, RequestsSurviveTheRoundTrip) {
    for (bool terminal : {false, true}) {
        ChannelRequest request = SampleRequest();
        request.outputIsTerminal = terminal;
        ChannelRequest decoded;
        ASSERT_EQ(DecodeRequest(EncodeRequest(request), decoded), DecodeStatus::Complete);
        EXPECT_EQ(decoded.databasePath, request.databasePath);
        EXPECT_EQ(decoded.outputIsTerminal, terminal);
        EXPECT_EQ(decoded.environment, request.environment);
        EXPECT_EQ(decoded.args, request.args);
    }
    ChannelRequest noArgs;
    ChannelRequest decoded;
    decoded.args = {"stale"};
    ASSERT_EQ(DecodeRequest(EncodeRequest(noArgs), decoded), DecodeStatus::Complete);
    EXPECT_TRUE(decoded.args.empty());
}

TEST(CommandSearchChannel, PartialDamagedAndOversizedRequestsAreTold) {
    const std::string frame = EncodeRequest(SampleRequest());
    ChannelRequest decoded;
    for (size_t size = 0; size < frame.size(); ++size) {
        EXPECT_EQ(DecodeRequest(std::string_view(frame).substr(0, size), decoded), DecodeStatus::NeedMore)
            << size;
    }
    // Not our magic: known at the first byte, not only once a header has arrived.
    EXPECT_EQ(DecodeRequest("G", decoded), DecodeStatus::Invalid);
    EXPECT_EQ(DecodeRequest("GET / HTTP/1.1\r\n\r\n", decoded), DecodeStatus::Invalid);
    // A request of another version of the format.
    EXPECT_EQ(DecodeRequest("QSC1" + frame.substr(4), decoded), DecodeStatus::Invalid);
    // Bytes after the request.
    EXPECT_EQ(DecodeRequest(frame + "x", decoded), DecodeStatus::Invalid);
    // A header announcing more than the limit is refused before the bytes arrive.
    std::string huge(kSearchChannelMagic);
    const uint32_t tooMany = kMaxRequestBytes + 1;
    for (int i = 0; i < 4; ++i) huge.push_back(static_cast<char>((tooMany >> (8 * i)) & 0xFF));
    EXPECT_EQ(DecodeRequest(huge, decoded), DecodeStatus::TooLarge);
    huge = std::string(kSearchChannelMagic) + "\xff\xff\xff\xff";
    EXPECT_EQ(DecodeRequest(huge, decoded), DecodeStatus::TooLarge);
    // A field longer than what is left, too few fields, flags other than "" and "t" (a client
    // that offers what this program does not know is refused, and reads the file).
    const auto withPayload = [](const std::string& payload) {
        std::string f(kSearchChannelMagic);
        for (int i = 0; i < 4; ++i) f.push_back(static_cast<char>((payload.size() >> (8 * i)) & 0xFF));
        return f + payload;
    };
    EXPECT_EQ(DecodeRequest(withPayload(std::string("\x09\0\0\0abc", 7)), decoded), DecodeStatus::Invalid);
    EXPECT_EQ(DecodeRequest(withPayload(std::string("\x01\0\0\0a\0\0\0\0", 9)), decoded),
              DecodeStatus::Invalid);
    EXPECT_EQ(DecodeRequest(withPayload(std::string("\0\0\0\0\x01\0\0\0x\0\0\0\0", 13)), decoded),
              DecodeStatus::Invalid);
    EXPECT_EQ(DecodeRequest(withPayload(std::string("\0\0\0\0\x01\0\0\0t\0\0\0\0", 13)), decoded),
              DecodeStatus::Complete);
    for (const std::string flags : {"m", "tm", "mt", "tt", "T"}) {
        const std::string payload = std::string("\0\0\0\0", 4) + static_cast<char>(flags.size()) +
                                    std::string("\0\0\0", 3) + flags + std::string("\0\0\0\0", 4);
        EXPECT_EQ(DecodeRequest(withPayload(payload), decoded), DecodeStatus::Invalid) << flags;
    }
    EXPECT_EQ(DecodeRequest(withPayload(std::string("\0\0", 2)), decoded), DecodeStatus::Invalid);
}

TEST(CommandSearchChannel, AnswerFieldsAreLittleEndianLengthsAndTheEndCarriesTheStatus) {
    EXPECT_EQ(EncodeBlockLength(0x01020304u), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(DecodeU32(EncodeBlockLength(0xFEDCBA98u)), 0xFEDCBA98u);
    const std::string end = EncodeAnswerEnd(1, "OK! 0 files found.\n");
    ASSERT_EQ(end.size(), 12u + 19u);
    EXPECT_EQ(DecodeU32(end), 0u);  // the zero length that ends the output
    EXPECT_EQ(DecodeU32(end.substr(4)), 1u);
    EXPECT_EQ(DecodeU32(end.substr(8)), 19u);
    EXPECT_EQ(end.substr(12), "OK! 0 files found.\n");
    EXPECT_GT(kSearchStoppedMarker, kMaxAnswerBlockBytes);  // never a block's length
}

// A server that takes one connection, reads the request to its end and plays `script`:
// each step is bytes to send, then a pause.
class ScriptedServer {
  public:
    struct Step {
        std::string bytes;
        int pauseMs = 0;
    };

    ScriptedServer(const std::string& path, std::vector<Step> script, bool accept = true) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size());
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::listen(fd_, 4), 0);
        if (!accept) return;
        thread_ = std::thread([this, script = std::move(script)] {
            const int client = ::accept(fd_, nullptr, nullptr);
            if (client < 0) return;
            char buffer[4096];
            while (::read(client, buffer, sizeof(buffer)) > 0) {
            }
            for (const Step& step : script) {
                (void)!::send(client, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(step.pauseMs));
            }
            ::close(client);
        });
    }
    ~ScriptedServer() {
        if (thread_.joinable()) thread_.join();
        ::close(fd_);
    }

  private:
    int fd_ = -1;
    std::thread thread_;
};

// A whole answer whose output comes in blocks of at most `blockBytes`.
std::string Answer(uint32_t status, const std::string& err, const std::string& out,
                   size_t blockBytes = 4096) {
    std::string answer(1, kAnswerRunning);
    for (size_t at = 0; at < out.size(); at += blockBytes) {
        const std::string block = out.substr(at, blockBytes);
        answer += EncodeBlockLength(static_cast<uint32_t>(block.size())) + block;
    }
    return answer + EncodeAnswerEnd(status, err);
}

class SearchChannelClientTest : public ::testing::Test {
  protected:
    std::optional<int> Ask(ChannelTimeouts timeouts = {200, 500}) {
        return AskRunningProgram(path, SampleRequest(), out, err, timeouts);
    }

    test::TempDir dir;
    std::string path = dir / "sock";
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(SearchChannelClientTest, CompleteAnswerIsPrintedAsIs) {
    {
        ScriptedServer server(path, {{Answer(0, "OK! 2 found\n", std::string("/a/x\0/b/y\0", 10))}});
        EXPECT_EQ(Ask(), std::optional<int>(0));
    }
    EXPECT_EQ(out.str(), std::string("/a/x\0/b/y\0", 10));
    EXPECT_EQ(err.str(), "OK! 2 found\n");
}

TEST_F(SearchChannelClientTest, AnswerInSmallPiecesIsPrintedWhole) {
    const std::string whole = Answer(1, "none\n", "");
    std::vector<ScriptedServer::Step> steps;
    for (char c : whole) steps.push_back({std::string(1, c), 5});
    {
        ScriptedServer server(path, steps);
        EXPECT_EQ(Ask(), std::optional<int>(1));
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "none\n");
}

TEST_F(SearchChannelClientTest, NoProgramBusyRefusalOrSilenceMeansReadTheFile) {
    EXPECT_EQ(Ask(), std::nullopt);  // no socket at all
    EXPECT_EQ(AskRunningProgram("", SampleRequest(), out, err), std::nullopt);
    for (const std::string& first :
         {std::string(1, kAnswerBusy), EncodeErrorAnswer("The request is too large"),
          std::string("HTTP/1.1 400 Bad Request\r\n"), std::string()}) {
        ScriptedServer server(path, {{first}});
        EXPECT_EQ(Ask(), std::nullopt);
        ::unlink(path.c_str());
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
}

TEST_F(SearchChannelClientTest, ProgramThatNeverAnswersCostsOnlyTheFirstByteTime) {
    // Connected (the kernel queues it) but never accepted, as with a stopped program.
    // The first-byte time ends the wait: the progress time, longer than any test waits, never
    // begins.
    ScriptedServer server(path, {}, false);
    constexpr int kProgressMs = 60000;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Ask({200, kProgressMs}), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(150));
    EXPECT_LT(took, std::chrono::milliseconds(kProgressMs));
    EXPECT_EQ(out.str(), "");
}

TEST_F(SearchChannelClientTest, SilenceAfterTheSearchStartedStillFallsBackBeforeAnyOutput) {
    ScriptedServer server(path, {{std::string(1, kAnswerRunning), 1500}});
    EXPECT_EQ(Ask({200, 300}), std::nullopt);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "");
}

TEST_F(SearchChannelClientTest, AnswerBrokenOffAfterPrintedOutputIsAnError) {
    // Two blocks: the first one is printed whole, the second never ends.
    std::string answer = Answer(0, "OK\n", std::string(600, 'p') + std::string(400, 'q'), 600);
    answer.resize(answer.size() - 12 - 3 - 100);
    ScriptedServer server(path, {{answer}});
    EXPECT_THROW(Ask(), Error);
    EXPECT_EQ(out.str(), std::string(600, 'p'));
    EXPECT_EQ(err.str(), "");
}

TEST_F(SearchChannelClientTest, AnswerBrokenOffBeforeAnyOutputMeansReadTheFile) {
    const std::string whole = Answer(0, "OK\n", std::string(1000, 'p'), 2000);
    // After the first byte, inside the first block's length, inside the first block.
    for (const size_t keep : {size_t{1}, size_t{3}, size_t{1 + 4 + 300}}) {
        {
            ScriptedServer server(path, {{whole.substr(0, keep)}});
            EXPECT_EQ(Ask(), std::nullopt) << keep;
        }
        ::unlink(path.c_str());
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), "");
    }
}

TEST_F(SearchChannelClientTest, ManyBlocksArePrintedInOrder) {
    std::string output;
    for (int i = 0; i < 20000; ++i) output += "/some/folder/file number " + std::to_string(i) + "\n";
    {
        ScriptedServer server(path, {{Answer(0, "OK! 20000\n", output, 256 * 1024)}});
        EXPECT_EQ(Ask(), std::optional<int>(0));
    }
    EXPECT_EQ(out.str(), output);
    EXPECT_EQ(err.str(), "OK! 20000\n");
}

TEST_F(SearchChannelClientTest, OverlongStatusOrBlockIsNotAnAnswer) {
    {
        ScriptedServer server(path, {{std::string(1, kAnswerRunning) + EncodeBlockLength(0) +
                                      EncodeBlockLength(0) + EncodeBlockLength(0xFFFFFFFFu)}});
        EXPECT_EQ(Ask(), std::nullopt);
    }
    ::unlink(path.c_str());
    {
        ScriptedServer server(
            path, {{std::string(1, kAnswerRunning) + EncodeBlockLength(kMaxAnswerBlockBytes + 1)}});
        EXPECT_EQ(Ask(), std::nullopt);
    }
    EXPECT_EQ(out.str(), "");
}

// In a runtime folder others can write to, whatever lies at the socket's path may be anyone's:
// only a socket of this user, served by a program of this user, is asked. Anything else is
// reported once, and the file is read.
TEST_F(SearchChannelClientTest, OnlyASocketOfThisUserIsAskedAndAnythingElseIsReported) {
    const std::string answer = Answer(0, "OK! 1\n", "/strangers/answer\n");
    const auto reportedOnce = [this] {
        const std::string said = err.str();
        err.str("");
        return said.find(path) != std::string::npos && std::count(said.begin(), said.end(), '\n') == 1;
    };
    const std::string elsewhere = dir / "elsewhere";
    {
        ScriptedServer real(elsewhere, {{answer}});
        ASSERT_EQ(::symlink(elsewhere.c_str(), path.c_str()), 0);
        EXPECT_EQ(Ask(), std::nullopt);
        EXPECT_TRUE(reportedOnce());
        // Lets the server, never asked, end.
        LocalSocketConnection(elsewhere, std::chrono::steady_clock::now() + std::chrono::seconds(1));
    }
    ::unlink(path.c_str());
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    EXPECT_EQ(Ask(), std::nullopt);
    EXPECT_TRUE(reportedOnce());
    ::rmdir(path.c_str());
    EXPECT_EQ(out.str(), "");

    if (::geteuid() != 0) GTEST_SKIP() << "the rest needs to change user";
    // A socket file of this user, served by a program of another user.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.c_str(), path.size());
        if (::setgid(65534) != 0 || ::setuid(65534) != 0 ||
            ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(listener, 4) != 0 || ::write(ready[1], "r", 1) != 1)
            ::_exit(1);
        const int client = ::accept(listener, nullptr, nullptr);
        char buffer[4096];
        while (::read(client, buffer, sizeof(buffer)) > 0) {
        }
        (void)!::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(::chown(path.c_str(), ::geteuid(), ::getegid()), 0);
    EXPECT_EQ(Ask(), std::nullopt);
    EXPECT_TRUE(reportedOnce());
    EXPECT_EQ(::waitpid(child, nullptr, 0), child);
    EXPECT_EQ(out.str(), "");
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(CommandSearchChannel, SocketLivesInTheRuntimeFolder) {
    test::IsolatedHome home;
    EXPECT_EQ(SearchChannelSocketPath(), home.RuntimeFolder() + "/TQuilloryForm1.search");
}

}  // namespace
}  // namespace quillory::command
