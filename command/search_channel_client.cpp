#include "command/search_channel_client.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ostream>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/local_socket.h"
#include "platform/peer_credentials.h"

namespace quillory::command {

namespace {

// A status line is one short line; anything longer is not an answer of ours.
constexpr uint32_t kMaxStatusBytes = 64 * 1024;

void ReportNotAsked(std::ostream& err, const std::string& socketPath, const char* why) {
    err << "quillory-cli: " << socketPath << ' ' << why << "; the database file is read instead\n";
}

// Whether the socket at `socketPath` may be asked at all: a socket (not a link to one) of
// this user. Nothing there means no program runs; anything else is reported on `err`, as
// an answer through it could come from anyone.
bool MayAsk(const std::string& socketPath, std::ostream& err) {
    struct stat info {};
    if (socketPath.empty() || ::lstat(socketPath.c_str(), &info) != 0) return false;
    if (!S_ISSOCK(info.st_mode)) {
        ReportNotAsked(err, socketPath,
                       "is not the program's socket (a file, folder or link is in its place)");
        return false;
    }
    if (info.st_uid != ::geteuid()) {
        ReportNotAsked(err, socketPath, "belongs to another user");
        return false;
    }
    return true;
}

// Reads an answer past its first byte: the output's blocks to `out` as they come, then the
// end, whose status line goes to `err`. Until the output's first byte is written, an answer
// that breaks off leaves the file to be read; after it, it can only be reported.
std::optional<int> ReadRunningAnswer(LocalSocketConnection& connection, std::ostream& out, std::ostream& err,
                                     int progressMs) {
    bool written = false;
    const auto brokenOff = [&written]() -> std::optional<int> {
        if (written) throw Error("The running program stopped answering; the output is incomplete");
        return std::nullopt;
    };
    std::string block;
    char field[4];
    for (;;) {
        if (!connection.ReadExactly(field, sizeof(field), progressMs)) return brokenOff();
        const uint32_t length = DecodeU32(std::string_view(field, sizeof(field)));
        if (length == 0) break;
        if (length == kSearchStoppedMarker) return brokenOff();  // "busy" after all
        if (length > kMaxAnswerBlockBytes) return brokenOff();
        block.resize(length);
        if (!connection.ReadExactly(block.data(), length, progressMs)) return brokenOff();
        out.write(block.data(), static_cast<std::streamsize>(length));
        if (!out) throw Error("Cannot write the output");
        written = true;
    }
    char end[8];
    if (!connection.ReadExactly(end, sizeof(end), progressMs)) return brokenOff();
    const uint32_t exitStatus = DecodeU32(std::string_view(end, 4));
    const uint32_t statusBytes = DecodeU32(std::string_view(end + 4, 4));
    if (statusBytes > kMaxStatusBytes) return brokenOff();
    std::string status(statusBytes, '\0');
    if (!connection.ReadExactly(status.data(), status.size(), progressMs)) return brokenOff();
    out.flush();
    err << status;
    if (!out) throw Error("Cannot write the output");
    return static_cast<int>(exitStatus);
}

}  // namespace

std::string SearchChannelSocketPath() {
    const std::string folder = UserRuntimeFolder();
    return folder.empty() ? std::string() : folder + std::string(kSearchChannelSocketName);
}

std::optional<int> AskRunningProgram(const std::string& socketPath, const ChannelRequest& request,
                                     std::ostream& out, std::ostream& err, ChannelTimeouts timeouts) {
    if (!MayAsk(socketPath, err)) return std::nullopt;
    const std::string frame = EncodeRequest(request);
    if (frame.size() > kMaxRequestBytes) return std::nullopt;
    const SteadyTime firstByteDeadline = SteadyNow() + std::chrono::milliseconds(timeouts.firstByteMs);
    LocalSocketConnection connection(socketPath, firstByteDeadline);
    if (!connection.Connected()) return std::nullopt;
    // The socket file was ours a moment ago; whoever listens on it now must be too.
    if (!PeerIsSameUser(connection.Descriptor())) {
        ReportNotAsked(err, socketPath, "is served by a program of another user");
        return std::nullopt;
    }
    if (!connection.SendAll(frame, firstByteDeadline)) return std::nullopt;
    // No more requests on this connection: a server waiting for more bytes sees the end.
    connection.FinishSending();
    char kind = 0;
    if (connection.ReadSome(&kind, 1, firstByteDeadline) != 1 || kind != kAnswerRunning) return std::nullopt;
    return ReadRunningAnswer(connection, out, err, timeouts.progressMs);
}

}  // namespace quillory::command
