#pragma once
// The search channel: quillory-cli hands a search to the running program of the same user
// over a local socket beside the program's command-word socket, and prints the answer
// instead of reading the database file.
//
// Request:  "QSC1", payload length (u32, little-endian, at most kMaxRequestBytes), payload =
//           strings, each a u32 length and its bytes: the database the command would read,
//           "t" when its stdout is a terminal (else ""), OutputEnvironment(), then the search
//           command's arguments.
// Answer:   one byte. 'B': the program cannot answer now (a rescan owns its catalogue, it
//           has another database, another locale); 'E', u32 length, text: the request was
//           refused (damaged, too large); 'A': the search runs, followed by the exit status
//           (u32), the status line's length (u32), stdout's length (u64), the status line
//           and stdout's bytes.
// A client treats anything but a complete 'A' answer as "read the file instead".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::cli {

inline constexpr std::string_view kSearchChannelMagic = "QSC1";
inline constexpr uint32_t kMaxRequestBytes = 256 * 1024;
inline constexpr char kAnswerRunning = 'A';
inline constexpr char kAnswerBusy = 'B';
inline constexpr char kAnswerError = 'E';
// The socket's name beside the command-word socket in the runtime folder.
inline constexpr std::string_view kSearchChannelSocketName = "TQuilloryForm1.search";

struct ChannelRequest {
    std::string databasePath;
    bool outputIsTerminal = false;
    std::string environment;
    std::vector<std::string> args;
};

std::string EncodeRequest(const ChannelRequest& request);

enum class DecodeStatus { Complete, NeedMore, Invalid, TooLarge };
// Decodes the bytes received so far. NeedMore until the whole frame is there; TooLarge as
// soon as the header announces more than kMaxRequestBytes; Invalid for anything malformed.
DecodeStatus DecodeRequest(std::string_view bytes, ChannelRequest& request);

struct AnswerHeader {
    uint32_t exitStatus = 0;
    uint32_t errBytes = 0;
    uint64_t outBytes = 0;
};
inline constexpr size_t kAnswerHeaderBytes = 16;
std::string EncodeAnswerHeader(const AnswerHeader& header);
AnswerHeader DecodeAnswerHeader(std::string_view bytes);  // exactly kAnswerHeaderBytes
std::string EncodeErrorAnswer(std::string_view message);

// The settings that shape what the search command prints (locale categories and the time
// zone): a program started with other ones would sort or format differently, so it declines.
std::string OutputEnvironment();

}  // namespace quillory::cli
