// The search answered straight from a catalogue (the running program's side) against the
// file's way (copies of the matches, sorted and formatted as quillory-cli does): the same
// rows in the same order, with the catalogue's ranks and without, and the output cut into
// blocks without changing a byte.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/command_status.h"
#include "command/result_output.h"
#include "command/search_command.h"
#include "core/entry.h"
#include "platform/date_time.h"
#include "results/collation.h"
#include "results/ranked_sort.h"
#include "search/search_driver.h"
#include "tests/results/result_builder.h"

namespace quillory::command {
namespace {

using test::AddResult;

// Names, folders, sizes and dates repeat, so every sort meets runs of equal keys.
EntryList Sample() {
    EntryList entries;
    const DateTime noon = EncodeDateTime({2024, 3, 5, 12, 0, 0, 0});
    const std::vector<std::string> names = {"b.mp3", "A.mp3", "a.mp3", "Ärger.txt", "report.TXT", "b.mp3",
                                            "zeta",  "Zeta",  "data",  "x.Folder",  "report.txt", "ä.mp3"};
    const std::vector<std::string> folders = {"/home/u/", "/home/u/music/", "/srv/", "/Srv/"};
    for (size_t i = 0; i < 240; ++i) {
        AddResult(entries,
                  {names[i % names.size()], folders[i / 7 % folders.size()], static_cast<int64_t>(i % 5),
                   noon + static_cast<double>(i % 3), i % 11 == 0 ? kAttrDirectory : 0x80u});
    }
    return entries;
}

// The file's answer over the same entries: copies, then OutputOrder, then the formatting.
std::string FileWay(const SearchRequest& request, const EntryList& entries, int& status) {
    TSearchDriver driver;
    EntryList results;
    driver.Search(entries, request.text, request.search, request.limit == 0 ? INT64_MAX : request.limit,
                  results);
    ResultSorter sorter(Collation::FromEnvironment(CollationStrength::Tertiary));
    const std::vector<size_t> rows = OutputOrder(results, request.output, sorter);
    std::string out;
    status = FormatSearchRows(request, results.Entries(), rows, false, [&out](std::string& block) {
        out += block;
        return true;
    });
    return out;
}

std::string CatalogueWay(const SearchRequest& request, const EntryList& entries, const ColumnRanks* ranks,
                         int& status) {
    ResultSorter sorter(Collation::FromEnvironment(CollationStrength::Tertiary));
    CatalogueAnswer answer;
    SearchCatalogue(request, entries, nullptr, ranks, sorter, answer);
    std::string out;
    status = FormatSearchRows(request, entries.Entries(), answer.rows, false, [&out](std::string& block) {
        out += block;
        return true;
    });
    return out;
}

TEST(CommandCatalogueAnswer, RanksAndFallbackOrderLikeTheFile) {
    const EntryList entries = Sample();
    const Collation collation = Collation::FromEnvironment(CollationStrength::Tertiary);
    ColumnRanks ranks;
    ASSERT_TRUE(BuildColumnRanks(entries, collation, ranks));
    ASSERT_TRUE(ranks.Complete(entries.Generation(), collation.LocaleId()));
    ColumnRanks stale;  // ranks of no catalogue state: never used
    for (const std::string column : {"name", "folder", "size", "date", "ext"}) {
        for (const std::string direction : {"", ":desc"}) {
            for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
                     {}, {"mp3"}, {"--no-folders", "a"}, {"--limit", "7"}}) {
                std::vector<std::string> args = {"--limit", "0", "--sort", column + direction};
                args.insert(args.end(), words.begin(), words.end());
                SCOPED_TRACE(::testing::PrintToString(args));
                const SearchRequest request = ParseSearchArguments(args);
                int fileStatus = -1;
                const std::string file = FileWay(request, entries, fileStatus);
                for (const ColumnRanks* used : std::vector<const ColumnRanks*>{&ranks, &stale, nullptr}) {
                    int status = -1;
                    EXPECT_EQ(CatalogueWay(request, entries, used, status), file);
                    EXPECT_EQ(status, fileStatus);
                }
            }
        }
    }
}

