#pragma once
// Builds database files byte by byte, independently of the engine's writer, so tests can
// compare the writer's output with a hand-made file and feed the reader handmade damage.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quillory::test {

class Bytes {
  public:
    Bytes& I32(int32_t v) { return Raw(&v, 4); }
    Bytes& U32(uint32_t v) { return Raw(&v, 4); }
    Bytes& I64(int64_t v) { return Raw(&v, 8); }
    Bytes& F64(double v) { return Raw(&v, 8); }
    Bytes& U8(uint8_t v) { return Raw(&v, 1); }
    Bytes& U16(uint16_t v) { return Raw(&v, 2); }
    Bytes& Str(std::string_view s) {
        U16(static_cast<uint16_t>(s.size()));
        data.append(s);
        return *this;
    }
    Bytes& Append(const std::string& s) {
        data += s;
        return *this;
    }
    std::string data;

  private:
    Bytes& Raw(const void* p, size_t n) {
        // Little-endian on the machines we run on; the tests pin the byte order elsewhere.
        data.append(static_cast<const char*>(p), n);
        return *this;
    }
};

struct HeaderFields {
    int32_t version = 1;
    int32_t count = 0;
    std::string databaseName, dbFileName, included, excluded;
    uint8_t filterOn = 0, includeMode = 0, excludeMode = 0;
    std::string includedExt, excludedExt;
    int32_t lastSeconds = 0;
    double lastTime = 0;
};

inline std::string HeaderBytes(const HeaderFields& h) {
    Bytes b;
    b.I32(h.version).I32(h.count).Str(h.databaseName).Str(h.dbFileName).Str(h.included).Str(h.excluded);
    b.U8(h.filterOn).U8(h.includeMode).U8(h.excludeMode).Str(h.includedExt).Str(h.excludedExt);
    b.I32(h.lastSeconds).F64(h.lastTime);
    return b.data;
}

struct RecordFields {
    std::string name;
    std::string folderField;  // as stored: empty when the folder repeats
    double modified = 0, created = 0, accessed = 0;
    int64_t size = 0;
    uint32_t attributes = 0;
};

inline std::string RecordBytes(const RecordFields& r) {
    Bytes b;
    b.Str(r.name)
        .Str(r.folderField)
        .F64(r.modified)
        .F64(r.created)
        .F64(r.accessed)
        .I64(r.size)
        .U32(r.attributes);
    return b.data;
}

// A block: its 32-bit length (content + 4) then the content.
inline std::string Block(const std::string& content) {
    Bytes b;
    b.I32(static_cast<int32_t>(content.size() + 4));
    return b.data + content;
}

}  // namespace quillory::test
