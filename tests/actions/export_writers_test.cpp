#include "actions/export_writers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "platform/error.h"
#include "tests/results/result_builder.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

const LocaleFormats& Us() {
    static const LocaleFormats formats = LocaleFormats::ForLocale("en_US");
    return formats;
}

EntryList SampleResults() {
    EntryList results;
    test::AddResult(results, {"song.mp3", "/music/", 100864, EncodeDateTime({2024, 3, 5, 0, 0, 0, 0}), 0x21});
    test::AddResult(results, {"docs", "/home/ann/", 0, EncodeDateTime({2023, 12, 31, 23, 59, 58, 0}), 0x10});
    return results;
}

std::vector<ExportFieldItem> Ticked(std::initializer_list<int> fields) {
    std::vector<ExportFieldItem> items = DefaultExportFieldItems();
    for (ExportFieldItem& item : items) item.checked = false;
    for (int field : fields) items[static_cast<size_t>(field)].checked = true;
    return items;
}

TEST(ExportFields, EightFieldsWithDefaultTicks) {
    const std::vector<ExportFieldItem> items = DefaultExportFieldItems();
    ASSERT_EQ(items.size(), 8u);
    std::string ticked;
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].data, static_cast<int>(i));
        if (items[i].checked) ticked += std::to_string(i);
    }
    EXPECT_EQ(ticked, "01246");
    EXPECT_EQ(ExportFieldFromWord("accessed"), ExportField::LastAccessDate);
    EXPECT_EQ(ExportFieldFromWord("Name"), std::nullopt);
}

TEST(ResultTableRow, FieldsInFixedOrderQuotedAndJoined) {
    const EntryList results = SampleResults();
    const struct {
        std::vector<ExportFieldItem> items;
        const char* first;
        const char* second;
    } rows[] = {
        {DefaultExportFieldItems(), R"("song.mp3","/music/","98 KB","3/5/24","mp3")",
         "\"docs\",\"/home/ann/\",\"0 bytes\",\"12/31/23 11:59:58\u202fPM\",\"Folder\""},
        {Ticked({0}), R"("song.mp3")", R"("docs")"},
        {Ticked({7, 3}), R"("3/5/24","ARCHIVE | READONLY")", "\"12/31/23 11:59:58\u202fPM\",\"DIRECTORY\""},
        {Ticked({}), "", ""},
        // The items' order decides, whatever order they come in; an unknown data number adds nothing.
        {{{true, 6}, {true, 0}, {true, 42}}, R"("mp3","song.mp3")", R"("Folder","docs")"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ResultTableRow(results[0], row.items, Us()), row.first);
        EXPECT_EQ(ResultTableRow(results[1], row.items, Us()), row.second);
    }
}

TEST(WriteFileList, FullPathPerLineAndEmptyFile) {
    test::TempDir dir;
    const std::string path = dir / "list.txt";
    dir.WriteFile("list.txt", "old content that is longer than the new one\n");
    WriteFileList(path, SampleResults());
    EXPECT_EQ(test::ReadFileBytes(path), "/music/song.mp3\n/home/ann/docs\n");

    WriteFileList(path, EntryList());
    EXPECT_EQ(test::ReadFileBytes(path), "");
    WriteResultTable(path, EntryList(), DefaultExportFieldItems(), Us());
    EXPECT_EQ(test::ReadFileBytes(path), "");
}

TEST(WriteResultTable, FollowsTheListOrderAndReplacesTheFile) {
    test::TempDir dir;
    const std::string path = dir / "table.csv";
    dir.WriteFile("table.csv", "stale");
    EntryList results = SampleResults();
    results.Truncate(1);  // spare slots are not results
    WriteResultTable(path, results, Ticked({0, 2}), Us());
    EXPECT_EQ(test::ReadFileBytes(path), "\"song.mp3\",\"98 KB\"\n");
}

TEST(WriteResultTable, FailureLeavesNothingBehind) {
    test::TempDir dir;
    EXPECT_THROW(
        WriteResultTable(dir / "missing/table.csv", SampleResults(), DefaultExportFieldItems(), Us()), Error);
    const std::string folder = dir.MakeDir("in-the-way");
    EXPECT_THROW(WriteFileList(folder, SampleResults()), Error);  // a folder holds the name
    std::ostringstream names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        names << e.path().filename().string();
    EXPECT_EQ(names.str(), "in-the-way");
}

// Reads the file with Python's csv module and prints every field hex-encoded, one record per
// line, fields separated by blanks.
std::string ParsedByCsvReader(const std::string& path) {
    const std::string command =
        "python3 -c 'import csv,sys\n"
        "with open(sys.argv[1], newline=\"\", encoding=\"utf-8\", errors=\"surrogateescape\") as f:\n"
        "    for r in csv.reader(f):\n"
        "        print(\" \".join(x.encode(\"utf-8\", \"surrogateescape\").hex() for x in r))' '" +
        path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "no reader";
    std::string output;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    return pclose(pipe) == 0 ? output : "no reader";
}

std::string Hex(std::string_view bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

TEST(WriteResultTable, CommasAndQuotesParseBackWithACsvReader) {
    test::TempDir dir;
    EntryList results;
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"a,b.txt", "/x, y/"},
        {"say \"hi\".txt", "/q\"/"},
        {"\"\"", "/"},
        {"trailing\".", "/raw\xff/"},
    };
    for (const auto& [name, folder] : entries) test::AddResult(results, {name, folder});
    const std::string path = dir / "t.csv";
    WriteResultTable(path, results, Ticked({0, 1, 6}), Us());
    EXPECT_EQ(test::ReadFileBytes(path).substr(0, 30), "\"a,b.txt\",\"/x, y/\",\"txt\"\n\"say ");

    const std::string parsed = ParsedByCsvReader(path);
    if (parsed == "no reader") GTEST_SKIP() << "python3 csv module not available";
    std::string expected;
    for (size_t i = 0; i < entries.size(); ++i) {
        expected += Hex(entries[i].first) + " " + Hex(entries[i].second) + " " + Hex(results[i].Ext()) + "\n";
    }
    EXPECT_EQ(parsed, expected);
}

}  // namespace
}  // namespace quillory