TEST(CommandCatalogueAnswer, OutputComesInBlocksAndStopsWhenTheReaderHasGone) {
    EntryList entries;
    for (int i = 0; i < 20000; ++i) AddResult(entries, {"file number " + std::to_string(i) + ".txt"});
    const SearchRequest request = ParseSearchArguments({"--limit", "0", "file"});
    ResultSorter sorter(Collation::FromEnvironment(CollationStrength::Tertiary));
    CatalogueAnswer answer;
    SearchCatalogue(request, entries, nullptr, nullptr, sorter, answer);
    ASSERT_EQ(answer.rows.size(), 20000u);
    std::string whole;
    size_t blocks = 0;
    EXPECT_EQ(FormatSearchRows(request, entries.Entries(), answer.rows, false,
                               [&](std::string& block) {
                                   // Whole rows only, each block about the block size.
                                   EXPECT_EQ(block.back(), '\n');
                                   EXPECT_LT(block.size(), kOutputBlockBytes + 100);
                                   whole += block;
                                   ++blocks;
                                   return true;
                               }),
              kExitOk);
    EXPECT_GT(blocks, 1u);
    std::string expected;
    for (int i = 0; i < 20000; ++i) expected += "/data/file number " + std::to_string(i) + ".txt\n";
    EXPECT_EQ(whole, expected);

    size_t calls = 0;
    EXPECT_EQ(FormatSearchRows(request, entries.Entries(), answer.rows, false,
                               [&](std::string&) {
                                   ++calls;
                                   return false;
                               }),
              kExitError);
    EXPECT_EQ(calls, 1u);
    // No rows: nothing to write, exit status 1.
    const SearchRequest none = ParseSearchArguments({"zzz"});
    SearchCatalogue(none, entries, nullptr, nullptr, sorter, answer);
    EXPECT_EQ(FormatSearchRows(none, entries.Entries(), answer.rows, false,
                               [&](std::string&) {
                                   ADD_FAILURE() << "nothing to write";
                                   return true;
                               }),
              kExitNoResults);
    EXPECT_EQ(answer.statusText.substr(0, 19), "OK! 0 files found. ");
}

// The whole answer from a catalogue: the bytes, the exit status and the count of the file's
// answer, wherever the limit falls, in every format, and nothing more once the reader has gone.
TEST(CommandCatalogueAnswer, AnswerFromCatalogueGivesTheFilesAnswer) {
    EntryList entries;
    for (int i = 0; i < 30000; ++i) {
        AddResult(entries, {"file " + std::to_string(i) + (i % 3 == 0 ? ".mp3" : ".txt"),
                            "/m/" + std::to_string(i / 50) + "/", static_cast<int64_t>(i),
                            EncodeDateTime({2024, 3, 5, 12, 0, 0, 0}), i % 13 == 0 ? kAttrDirectory : 0x80u});
    }
    // "*.mp3" matches 10,000 entries.
    const std::vector<std::vector<std::string>> table = {{"--limit", "0", "*.mp3"},
                                                         {"--limit", "10", "*.mp3"},
                                                         {"--limit", "5000", "*.mp3"},
                                                         {"--limit", "5001", "*.mp3"},
                                                         {"--limit", "7321", "*.mp3"},
                                                         {"--limit", "0", "zzz"},
                                                         {"--limit", "0", "-0", "--no-folders", "file"},
                                                         {"--limit", "0", "--format", "table", "9"},
                                                         {"--limit", "0", "--full-path", "/m/4"},
                                                         {"--limit", "0", "--sort", "size:desc", "*.mp3"}};
    ResultSorter sorter(Collation::FromEnvironment(CollationStrength::Tertiary));
    for (const std::vector<std::string>& args : table) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const SearchRequest request = ParseSearchArguments(args);
        int fileStatus = -1;
        const std::string file = FileWay(request, entries, fileStatus);
        TSearchDriver driver;
        std::string out;
        std::string status;
        const int exit = AnswerFromCatalogue(
            request, entries, nullptr, nullptr, sorter, driver, false,
            [&out](std::string& block) {
                out += block;
                return true;
            },
            status);
        EXPECT_EQ(out, file);
        EXPECT_EQ(exit, fileStatus);
        TSearchDriver plain;
        EntryList results;
        plain.Search(entries, request.text, request.search, request.limit == 0 ? INT64_MAX : request.limit,
                     results);
        EXPECT_EQ(status.substr(0, status.find("Search time")),
                  plain.StatusText().substr(0, plain.StatusText().find("Search time")));
    }
    // The reader gone after the first block: nothing more is handed over.
    const SearchRequest all = ParseSearchArguments({"--limit", "0", "file"});
    TSearchDriver driver;
    size_t calls = 0;
    std::string status;
    EXPECT_EQ(AnswerFromCatalogue(
                  all, entries, nullptr, nullptr, sorter, driver, false,
                  [&calls](std::string&) {
                      ++calls;
                      return false;
                  },
                  status),
              kExitError);
    EXPECT_EQ(calls, 1u);
}

}  // namespace
}  // namespace quillory::command
