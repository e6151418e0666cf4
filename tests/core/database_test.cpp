#include "core/database.h"

#include <dirent.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "tests/support/db_bytes.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::Block;
using test::HeaderBytes;
using test::HeaderFields;
using test::ReadFileBytes;
using test::RecordBytes;
using test::RecordFields;
using test::TempDir;

DateTime FixedNow() {
    return EncodeDateTime({2026, 12, 7, 4, 6, 11, 0});
}

struct Fixture {
    TempDir dir;
    ActivityLog log{dir / "quillory.log", LocaleFormats::ForLocale("de_DE"), FixedNow};
    std::string LogText() const { return ReadFileBytes(dir / "quillory.log"); }
    std::vector<std::string> FilesInDir() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// Record i of the generated catalogues: the folder changes every 7 records, so runs of one
// folder cross the block ends at 100 and 200.
std::string FolderOf(size_t i) {
    return "/data/dir" + std::to_string(i / 7) + "/";
}

void FillCatalogue(EntryList& list, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const FolderRef folder = list.InternFolder(FolderOf(i));
        TMyItem& e = list.AcquireEntry("file" + std::to_string(i) + (i % 3 ? ".txt" : ""));
        e.SetFolder(folder);
        e.Modified = 46000.5 + static_cast<double>(i);
        e.Created = 45000.25 + static_cast<double>(i);
        e.Accessed = 46100.75;
        e.Size = static_cast<int64_t>(i) * 1000 + 7;
        e.Attributes = i % 5 == 0 ? kAttrDirectory : kAttrNormal;
    }
}

TProgramOptions SampleOptions() {
    TProgramOptions o{"/\r\n/home/\r\n"};
    o.DatabaseName = "music";
    o.DBFileName = "/home/u/music.qdb";
    o.ExcludedFolders = "/home/u/.cache/\r\n";
    o.ExtensionFilterOn = true;
    o.IncludeExtensionsMode = true;
    o.IncludedExtensions = "mp3\r\nflac\r\n";
    o.ExcludedExtensions = "tmp";
    o.LastRescanSeconds = 187;
    o.LastRescanTime = 46363.5;
    return o;
}

// The file the layout prescribes for the catalogue FillCatalogue makes, built independently.
std::string ExpectedFile(size_t n, const TProgramOptions& o) {
    HeaderFields h;
    h.count = static_cast<int32_t>(n);
    h.databaseName = o.DatabaseName;
    h.dbFileName = o.DBFileName;
    h.included = o.IncludedFolders;
    h.excluded = o.ExcludedFolders;
    h.filterOn = o.ExtensionFilterOn;
    h.includeMode = o.IncludeExtensionsMode;
    h.excludeMode = o.ExcludeExtensionsMode;
    h.includedExt = o.IncludedExtensions;
    h.excludedExt = o.ExcludedExtensions;
    h.lastSeconds = o.LastRescanSeconds;
    h.lastTime = o.LastRescanTime;
    std::string file;
    std::string content = HeaderBytes(h);
    for (size_t i = 0; i < n; ++i) {
        RecordFields r;
        r.name = "file" + std::to_string(i) + (i % 3 ? ".txt" : "");
        r.folderField = (i > 0 && FolderOf(i) == FolderOf(i - 1)) ? "" : FolderOf(i);
        r.modified = 46000.5 + static_cast<double>(i);
        r.created = 45000.25 + static_cast<double>(i);
        r.accessed = 46100.75;
        r.size = static_cast<int64_t>(i) * 1000 + 7;
        r.attributes = i % 5 == 0 ? kAttrDirectory : kAttrNormal;
        content += RecordBytes(r);
        if (i % 100 == 99) {
            file += Block(content);
            content.clear();
        }
    }
    return file + Block(content);
}

