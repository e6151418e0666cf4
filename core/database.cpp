#include "core/database.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "core/database_header.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/full_path.h"
#include "platform/regular_file_reader.h"

namespace quillory {

static_assert(std::endian::native == std::endian::little,
              "the database layout is written as memory holds it");

namespace {

constexpr size_t kMinRecordBytes = 40;
// The fixed part of a record after its two texts: three dates, the size and the attributes.
constexpr size_t kRecordTailBytes = 3 * sizeof(double) + sizeof(int64_t) + sizeof(uint32_t);
constexpr size_t kFlushBytes = size_t{4} << 20;
// A save's buffer: a flush's worth and room for the block that crosses it.
constexpr size_t kBufferBytes = kFlushBytes + (size_t{1} << 20);
// Records handed to a sink per call at most (a damaged block may claim any number).
constexpr size_t kRecordsPerBatch = 256;

[[noreturn]] void ThrowReadError() {
    throw Error("Stream read error");
}

template <typename T>
void Put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

// The value stored at `p` (the caller has checked that it lies inside the data).
template <typename T>
T Load(const char* p) {
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}

template <typename T>
T Get(std::string_view data, size_t& pos) {
    if (data.size() - pos < sizeof(T)) ThrowReadError();
    const T value = Load<T>(data.data() + pos);
    pos += sizeof(T);
    return value;
}

void CheckLength(std::string_view text, std::string_view field) {
    if (text.size() > kMaxDbStringBytes) {
        throw Error("Cannot save the database: " + std::string(field) + " is " + std::to_string(text.size()) +
                    " bytes long, more than the 65535 a database text can hold");
    }
}

// The header's texts and the count are checked before the file is created. An entry's texts
// are checked as it is encoded: a save that fails there is never committed, so the previous
// file stays as it was and no truncated text is ever stored.
void CheckHeaderAndCount(const EntryList& catalogue, const TProgramOptions& o) {
    for (const HeaderField& f : kHeaderFields) {
        if (f.text) CheckLength(o.*f.text, f.name);
    }
    if (catalogue.Count() > static_cast<size_t>(INT32_MAX)) {
        throw Error("Cannot save the database: it holds more than 2147483647 entries");
    }
}

void CheckEntryLengths(const TMyItem& e) {
    CheckLength(e.Name(), "the name of \"" + EntryFullPath(e) + "\"");
    CheckLength(e.Folder(), "the folder of \"" + EntryFullPath(e) + "\"");
}

// Appends `value` at `at`; returns the position after it.
template <typename T>
char* Store(char* at, T value) {
    std::memcpy(at, &value, sizeof(T));
    return at + sizeof(T);
}

char* StoreDbString(char* at, std::string_view text) {
    at = Store<uint16_t>(at, static_cast<uint16_t>(text.size()));
    // An empty view may have no address at all, which memcpy must not be given.
    if (!text.empty()) std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

// Appends one record: its name, `folder` (empty when it is the previous record's) and its
// fixed tail. The record is put together on the stack and appended at once: appended
// field by field, each of its seven fields cost a capacity check and a call.
void PutRecord(std::string& out, const TMyItem& e, std::string_view folder) {
    constexpr size_t kStackRecordBytes = 1024;
    const std::string_view name = e.Name();
    if (name.size() > kMaxDbStringBytes || folder.size() > kMaxDbStringBytes) CheckEntryLengths(e);
    const size_t bytes = 2 * sizeof(uint16_t) + name.size() + folder.size() + kRecordTailBytes;
    char stackRecord[kStackRecordBytes];
    std::string large;  // for the rare record of long texts
    if (bytes > kStackRecordBytes) large.resize(bytes);
    char* const start = bytes > kStackRecordBytes ? large.data() : stackRecord;
    char* at = StoreDbString(start, name);
    at = StoreDbString(at, folder);
    at = Store<double>(at, e.Modified);
    at = Store<double>(at, e.Created);
    at = Store<double>(at, e.Accessed);
    at = Store<int64_t>(at, e.Size);
    Store<uint32_t>(at, e.Attributes);
    out.append(start, bytes);
}

void PutHeader(std::string& out, const TProgramOptions& o, int32_t count) {
    Put<int32_t>(out, kDatabaseVersion);
    Put<int32_t>(out, count);
    for (const HeaderField& f : kHeaderFields) {
        switch (f.kind) {
            case HeaderFieldKind::Text:
            case HeaderFieldKind::Lines:
                WriteDbString(out, o.*f.text, f.name);
                break;
            case HeaderFieldKind::Flag:
                Put<uint8_t>(out, o.*f.flag ? 1 : 0);
                break;
            case HeaderFieldKind::Seconds:
                Put<int32_t>(out, o.*f.seconds);
                break;
            case HeaderFieldKind::Time:
                Put<double>(out, o.*f.time);
                break;
        }
    }
}

// Patches the length placeholder of the block that starts at `blockStart` in `out`.
void CloseBlock(std::string& out, size_t blockStart) {
    const auto length = static_cast<int32_t>(out.size() - blockStart);
    std::memcpy(out.data() + blockStart, &length, sizeof length);
}

// The header, read into a scratch object before anything is replaced.
struct Header {
    int32_t count = 0;
    TProgramOptions fields{std::string()};
};

// A stored date that is no number or lies outside the years 1 to 9999 (only a damaged file
// holds one) reads as no date.
DateTime StoredDate(double value) {
    return IsValidDateTime(value) ? value : 0;
}

// The database file read front to back through one large buffer. The size is taken when the
// file is opened; a file that shrinks while it is read ends in a read error.
class FileSource {
  public:
    explicit FileSource(const std::string& path) : file_(path), size_(file_.Size()) {
        buffer_.resize(static_cast<size_t>(std::clamp<uint64_t>(size_, 1, kBufferBytes)));
    }

    uint64_t Size() const { return size_; }
    uint64_t Remaining() const { return size_ - pos_; }

    // The next n bytes (n never exceeds Remaining()): a view into the read buffer when they
    // lie in it whole, otherwise copied into `spill`. Valid until the next call.
    std::string_view Take(size_t n, std::string& spill) {
        if (bufferLength_ - bufferPos_ >= n) {
            const std::string_view bytes(buffer_.data() + bufferPos_, n);
            bufferPos_ += n;
            pos_ += n;
            return bytes;
        }
        spill.resize(n);
        for (size_t filled = 0; filled < n;) {
            if (bufferPos_ == bufferLength_) Refill();
            const size_t chunk = std::min(n - filled, bufferLength_ - bufferPos_);
            std::memcpy(spill.data() + filled, buffer_.data() + bufferPos_, chunk);
            bufferPos_ += chunk;
            filled += chunk;
        }
        pos_ += n;
        return spill;
    }

  private:
    static constexpr size_t kBufferBytes = size_t{1} << 20;

    void Refill() {
        const size_t n = file_.Read(buffer_.data(), buffer_.size());
        if (n == 0) ThrowReadError();
        bufferPos_ = 0;
        bufferLength_ = n;
    }

    RegularFileReader file_;
    uint64_t size_ = 0;
    uint64_t pos_ = 0;
    std::string buffer_;
    size_t bufferPos_ = 0;
    size_t bufferLength_ = 0;
};

// Walks the blocks as the reading rule describes. The current block is its content followed,
// when another block follows, by that block's length; it is read where the file's read buffer
// holds it, and copied only when it spans two fills of that buffer.
class BlockReader {
  public:
    explicit BlockReader(FileSource& file) : file_(file) {}

    // Takes the next block of length L: L bytes, or L-4 when fewer than L remain.
    void TakeBlock(int32_t length) {
        if (length < 4) ThrowReadError();
        const uint64_t remaining = file_.Remaining();
        const auto wanted = static_cast<uint64_t>(length);
        const uint64_t take = remaining < wanted ? wanted - 4 : wanted;
        if (remaining < take) ThrowReadError();
        block_ = file_.Take(static_cast<size_t>(take), spill_);
        pos_ = 0;
    }
    void TakeFirstBlock() {
        if (file_.Remaining() < 4) ThrowReadError();
        block_ = file_.Take(4, spill_);
        pos_ = 0;
        TakeBlock(Read<int32_t>());
    }

    size_t Unread() const { return block_.size() - pos_; }
    bool AtFileEnd() const { return file_.Remaining() == 0; }

    template <typename T>
    T Read() {
        return Get<T>(block_, pos_);
    }
    // Valid until the next block is taken.
    std::string_view ReadString() { return ReadDbString(block_, pos_); }
    bool ReadBool() { return Read<uint8_t>() != 0; }

    // The fixed part of a record after its two texts (three dates, the size, the attributes),
    // its length checked once.
    const char* ReadRecordTail() {
        if (Unread() < kRecordTailBytes) ThrowReadError();
        const char* tail = block_.data() + pos_;
        pos_ += kRecordTailBytes;
        return tail;
    }

    // Passes over one record as ReadRecord reads it: it fails exactly where ReadRecord would,
    // with the same error.
    void SkipRecord() {
        ReadString();
        ReadString();
        ReadRecordTail();
    }

  private:
    FileSource& file_;
    std::string_view block_;
    std::string spill_;
    size_t pos_ = 0;
};

Header ReadHeader(BlockReader& in, const ActivityLog& log) {
    Header h;
    in.Read<int32_t>();  // the version is not checked
    h.count = in.Read<int32_t>();
    log.AppendLog(std::string(log_messages::kCountOfRecords) + std::to_string(h.count));
    if (h.count < 0) ThrowReadError();
    TProgramOptions& o = h.fields;
    for (const HeaderField& f : kHeaderFields) {
        switch (f.kind) {
            case HeaderFieldKind::Text:
            case HeaderFieldKind::Lines:
                o.*f.text = in.ReadString();
                break;
            case HeaderFieldKind::Flag:
                o.*f.flag = in.ReadBool();
                break;
            case HeaderFieldKind::Seconds:
                o.*f.seconds = in.Read<int32_t>();
                break;
            case HeaderFieldKind::Time:
                o.*f.time = StoredDate(in.Read<double>());
                break;
        }
    }
    return h;
}

DatabaseRecord ReadRecord(BlockReader& in, std::string_view previousFolder) {
    DatabaseRecord r;
    r.Name = in.ReadString();
    r.Folder = in.ReadString();
    r.FolderStored = !r.Folder.empty();
    if (!r.FolderStored) r.Folder = previousFolder;
    const char* tail = in.ReadRecordTail();
    r.Modified = StoredDate(Load<double>(tail));
    r.Created = StoredDate(Load<double>(tail + 8));
    r.Accessed = StoredDate(Load<double>(tail + 16));
    r.Size = Load<int64_t>(tail + 24);
    r.Attributes = Load<uint32_t>(tail + 32);
    return r;
}

// Builds the catalogue that LoadDatabase swaps in.
class EntryListSink : public DatabaseRecordSink {
  public:
    void Begin(size_t claimedCount, uint64_t fileSize) override {
        // Reserve by what the file can hold, never by the count it claims.
        list.Reserve(static_cast<size_t>(std::min<uint64_t>(claimedCount, fileSize / kMinRecordBytes)));
    }
    void Records(std::span<const DatabaseRecord> records) override {
        for (const DatabaseRecord& r : records) {
            if (r.FolderStored) folder_ = list.InternFolder(r.Folder);
            AppendRecord(list, r, folder_);
        }
    }

    EntryList list;

  private:
    FolderRef folder_;
};

}  // namespace

void WriteDbString(std::string& buffer, std::string_view text, std::string_view field) {
    CheckLength(text, field);
    Put<uint16_t>(buffer, static_cast<uint16_t>(text.size()));
    buffer.append(text);
}

std::string_view ReadDbString(std::string_view data, size_t& pos) {
    const auto length = Get<uint16_t>(data, pos);
    if (data.size() - pos < length) ThrowReadError();
    const std::string_view text = data.substr(pos, length);
    pos += length;
    return text;
}

void SaveDatabase(const EntryList& catalogue, const TProgramOptions& options, const std::string& path,
                  const ActivityLog& log) {
    const size_t count = catalogue.Count();
    log.AppendLog(log_messages::kStartSave);
    log.AppendLog(std::string(log_messages::kCountOfRecords) + std::to_string(count));
    CheckHeaderAndCount(catalogue, options);

    AtomicFileWriter file(path);
    std::string out;
    out.reserve(kBufferBytes);
    size_t blockStart = 0;
    Put<int32_t>(out, 0);
    PutHeader(out, options, static_cast<int32_t>(count));

    std::string_view previousFolder;
    const std::span<const TMyItem> entries = catalogue.Entries();
    for (size_t i = 0; i < count; ++i) {
        const TMyItem& e = entries[i];
        // Entries of one folder share its interned text: the same address says "same folder"
        // without comparing the path; different addresses still compare by content.
        const std::string_view folder = e.Folder();
        const bool sameFolder =
            (folder.data() == previousFolder.data() && folder.size() == previousFolder.size()) ||
            folder == previousFolder;
        PutRecord(out, e, sameFolder ? std::string_view() : folder);
        if (!sameFolder) previousFolder = folder;
        if (i % kRecordsPerBlock == kRecordsPerBlock - 1) {
            CloseBlock(out, blockStart);
            if (out.size() >= kFlushBytes) {
                file.Write(out);
                file.StartWriteback();
                out.clear();
            }
            blockStart = out.size();
            Put<int32_t>(out, 0);
        }
    }
    CloseBlock(out, blockStart);
    file.Write(out);
    file.Commit();
    log.AppendLog(log_messages::kEndSave);
}

namespace {

// The records after the header by the reading rule, handed to `sink` or, without one, only
// checked; returns how many were read.
size_t ReadRecords(BlockReader& in, size_t count, DatabaseRecordSink* sink) {
    // A record that stores no folder text takes the previous one's; across a block end that
    // text is kept here, as the block that held it is replaced.
    std::string carriedFolder;
    std::vector<DatabaseRecord> records;
    size_t read = 0;
    for (;;) {
        if (sink) {
            records.clear();
            std::string_view previousFolder = carriedFolder;
            while (in.Unread() > 10) {
                records.push_back(ReadRecord(in, previousFolder));
                previousFolder = records.back().Folder;
                if (records.size() == kRecordsPerBatch) {
                    sink->Records(records);
                    read += records.size();
                    records.clear();
                }
            }
            sink->Records(records);
            read += records.size();
            if (previousFolder.data() != carriedFolder.data()) carriedFolder.assign(previousFolder);
        } else {
            while (in.Unread() > 10) {
                in.SkipRecord();
                ++read;
            }
        }
        if (in.AtFileEnd()) count = read;
        if (read == count) break;
        in.TakeBlock(in.Read<int32_t>());
    }
    return read;
}

size_t ReadFile(const std::string& path, const ActivityLog& log, DatabaseRecordSink* sink,
                TProgramOptions& options) {
    log.AppendLog(log_messages::kStartLoad);
    FileSource file(FullPath(path));
    BlockReader in(file);
    in.TakeFirstBlock();
    Header header = ReadHeader(in, log);
    if (sink) sink->Begin(static_cast<size_t>(header.count), file.Size());
    const size_t read = ReadRecords(in, static_cast<size_t>(header.count), sink);
    log.AppendLog(std::string(log_messages::kRealCountOfRecords) + std::to_string(read));
    log.AppendLog(log_messages::kEndLoad);
    CopyHeaderFields(std::move(header.fields), options);
    return read;
}

}  // namespace

size_t ReadDatabase(const std::string& path, const ActivityLog& log, DatabaseRecordSink& sink,
                    TProgramOptions& options) {
    return ReadFile(path, log, &sink, options);
}

size_t CheckDatabase(const std::string& path, const ActivityLog& log, TProgramOptions& options) {
    return ReadFile(path, log, nullptr, options);
}

void LoadDatabase(EntryList& catalogue, TProgramOptions& options, const std::string& path,
                  const ActivityLog& log) {
    EntryListSink sink;
    TProgramOptions fields{std::string()};
    ReadDatabase(path, log, sink, fields);
    // Only a load that got through every step replaces anything.
    catalogue.Swap(sink.list);
    CopyHeaderFields(std::move(fields), options);
}

TMyItem& AppendRecord(EntryList& list, const DatabaseRecord& record, FolderRef folder) {
    TMyItem& entry = list.AcquireEntry(record.Name);
    entry.SetFolder(folder);
    CopyEntryValues(entry, record);
    return entry;
}

}  // namespace quillory
