// Feeds arbitrary bytes to the search channel's request parser, as the running program reads
// them from any client of the same user. Nothing may crash; a request that decodes whole is
// the one encoding of what it holds, every shorter part of it asks for more (the program
// decodes the bytes as they arrive and must not refuse a request that is still coming), and
// its arguments are refused only by a usage error, as the program answers them.

#include <cstdint>
#include <string>
#include <string_view>

#include "command/command_status.h"
#include "command/search_channel.h"
#include "command/search_command.h"

using namespace quillory::command;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ChannelRequest request;
    const DecodeStatus status = DecodeRequest(bytes, request);
    if (status != DecodeStatus::Complete) return 0;
    if (EncodeRequest(request) != bytes) __builtin_trap();
    for (size_t cut = 0; cut < size; cut += 1 + size / 64) {
        ChannelRequest part;
        if (DecodeRequest(bytes.substr(0, cut), part) != DecodeStatus::NeedMore) __builtin_trap();
    }
    try {
        (void)ParseSearchArguments(request.args);
    } catch (const UsageError&) {
    }
    return 0;
}