TEST(SaveDatabase, EmptyCatalogueIsOneHeaderBlock) {
    Fixture f;
    const EntryList empty;
    const TProgramOptions o{std::string()};
    SaveDatabase(empty, o, f.dir / "e.qdb", f.log);
    const std::string expected(
        "\x27\x00\x00\x00"                   // block length 39
        "\x01\x00\x00\x00"                   // version
        "\x00\x00\x00\x00"                   // count
        "\x00\x00\x00\x00\x00\x00\x00\x00"   // four empty strings
        "\x00\x00\x00"                       // three flags
        "\x00\x00\x00\x00"                   // two empty strings
        "\x00\x00\x00\x00"                   // LastRescanSeconds
        "\x00\x00\x00\x00\x00\x00\x00\x00",  // LastRescanTime
        39);
    EXPECT_EQ(ReadFileBytes(f.dir / "e.qdb"), expected);
}

TEST(SaveDatabase, OneRecordByteForByte) {
    Fixture f;
    EntryList list;
    TMyItem& e = list.AcquireEntry("a");
    e.SetFolder(list.InternFolder("/x/"));
    e.Size = 0x0102030405060708;
    e.Attributes = 0x80;
    e.Modified = 1.0;  // 3FF0000000000000
    SaveDatabase(list, TProgramOptions{std::string()}, f.dir / "one.qdb", f.log);
    const std::string record(
        "\x01\x00"
        "a"
        "\x03\x00"
        "/x/"
        "\x00\x00\x00\x00\x00\x00\xF0\x3F"
        "\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x08\x07\x06\x05\x04\x03\x02\x01"
        "\x80\x00\x00\x00",
        2 + 1 + 2 + 3 + 24 + 8 + 4);
    const std::string file = ReadFileBytes(f.dir / "one.qdb");
    ASSERT_EQ(file.size(), 4 + 35 + record.size());
    EXPECT_EQ(file.substr(0, 4), std::string("\x53\x00\x00\x00", 4));      // 4 + 35 + 44 = 83
    EXPECT_EQ(file.substr(4 + 4, 4), std::string("\x01\x00\x00\x00", 4));  // count 1
    EXPECT_EQ(file.substr(4 + 35), record);
}

TEST(SaveDatabase, BlockLayoutMatchesHandBuiltFiles) {
    for (size_t n : {0u, 1u, 99u, 100u, 101u, 150u, 250u}) {
        Fixture f;
        EntryList list;
        FillCatalogue(list, n);
        const TProgramOptions o = SampleOptions();
        SaveDatabase(list, o, f.dir / "db.qdb", f.log);
        const std::string actual = ReadFileBytes(f.dir / "db.qdb");
        const std::string expected = ExpectedFile(n, o);
        EXPECT_EQ(actual.size(), expected.size()) << n << " records";
        EXPECT_TRUE(actual == expected) << n << " records";
        if (n == 100) {
            // a full last block is followed by an empty one
            EXPECT_EQ(actual.substr(actual.size() - 4), std::string("\x04\x00\x00\x00", 4));
        }
    }
}

TEST(SaveDatabase, FolderCompressionIsExactAndCrossesBlockEnds) {
    Fixture f;
    EntryList list;
    const char* folders[] = {"/D/A/", "/D/A/", "/d/a/", "/other/", "/other/"};
    for (int i = 0; i < 5; ++i) {
        list.AcquireEntry("n" + std::to_string(i)).SetFolder(list.InternFolder(folders[i]));
    }
    SaveDatabase(list, TProgramOptions{std::string()}, f.dir / "c.qdb", f.log);
    std::string content;
    for (int i = 0; i < 5; ++i) {
        RecordFields r;
        r.name = "n" + std::to_string(i);
        r.folderField = (i == 1 || i == 4) ? "" : folders[i];
        content += RecordBytes(r);
    }
    HeaderFields h;
    h.count = 5;
    EXPECT_TRUE(ReadFileBytes(f.dir / "c.qdb") == Block(HeaderBytes(h) + content));

    // Across a block end: record 100 repeats the folder of record 99 and stores it empty.
    EntryList big;
    FillCatalogue(big, 101);
    ASSERT_EQ(big[99].Folder(), big[100].Folder());
    SaveDatabase(big, TProgramOptions{std::string()}, f.dir / "b.qdb", f.log);
    const std::string file = ReadFileBytes(f.dir / "b.qdb");
    int32_t first;
    std::memcpy(&first, file.data(), 4);
    const std::string secondBlock = file.substr(static_cast<size_t>(first));
    EXPECT_EQ(secondBlock.substr(4, 2 + 11 + 2), std::string("\x0B\x00"
                                                             "file100.txt"
                                                             "\x00\x00",
                                                             15));
}

