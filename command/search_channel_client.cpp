#include "command/search_channel_client.h"

#include <chrono>
#include <ostream>

#include "platform/error.h"
#include "platform/local_socket.h"

namespace quillory::cli {

namespace {

using Clock = std::chrono::steady_clock;

// A status line is one short line; anything longer is not an answer of ours.
constexpr uint32_t kMaxStatusBytes = 64 * 1024;

}  // namespace

std::string SearchChannelSocketPath() {
    const std::string folder = UserRuntimeFolder();
    return folder.empty() ? std::string() : folder + std::string(kSearchChannelSocketName);
}

std::optional<int> AskRunningProgram(const std::string& socketPath, const ChannelRequest& request,
                                     std::ostream& out, std::ostream& err, ChannelTimeouts timeouts) {
    const std::string frame = EncodeRequest(request);
    if (frame.size() > kMaxRequestBytes) return std::nullopt;
    const Clock::time_point firstByteDeadline =
        Clock::now() + std::chrono::milliseconds(timeouts.firstByteMs);
    LocalSocketConnection connection(socketPath, firstByteDeadline);
    if (!connection.Connected()) return std::nullopt;
    if (!connection.SendAll(frame, firstByteDeadline)) return std::nullopt;
    // No more requests on this connection: a server waiting for more bytes sees the end.
    connection.FinishSending();

    char kind = 0;
    if (connection.ReadSome(&kind, 1, firstByteDeadline) != 1 || kind != kAnswerRunning) return std::nullopt;
    char headerBytes[kAnswerHeaderBytes];
    if (!connection.ReadExactly(headerBytes, sizeof(headerBytes), timeouts.progressMs)) return std::nullopt;
    const AnswerHeader header = DecodeAnswerHeader(std::string_view(headerBytes, sizeof(headerBytes)));
    if (header.errBytes > kMaxStatusBytes) return std::nullopt;
    std::string status(header.errBytes, '\0');
    if (!connection.ReadExactly(status.data(), status.size(), timeouts.progressMs)) return std::nullopt;

    // From here on the output goes out as it arrives.
    char buffer[64 * 1024];
    uint64_t left = header.outBytes;
    while (left > 0) {
        const size_t want = left < sizeof(buffer) ? static_cast<size_t>(left) : sizeof(buffer);
        const size_t got =
            connection.ReadSome(buffer, want, Clock::now() + std::chrono::milliseconds(timeouts.progressMs));
        if (got == 0) throw Error("The running program stopped answering; the output is incomplete");
        out.write(buffer, static_cast<std::streamsize>(got));
        left -= got;
    }
    out.flush();
    err << status;
    if (!out) throw Error("Cannot write the output");
    return static_cast<int>(header.exitStatus);
}

}  // namespace quillory::cli
