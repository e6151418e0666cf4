#pragma once
// The database file: one catalogue with the description of its database.
//
// Layout (all numbers little-endian; a string is a 16-bit unsigned length n and n bytes of
// text, no terminator; booleans are one byte, written 0 or 1, read as nonzero = true):
//
//   The file is a sequence of blocks. A block is a signed 32-bit length L that counts the
//   whole block, these 4 bytes included, followed by L-4 bytes of content.
//   Block 1 holds the header and records 0..99, block 2 records 100..199, and so on. With N
//   records: N = 0 gives one block holding only the header; N a positive multiple of 100
//   gives a last block with no content (L = 4); otherwise the last block holds N mod 100.
//
//   Header:  int32 version (written 1, never checked)   int32 N
//            string DatabaseName, DBFileName, IncludedFolders, ExcludedFolders
//            byte ExtensionFilterOn, IncludeExtensionsMode, ExcludeExtensionsMode
//            string IncludedExtensions, ExcludedExtensions
//            int32 LastRescanSeconds   double LastRescanTime
//   Record:  string Name
//            string Folder, empty when equal byte for byte to the previous record's folder
//                   (across block ends too; before record 0 the previous folder is empty)
//            double Modified, Created, Accessed   int64 Size   uint32 Attributes
//
// Reading ends at the first block end where the records read reach N, or at the end of the
// file, whichever comes first; at the end of the file the count is the number of records read.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/activity_log.h"
#include "core/entry_list.h"
#include "core/program_options.h"

namespace quillory {

inline constexpr int32_t kDatabaseVersion = 1;
inline constexpr size_t kRecordsPerBlock = 100;
inline constexpr size_t kMaxDbStringBytes = 65535;

// Appends a string field. Throws Error naming `field` when the text is longer than a string
// field can hold.
void WriteDbString(std::string& buffer, std::string_view text, std::string_view field = "text");

// Reads a string field at `pos` of `data`, advancing `pos`. Throws Error "Stream read error"
// when it runs past the end.
std::string_view ReadDbString(std::string_view data, size_t& pos);

// Writes the catalogue's content and the database fields of `options` to `path`. The file is
// replaced only when the whole new content is on disk; on any failure the previous file is
// unchanged and no temporary file is left. Logs ": Start Save of data" and the record count
// before anything else happens, and ": End Save of data" at the end.
void SaveDatabase(const EntryList& catalogue, const TProgramOptions& options, const std::string& path,
                  const ActivityLog& log);

// One record as the reader hands it on. The texts point into the reader's buffer and stay valid
// only during the call that receives them.
struct DatabaseRecord {
    std::string_view Name;
    // The record's folder: the stored text, or the previous record's folder when none is stored.
    std::string_view Folder;
    bool FolderStored;  // the record stored its own folder text
    DateTime Modified;
    DateTime Created;
    DateTime Accessed;
    int64_t Size;
    uint32_t Attributes;
};

// Acquires an entry of `list` for `record` with `folder` as its folder and the record's
// times, size and attributes.
TMyItem& AppendRecord(EntryList& list, const DatabaseRecord& record, FolderRef folder);

// Receives a database as it is read: the header, then the records in file order, a few
// hundred at a time. When reading fails part-way (a damaged file), the error is thrown after
// some records have been handed on; the receiver keeps nothing of them that counts.
class DatabaseRecordSink {
  public:
    virtual ~DatabaseRecordSink() = default;
    // `claimedCount` is the header's record count (never negative here); `fileSize` bounds how
    // many records can really follow.
    virtual void Begin(size_t claimedCount, uint64_t fileSize) = 0;
    // The records that follow the ones handed on before, all from one block of the file.
    virtual void Records(std::span<const DatabaseRecord> records) = 0;
};

// Reads `path` front to back exactly as LoadDatabase does (same checks, errors and log lines),
// handing the records to `sink` instead of keeping them; on success sets the database fields
// of `options` from the header and returns the number of records read. A read that fails
// changes no option.
size_t ReadDatabase(const std::string& path, const ActivityLog& log, DatabaseRecordSink& sink,
                    TProgramOptions& options);

// Reads `path` exactly as LoadDatabase does (same checks, errors and log lines) but keeps no
// record: for a caller that needs only the header, such as a rescan, which refills the
// catalogue from the file system, yet must refuse a damaged file as a load would. On success
// sets the database fields of `options` from the header and returns the number of records
// read; a read that fails changes no option.
size_t CheckDatabase(const std::string& path, const ActivityLog& log, TProgramOptions& options);

// Replaces the catalogue with the records of `path` and sets the database fields of
// `options` from its header. A load that fails changes neither.
void LoadDatabase(EntryList& catalogue, TProgramOptions& options, const std::string& path,
                  const ActivityLog& log);

}  // namespace quillory