TEST(Database, RoundTripKeepsEntriesAndHeader) {
    // 60000 records fill several of the reader's buffers, read one ahead of the other.
    for (size_t n : {0u, 1u, 99u, 100u, 101u, 250u, 60000u}) {
        Fixture f;
        EntryList list;
        FillCatalogue(list, n);
        SaveDatabase(list, SampleOptions(), f.dir / "r.qdb", f.log);
        EntryList loaded;
        TProgramOptions o{std::string()};
        LoadDatabase(loaded, o, f.dir / "r.qdb", f.log);
        ASSERT_EQ(loaded.Count(), n);
        for (size_t i = 0; i < n; ++i) {
            const TMyItem& a = list[i];
            const TMyItem& b = loaded[i];
            ASSERT_EQ(b.Name(), a.Name());
            ASSERT_EQ(b.Folder(), a.Folder());
            ASSERT_EQ(b.Ext(), a.Ext());
            ASSERT_EQ(b.Modified, a.Modified);
            ASSERT_EQ(b.Created, a.Created);
            ASSERT_EQ(b.Accessed, a.Accessed);
            ASSERT_EQ(b.Size, a.Size);
            ASSERT_EQ(b.Attributes, a.Attributes);
        }
        const TProgramOptions s = SampleOptions();
        EXPECT_EQ(o.DatabaseName, s.DatabaseName);
        EXPECT_EQ(o.DBFileName, s.DBFileName);
        EXPECT_EQ(o.IncludedFolders, s.IncludedFolders);
        EXPECT_EQ(o.ExcludedFolders, s.ExcludedFolders);
        EXPECT_EQ(o.ExtensionFilterOn, s.ExtensionFilterOn);
        EXPECT_EQ(o.IncludeExtensionsMode, s.IncludeExtensionsMode);
        EXPECT_EQ(o.ExcludeExtensionsMode, s.ExcludeExtensionsMode);
        EXPECT_EQ(o.IncludedExtensions, s.IncludedExtensions);
        EXPECT_EQ(o.ExcludedExtensions, s.ExcludedExtensions);
        EXPECT_EQ(o.LastRescanSeconds, s.LastRescanSeconds);
        EXPECT_EQ(o.LastRescanTime, s.LastRescanTime);
    }
}

TEST(LoadDatabase, LargeFileCutShortIsAReadErrorAndReplacesNothing) {
    Fixture f;
    EntryList list;
    FillCatalogue(list, 60000);
    const std::string path = f.dir / "cut.qdb";
    SaveDatabase(list, SampleOptions(), path, f.log);
    const auto size = std::filesystem::file_size(path);
    ASSERT_GT(size, 3u << 20);
    for (const auto cut : {size - 200, (size_t{2} << 20) + 7, size_t{1} << 20, size_t{1000}}) {
        std::filesystem::resize_file(path, cut);
        EntryList loaded;
        FillCatalogue(loaded, 3);
        TProgramOptions o{std::string()};
        try {
            LoadDatabase(loaded, o, path, f.log);
            ADD_FAILURE() << "a file cut to " << cut << " bytes loaded";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "Stream read error") << cut;
        }
        EXPECT_EQ(loaded.Count(), 3u) << cut;
    }
}

