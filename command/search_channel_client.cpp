#include "command/search_channel_client.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ostream>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/local_socket.h"
#include "platform/peer_credentials.h"
#include "platform/scoped_fd.h"
#include "platform/shared_memory_file.h"

namespace quillory::cli {

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

// One request on a connection of its own. `refused`: the program refused the request itself.
std::optional<int> AskOnce(const std::string& socketPath, const ChannelRequest& request, std::ostream& out,
                           std::ostream& err, ChannelTimeouts timeouts, bool& refused) {
    refused = false;
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
    if (connection.ReadSome(&kind, 1, firstByteDeadline) != 1) return std::nullopt;
    refused = kind == kAnswerError;
    if (kind != kAnswerRunning) return std::nullopt;

    // The output goes out block by block as it arrives. Until its first byte is written, an
    // answer that breaks off leaves the file to be read; after it, it can only be reported.
    bool written = false;
    const auto brokenOff = [&written]() -> std::optional<int> {
        if (written) throw Error("The running program stopped answering; the output is incomplete");
        return std::nullopt;
    };
    std::string block;
    char field[4];
    for (;;) {
        if (!connection.ReadExactly(field, sizeof(field), timeouts.progressMs)) return brokenOff();
        const uint32_t length = DecodeU32(std::string_view(field, sizeof(field)));
        if (length == 0) break;
        if (length == kSearchStoppedMarker) return brokenOff();  // "busy" after all
        if (length == kSharedBlockMarker && request.takesSharedBlocks) {
            char size[8];
            const bool whole = connection.ReadExactly(size, sizeof(size), timeouts.progressMs);
            // The file came with the marker; it is closed here whatever happens.
            const ScopedFd file(connection.TakeDescriptor());
            if (!whole || file.Get() < 0) return brokenOff();
            const ReadOnlyMapping shared(file.Get(), DecodeU64(std::string_view(size, sizeof(size))));
            if (!shared.Mapped()) return brokenOff();
            out.write(shared.Bytes().data(), static_cast<std::streamsize>(shared.Bytes().size()));
            if (!out) throw Error("Cannot write the output");
            written = true;
            continue;
        }
        if (length > kMaxAnswerBlockBytes) return brokenOff();
        block.resize(length);
        if (!connection.ReadExactly(block.data(), length, timeouts.progressMs)) return brokenOff();
        out.write(block.data(), static_cast<std::streamsize>(length));
        if (!out) throw Error("Cannot write the output");
        written = true;
    }
    char end[8];
    if (!connection.ReadExactly(end, sizeof(end), timeouts.progressMs)) return brokenOff();
    const uint32_t exitStatus = DecodeU32(std::string_view(end, 4));
    const uint32_t statusBytes = DecodeU32(std::string_view(end + 4, 4));
    if (statusBytes > kMaxStatusBytes) return brokenOff();
    std::string status(statusBytes, '\0');
    if (!connection.ReadExactly(status.data(), status.size(), timeouts.progressMs)) return brokenOff();
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
    bool refused = false;
    const std::optional<int> status = AskOnce(socketPath, request, out, err, timeouts, refused);
    if (status || !refused || !request.takesSharedBlocks) return status;
    // A program older than shared blocks refuses a request that offers them (one running
    // since before an update): it is asked once more the way it knows.
    ChannelRequest plain = request;
    plain.takesSharedBlocks = false;
    return AskOnce(socketPath, plain, out, err, timeouts, refused);
}

}  // namespace quillory::cli
