#pragma once
// The search channel: quillory-cli hands a search to the running program of the same user
// over a local socket beside the program's command-word socket, and prints the answer
// instead of reading the database file.
//
// Request:  "QSC2", payload length (u32, little-endian, at most kMaxRequestBytes), payload =
//           strings, each a u32 length and its bytes: the database the command would read,
//           the client's flags ("t" when its stdout is a terminal, else ""),
//           OutputEnvironment(), then the search command's arguments.
// Answer:   one byte. 'B': the program cannot answer now (a rescan owns its catalogue, it
//           has another database, another locale); 'E', u32 length, text: the request was
//           refused (damaged, too large); 'A': the search runs, followed by stdout's bytes in
//           blocks, each a u32 length (1 to kMaxAnswerBlockBytes) and its bytes, as they are
//           formatted; then the end: a u32 0, the exit status (u32), the status line's
//           length (u32) and the status line. Before the first block, a u32
//           kSearchStoppedMarker in place of a block's length ends the answer: the search
//           was stopped (it ran out of time, or the program needed its catalogue), which is
//           "busy" after all.
// A client treats anything but a complete 'A' answer as "read the file instead"; once it has
// printed part of the output it can only report the answer as broken off. A program that
// knows another version of the format refuses the request, so the client reads the file.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::command {

inline constexpr std::string_view kSearchChannelMagic = "QSC2";
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

// A block of the output longer than this is not one of ours.
inline constexpr uint32_t kMaxAnswerBlockBytes = 64 * 1024 * 1024;
// A block's length field (`bytes` must be 1 to kMaxAnswerBlockBytes).
std::string EncodeBlockLength(uint32_t bytes);
// In place of the first block's length: the search was stopped; the client reads the file.
inline constexpr uint32_t kSearchStoppedMarker = 0xFFFFFFFE;
// The end of the answer: the zero length, the exit status and the status line.
std::string EncodeAnswerEnd(uint32_t exitStatus, std::string_view statusLine);
uint32_t DecodeU32(std::string_view bytes);  // the first four bytes, little-endian
std::string EncodeErrorAnswer(std::string_view message);

// The settings that shape what the search command prints (locale categories and the time
// zone): a program started with other ones would sort or format differently, so it declines.
std::string OutputEnvironment();

}  // namespace quillory::command