TEST(Database, NamesThatAreNotUtf8SurviveByteForByte) {
    Fixture f;
    EntryList list;
    const std::string names[] = {std::string("caf\xE9.txt"), std::string("\xFF\xFE\x80"),
                                 std::string("a\0b", 3), "\xC3\xA4rger.mp3",
                                 std::string("\xED\xA0\x80surrogate")};
    for (const std::string& n : names) {
        list.AcquireEntry(n).SetFolder(list.InternFolder(std::string("/bad\xC0\xAF/")));
    }
    SaveDatabase(list, TProgramOptions{std::string()}, f.dir / "u.qdb", f.log);
    EntryList loaded;
    TProgramOptions o{std::string()};
    LoadDatabase(loaded, o, f.dir / "u.qdb", f.log);
    ASSERT_EQ(loaded.Count(), std::size(names));
    for (size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(loaded[i].Name(), names[i]);
        EXPECT_EQ(loaded[i].Folder(), std::string("/bad\xC0\xAF/"));
    }
}

TEST(LoadDatabase, ReaderRulesOnHandBuiltFiles) {
    Fixture f;
    HeaderFields h;
    h.filterOn = 7;  // any nonzero byte is true
    h.includeMode = 0;
    h.excludeMode = 255;
    RecordFields folder{"x.y", "/r/", 0, 0, 0, 0, kAttrDirectory};
    RecordFields file{"x.y", "", 0, 0, 0, 3, kAttrNormal};
    RecordFields other{"z", "/s/", 0, 0, 0, 0, 0};

    struct Case {
        const char* what;
        int32_t count;
        std::string body;  // after the header, block structure included
        size_t expected;
    };
    const std::string three = RecordBytes(folder) + RecordBytes(file) + RecordBytes(other);
    const std::vector<Case> cases = {
        {"count larger than the records present", 5, three, 3},
        {"count smaller: the whole block is read", 1, three, 3},
        {"blocks after the block end that reaches the count are ignored", 3,
         three + "\x0C\x00\x00\x00garbage!", 3},
    };
    for (const Case& c : cases) {
        h.count = c.count;
        std::string file_bytes;
        if (c.expected == 3 && c.body.size() > three.size()) {
            // block 1 = header + three records, then a second block of junk
            file_bytes = Block(HeaderBytes(h) + three) + c.body.substr(three.size());
        } else {
            file_bytes = Block(HeaderBytes(h) + c.body);
        }
        const std::string path = f.dir.WriteFile("hand.qdb", file_bytes);
        EntryList list;
        TProgramOptions o{std::string()};
        LoadDatabase(list, o, path, f.log);
        ASSERT_EQ(list.Count(), c.expected) << c.what;
        EXPECT_EQ(list[0].Ext(), "Folder") << c.what;
        EXPECT_EQ(list[1].Ext(), "y") << c.what;
        EXPECT_EQ(list[1].Folder(), "/r/") << c.what;  // an empty field repeats the previous folder
        EXPECT_EQ(list[2].Folder(), "/s/") << c.what;
        EXPECT_TRUE(o.ExtensionFilterOn);
        EXPECT_FALSE(o.IncludeExtensionsMode);
        EXPECT_TRUE(o.ExcludeExtensionsMode);
    }
}

TEST(LoadDatabase, RecordsSpreadOverBlocksAndFirstRecordWithoutFolder) {
    Fixture f;
    HeaderFields h;
    h.count = 3;
    RecordFields bare{"bare", "", 0, 0, 0, 0, 0};
    RecordFields second{"b", "/f/", 0, 0, 0, 0, 0};
    RecordFields third{"c", "", 0, 0, 0, 0, 0};
    const std::string bytes =
        Block(HeaderBytes(h) + RecordBytes(bare)) + Block(RecordBytes(second)) + Block(RecordBytes(third));
    EntryList list;
    TProgramOptions o{std::string()};
    LoadDatabase(list, o, f.dir.WriteFile("s.qdb", bytes), f.log);
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(EntryFullPath(list[0]), "bare");
    EXPECT_EQ(EntryFullPath(list[1]), "/f/b");
    EXPECT_EQ(EntryFullPath(list[2]), "/f/c");
}

