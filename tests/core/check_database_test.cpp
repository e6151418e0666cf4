// CheckDatabase reads only the header into the options, yet must accept and refuse exactly the
// files LoadDatabase accepts and refuses, with the same message, the same log lines and the
// same record count: a rescan that relies on it refuses a damaged database as before.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/database.h"
#include "platform/error.h"
#include "tests/support/db_bytes.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::ReadFileBytes;
using test::TempDir;

DateTime FixedNow() {
    return 46000.25;
}

TProgramOptions Kept() {
    TProgramOptions o{"/kept/\r\n"};
    o.DatabaseName = "before";
    o.LastRescanSeconds = 9;
    return o;
}

bool SameHeaderFields(const TProgramOptions& a, const TProgramOptions& b) {
    return a.DatabaseName == b.DatabaseName && a.DBFileName == b.DBFileName &&
           a.IncludedFolders == b.IncludedFolders && a.ExcludedFolders == b.ExcludedFolders &&
           a.ExtensionFilterOn == b.ExtensionFilterOn && a.IncludeExtensionsMode == b.IncludeExtensionsMode &&
           a.ExcludeExtensionsMode == b.ExcludeExtensionsMode &&
           a.IncludedExtensions == b.IncludedExtensions && a.ExcludedExtensions == b.ExcludedExtensions &&
           a.LastRescanSeconds == b.LastRescanSeconds && a.LastRescanTime == b.LastRescanTime;
}

// What reading `path` came to: the record count or the error, the options afterwards and the
// lines it logged.
struct Outcome {
    std::string result;
    TProgramOptions options = Kept();
    std::string log;
};

Outcome ByLoad(const TempDir& dir, const std::string& path) {
    const std::string logPath = dir / "load.log";
    std::filesystem::remove(logPath);
    const ActivityLog log(logPath, LocaleFormats::ForLocale("en_US"), FixedNow);
    Outcome o;
    EntryList catalogue;
    try {
        LoadDatabase(catalogue, o.options, path, log);
        o.result = "records " + std::to_string(catalogue.Count());
    } catch (const Error& e) {
        o.result = e.what();
    }
    o.log = ReadFileBytes(logPath);
    return o;
}

Outcome ByCheck(const TempDir& dir, const std::string& path) {
    const std::string logPath = dir / "check.log";
    std::filesystem::remove(logPath);
    const ActivityLog log(logPath, LocaleFormats::ForLocale("en_US"), FixedNow);
    Outcome o;
    try {
        o.result = "records " + std::to_string(CheckDatabase(path, log, o.options));
    } catch (const Error& e) {
        o.result = e.what();
    }
    o.log = ReadFileBytes(logPath);
    return o;
}

void ExpectSame(const TempDir& dir, const std::string& path, const std::string& what) {
    const Outcome load = ByLoad(dir, path);
    const Outcome check = ByCheck(dir, path);
    EXPECT_EQ(check.result, load.result) << what;
    EXPECT_TRUE(SameHeaderFields(check.options, load.options)) << what;
    EXPECT_EQ(check.log, load.log) << what;
}

// 250 records over three blocks, folders changing every 7 records (runs cross block ends).
std::string SampleDatabase(const TempDir& dir) {
    EntryList list;
    for (size_t i = 0; i < 250; ++i) {
        const FolderRef folder = list.InternFolder("/d" + std::to_string(i / 7) + "/");
        TMyItem& e = list.AcquireEntry("f" + std::to_string(i));
        e.SetFolder(folder);
        e.Modified = e.Created = e.Accessed = 46000.5 + static_cast<double>(i);
        e.Size = static_cast<int64_t>(i);
        e.Attributes = kAttrNormal;
    }
    TProgramOptions o{"/a/\r\n/b/\r\n"};
    o.DatabaseName = "sample";
    o.ExcludedFolders = "/a/x/\r\n";
    o.ExtensionFilterOn = true;
    o.ExcludedExtensions = "tmp\r\n";
    o.LastRescanSeconds = 3;
    o.LastRescanTime = 46001.5;
    const std::string path = dir / "sample.qdb";
    SaveDatabase(list, o, path, ActivityLog(dir / "save.log", LocaleFormats::ForLocale("en_US"), FixedNow));
    return path;
}

TEST(CheckDatabase, AgreesWithTheLoadOnBrokenAndGoodFiles) {
    TempDir dir;
    size_t broken = 0;
    for (const auto& e : std::filesystem::directory_iterator(QUILLORY_TEST_DATA "/broken")) {
        ExpectSame(dir, e.path().string(), e.path().string());
        EXPECT_EQ(ByCheck(dir, e.path().string()).result, "Stream read error") << e.path();
        ++broken;
    }
    EXPECT_GE(broken, 15u);
    ExpectSame(dir, QUILLORY_TEST_DATA "/hand-built.qdb", "hand-built");
    const Outcome good = ByCheck(dir, SampleDatabase(dir));
    EXPECT_EQ(good.result, "records 250");
    EXPECT_EQ(good.options.DatabaseName, "sample");
    EXPECT_EQ(good.options.IncludedFolders, "/a/\r\n/b/\r\n");
    EXPECT_EQ(good.options.LastRescanTime, 46001.5);
    ExpectSame(dir, dir / "missing.qdb", "missing file");
}

// Every cut of a good file, and a damaged byte at many places (lengths, counts, texts), reads
// the same both ways: the check takes every turn of the reading rule the load takes.
TEST(CheckDatabase, AgreesWithTheLoadOnEveryCutAndDamagedByte) {
    TempDir dir;
    const std::string bytes = ReadFileBytes(SampleDatabase(dir));
    ASSERT_GT(bytes.size(), 8000u);
    for (size_t length = 0; length < bytes.size(); length += length < 300 ? 1 : 13) {
        const std::string path = dir.WriteFile("cut.qdb", std::string_view(bytes).substr(0, length));
        ExpectSame(dir, path, "cut at " + std::to_string(length));
    }
    for (size_t at = 0; at < bytes.size(); at += at < 300 ? 1 : 29) {
        for (const unsigned char value : {0x00, 0x07, 0xFF}) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(value);
            const std::string path = dir.WriteFile("damaged.qdb", damaged);
            ExpectSame(dir, path, "byte " + std::to_string(at) + " = " + std::to_string(value));
        }
    }
    // Bytes after the last block are never read, either way.
    ExpectSame(dir, dir.WriteFile("longer.qdb", bytes + "tail"), "trailing bytes");
}

// Blocks whose length ends a record at every byte of it, alone or followed by another block:
// where a record runs past its block, and where a short remainder (10 bytes or fewer) is not
// read as a record, both ways agree.
TEST(CheckDatabase, AgreesWithTheLoadOnBlocksEndingInsideARecord) {
    TempDir dir;
    test::RecordFields r;
    r.name = "name.txt";
    r.folderField = "/f/";
    r.size = 5;
    const std::string record = test::RecordBytes(r);
    for (const int32_t claimed : {2, 3}) {
        test::HeaderFields h;
        h.count = claimed;
        h.included = "/\r\n";
        const std::string header = test::HeaderBytes(h);
        for (size_t keep = 0; keep <= record.size(); ++keep) {
            const std::string first = test::Block(header + record + record.substr(0, keep));
            const std::string what = std::to_string(claimed) + " claimed, " + std::to_string(keep) + " kept";
            ExpectSame(dir, dir.WriteFile("one.qdb", first), what + ", last block");
            ExpectSame(dir, dir.WriteFile("two.qdb", first + test::Block(record)), what + ", block after");
        }
    }
}

}  // namespace
}  // namespace quillory
