#include "command/search_channel.h"

#include <cstdlib>
#include <cstring>

namespace quillory::command {

namespace {

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLittle(std::string_view bytes, size_t count) {
    uint64_t value = 0;
    for (size_t i = 0; i < count; ++i) value |= uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return value;
}

void PutString(std::string& out, std::string_view text) {
    PutU32(out, static_cast<uint32_t>(text.size()));
    out.append(text);
}

constexpr size_t kFrameHeaderBytes = 8;
constexpr size_t kFixedFields = 3;

}  // namespace

std::string EncodeRequest(const ChannelRequest& request) {
    std::string payload;
    PutString(payload, request.databasePath);
    std::string flags;
    if (request.outputIsTerminal) flags.push_back('t');
    PutString(payload, flags);
    PutString(payload, request.environment);
    for (const std::string& arg : request.args) PutString(payload, arg);
    std::string frame(kSearchChannelMagic);
    PutU32(frame, static_cast<uint32_t>(payload.size()));
    return frame + payload;
}

DecodeStatus DecodeRequest(std::string_view bytes, ChannelRequest& request) {
    const size_t magicBytes = std::min(bytes.size(), kSearchChannelMagic.size());
    if (bytes.substr(0, magicBytes) != kSearchChannelMagic.substr(0, magicBytes))
        return DecodeStatus::Invalid;
    if (bytes.size() < kFrameHeaderBytes) return DecodeStatus::NeedMore;
    const uint64_t length = GetLittle(bytes.substr(4), 4);
    if (length > kMaxRequestBytes) return DecodeStatus::TooLarge;
    if (bytes.size() < kFrameHeaderBytes + length) return DecodeStatus::NeedMore;
    if (bytes.size() > kFrameHeaderBytes + length) return DecodeStatus::Invalid;  // one request a connection

    std::string_view payload = bytes.substr(kFrameHeaderBytes);
    std::vector<std::string> fields;
    while (!payload.empty()) {
        if (payload.size() < 4) return DecodeStatus::Invalid;
        const uint64_t size = GetLittle(payload, 4);
        if (size > payload.size() - 4) return DecodeStatus::Invalid;
        fields.emplace_back(payload.substr(4, size));
        payload.remove_prefix(4 + size);
    }
    if (fields.size() < kFixedFields) return DecodeStatus::Invalid;
    const std::string& flags = fields[1];
    if (flags != "" && flags != "t") return DecodeStatus::Invalid;
    request.databasePath = std::move(fields[0]);
    request.outputIsTerminal = flags == "t";
    request.environment = std::move(fields[2]);
    request.args.assign(std::make_move_iterator(fields.begin() + kFixedFields),
                        std::make_move_iterator(fields.end()));
    return DecodeStatus::Complete;
}

std::string EncodeBlockLength(uint32_t bytes) {
    std::string out;
    PutU32(out, bytes);
    return out;
}

std::string EncodeAnswerEnd(uint32_t exitStatus, std::string_view statusLine) {
    std::string out;
    PutU32(out, 0);
    PutU32(out, exitStatus);
    PutString(out, statusLine);
    return out;
}

uint32_t DecodeU32(std::string_view bytes) {
    return static_cast<uint32_t>(GetLittle(bytes, 4));
}

std::string EncodeErrorAnswer(std::string_view message) {
    std::string out(1, kAnswerError);
    PutString(out, message);
    return out;
}

std::string OutputEnvironment() {
    std::string text;
    for (const char* name : {"LC_ALL", "LC_COLLATE", "LC_CTYPE", "LC_NUMERIC", "LC_TIME", "LC_MESSAGES",
                             "LANG", "LANGUAGE", "TZ"}) {
        const char* value = std::getenv(name);
        text.append(name).push_back(value ? '=' : '-');
        if (value) text.append(value);
        text.push_back('\n');
    }
    return text;
}

}  // namespace quillory::command