TEST(ActivityLog, SaveAndLoadWriteTheExactLines) {
    Fixture f;
    EntryList list;
    SaveDatabase(list, TProgramOptions{std::string()}, f.dir / "x.qdb", f.log);
    EXPECT_EQ(f.LogText(),
              "07.12.26 04:06:11: Start Save of data\n"
              "07.12.26 04:06:11: Count of records = 0\n"
              "07.12.26 04:06:11: End Save of data\n");

    FillCatalogue(list, 1234);
    SaveDatabase(list, TProgramOptions{std::string()}, f.dir / "x.qdb", f.log);
    LoadDatabase(list, *std::make_unique<TProgramOptions>(std::string()), f.dir / "x.qdb", f.log);
    const std::string text = f.LogText();
    EXPECT_NE(text.find("04:06:11: Count of records = 1234\n07.12.26 04:06:11: End Save of data\n"
                        "07.12.26 04:06:11: Start Load of data\n"
                        "07.12.26 04:06:11: Count of records = 1234\n"
                        "07.12.26 04:06:11: Real count of records = 1234\n"
                        "07.12.26 04:06:11: End Load of data\n"),
              std::string::npos)
        << text;

    // A file that ends early logs the smaller real count.
    HeaderFields h;
    h.count = 5;
    Fixture g;
    LoadDatabase(list, *std::make_unique<TProgramOptions>(std::string()),
                 g.dir.WriteFile("short.qdb", Block(HeaderBytes(h) + RecordBytes({"a", "/", 0, 0, 0, 0, 0}))),
                 g.log);
    EXPECT_EQ(g.LogText(),
              "07.12.26 04:06:11: Start Load of data\n"
              "07.12.26 04:06:11: Count of records = 5\n"
              "07.12.26 04:06:11: Real count of records = 1\n"
              "07.12.26 04:06:11: End Load of data\n");
}

TEST(ActivityLog, MidnightLeavesTheTimeOut) {
    TempDir dir;
    const ActivityLog log(dir / "m.log", LocaleFormats::ForLocale("en_US"), [] {
        return EncodeDateTime({2026, 7, 12, 0, 0, 0, 0});
    });
    log.AppendLog(": Start Save of data");
    EXPECT_EQ(ReadFileBytes(dir / "m.log"), "7/12/26: Start Save of data\n");
}

// A log that cannot be written loses its lines and nothing else: the save, the load and the
// check all complete as they would with a working log.
TEST(ActivityLog, UnwritableLogNeverStopsASaveOrALoad) {
    TempDir dir;
    const std::string notAFolder = dir.WriteFile("file", "x");
    for (const std::string& logPath : {notAFolder + "/q.log", std::string("/dev/full")}) {
        SCOPED_TRACE(logPath);
        const ActivityLog log(logPath, LocaleFormats::ForLocale("en_US"), FixedNow);
        EXPECT_FALSE(log.AppendLog(": Start Save of data"));
        EntryList list;
        FillCatalogue(list, 250);
        SaveDatabase(list, SampleOptions(), dir / "db.qdb", log);
        EntryList loaded;
        TProgramOptions options{std::string()};
        LoadDatabase(loaded, options, dir / "db.qdb", log);
        EXPECT_EQ(loaded.Count(), 250u);
        EXPECT_EQ(options.IncludedFolders, SampleOptions().IncludedFolders);
        TProgramOptions checked{std::string()};
        EXPECT_EQ(CheckDatabase(dir / "db.qdb", log, checked), 250u);
    }
    EXPECT_EQ(ReadFileBytes(notAFolder), "x");
}

// A failed save leaves the previous file exactly as it was and no temporary file behind.
class FailedSave : public ::testing::Test {
  protected:
    void SetUp() override {
        FillCatalogue(previous_, 10);
        SaveDatabase(previous_, SampleOptions(), path_, f_.log);
        before_ = ReadFileBytes(path_);
    }
    void ExpectUntouched() {
        EXPECT_TRUE(ReadFileBytes(path_) == before_);
        EXPECT_EQ(f_.FilesInDir(), (std::vector<std::string>{"db.qdb", "quillory.log"}));
    }
    Fixture f_;
    std::string path_ = f_.dir / "db.qdb";
    EntryList previous_;
    std::string before_;
};

TEST_F(FailedSave, TextTooLongNamesTheFieldAndWritesNothing) {
    TProgramOptions o = SampleOptions();
    o.IncludedFolders = std::string(70000, 'x');
    EntryList list;
    FillCatalogue(list, 200);
    try {
        SaveDatabase(list, o, path_, f_.log);
        FAIL();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("IncludedFolders"), std::string::npos) << e.what();
    }
    ExpectUntouched();
    // 65535 bytes still fit.
    o.IncludedFolders = std::string(65535, 'x');
    SaveDatabase(list, o, path_, f_.log);
    TProgramOptions back{std::string()};
    EntryList loaded;
    LoadDatabase(loaded, back, path_, f_.log);
    EXPECT_EQ(back.IncludedFolders.size(), 65535u);
}

// An entry's texts are checked as it is encoded: one too long near the end comes after
// megabytes already written to the new file, which must still never replace the old one.
TEST_F(FailedSave, EntryTextTooLongLateInTheCatalogueKeepsThePreviousFile) {
    EntryList big;
    FillCatalogue(big, 200000);
    const std::string longFolder = "/" + std::string(70000, 'f') + "/";
    TMyItem& e = big.AcquireEntry("last.txt");
    e.SetFolder(big.InternFolder(longFolder));
    try {
        SaveDatabase(big, SampleOptions(), path_, f_.log);
        FAIL() << "an oversized folder was saved";
    } catch (const Error& error) {
        EXPECT_TRUE(std::string(error.what()).starts_with("Cannot save the database: the folder of \"/fff"))
            << std::string(error.what()).substr(0, 80);
        EXPECT_NE(std::string(error.what()).find("70002 bytes long"), std::string::npos);
    }
    ExpectUntouched();
}

TEST_F(FailedSave, WriteErrorMidwayKeepsThePreviousFile) {
    EntryList big;
    FillCatalogue(big, 200000);  // several megabytes: more than the file-size limit below
    std::string message;
    try {
        const test::FileSizeLimit limit(1 << 20);
        SaveDatabase(big, SampleOptions(), path_, f_.log);
    } catch (const Error& e) {
        message = e.what();
    }
    // The defined message first, the system's reason after it.
    EXPECT_EQ(message, "Stream write error: File too large");
    ExpectUntouched();
}

TEST_F(FailedSave, RefusedTargetKeepsThePreviousFile) {
    const std::string folder = f_.dir.MakeDir("occupied.qdb");  // a folder where the file should go
    try {
        SaveDatabase(previous_, SampleOptions(), folder, f_.log);
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot create file \"" + folder + "\". ")) << e.what();
    }
    try {
        SaveDatabase(previous_, SampleOptions(), f_.dir / "no/such/folder/db.qdb", f_.log);
        FAIL();
    } catch (const Error& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot create file \"")) << e.what();
    }
    std::filesystem::remove(folder);
    ExpectUntouched();
}

TEST(SaveDatabase, ReplacesThroughALinkAndKeepsTheLink) {
    Fixture f;
    EntryList list;
    FillCatalogue(list, 2);
    SaveDatabase(list, SampleOptions(), f.dir / "real.qdb", f.log);
    std::filesystem::create_symlink(f.dir / "real.qdb", f.dir / "link.qdb");
    FillCatalogue(list, 5);
    SaveDatabase(list, SampleOptions(), f.dir / "link.qdb", f.log);
    EXPECT_TRUE(std::filesystem::is_symlink(f.dir / "link.qdb"));
    EntryList loaded;
    TProgramOptions o{std::string()};
    LoadDatabase(loaded, o, f.dir / "real.qdb", f.log);
    EXPECT_EQ(loaded.Count(), 7u);
}

}  // namespace
}  // namespace quillory
