#include "search/search_driver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "catalogue_builder.h"
#include "core/name_cache.h"

namespace quillory {
namespace {

using test::AddEntry;
using test::FullPaths;

struct FakeClock {
    int64_t now = 1000;
    TickSource Source() {
        return [this] { return now; };
    }
};

TEST(ElapsedText, SecondsWithThreeDecimals) {
    EXPECT_EQ(ElapsedText(1234), "1.234");
    EXPECT_EQ(ElapsedText(47), "0.047");
    EXPECT_EQ(ElapsedText(0), "0.000");
    EXPECT_EQ(ElapsedText(60000), "60.000");
    EXPECT_EQ(ElapsedText(1005), "1.005");
    EXPECT_EQ(ElapsedText(-3), "0.000");
}

class SearchDriverTest : public ::testing::Test {
  protected:
    size_t Search(std::string_view text, TSearchOptions options = {}, int64_t limit = 10000) {
        return driver.Search(cat, text, options, limit, results);
    }

    FakeClock clock;
    TSearchDriver driver{[this] { return clock.now += perReading; }};
    int64_t perReading = 0;  // milliseconds the clock moves at every reading
    Catalogue cat;
    EntryList& catalogue = cat.Entries;
    EntryList results;
};

TEST_F(SearchDriverTest, LimitKeepsTheFirstMatchesInCatalogueOrder) {
    for (int i = 0; i < 250; ++i) AddEntry(catalogue, "/d/", "match" + std::to_string(i));
    AddEntry(catalogue, "/d/", "other");
    EXPECT_EQ(Search("match", {}, 100), 100u);
    ASSERT_EQ(results.Count(), 100u);
    EXPECT_EQ(results[0].Name(), "match0");
    EXPECT_EQ(results[99].Name(), "match99");
    EXPECT_EQ(driver.StatusText(), "OK! 100 files found. Search time: 0.000 sec.");
}

TEST_F(SearchDriverTest, ALimitOfZeroOrLessStillListsTheFirstMatch) {
    AddEntry(catalogue, "/d/", "a1");
    AddEntry(catalogue, "/d/", "a2");
    EXPECT_EQ(Search("a", {}, 0), 1u);
    EXPECT_EQ(Search("a", {}, -5), 1u);
    EXPECT_EQ(results[0].Name(), "a1");
}

TEST_F(SearchDriverTest, FolderAndFileFilters) {
    AddEntry(catalogue, "/d/", "docs", true);
    AddEntry(catalogue, "/d/", "x.Folder");  // a file whose extension is exactly Folder
    AddEntry(catalogue, "/d/", "x.folder");
    AddEntry(catalogue, "/d/", "notes.txt");
    TSearchOptions noFolders;
    noFolders.FindFolders = false;
    Search("", noFolders);
    EXPECT_EQ(FullPaths(results), (std::vector<std::string>{"/d/x.folder", "/d/notes.txt"}));
    TSearchOptions noFiles;
    noFiles.FindFiles = false;
    Search("", noFiles);
    EXPECT_EQ(FullPaths(results), (std::vector<std::string>{"/d/docs", "/d/x.Folder"}));
    Search(" ;, ");
    EXPECT_EQ(results.Count(), 4u);
    noFiles.FullPath = true;
    Search("x", noFiles);
    EXPECT_EQ(FullPaths(results), (std::vector<std::string>{"/d/x.Folder"}));
}

TEST(SearchOptions, FoldersAndFilesAreNeverBothUnticked) {
    TSearchOptions options;
    options.FindFiles = false;
    FindFilesChanged(options);
    EXPECT_TRUE(options.FindFolders);
    options.FindFolders = false;
    FindFoldersChanged(options);
    EXPECT_TRUE(options.FindFiles);
    EXPECT_FALSE(options.FindFolders);
    options.FindFolders = true;  // ticking changes nothing else
    FindFoldersChanged(options);
    EXPECT_TRUE(options.FindFiles);
}

TEST_F(SearchDriverTest, ResultsAreCopiesWithIconAndSelectionReset) {
    AddEntry(catalogue, "/music/", "song.mp3");
    catalogue[0].Size = 12345;
    catalogue[0].Attributes = kAttrArchive;
    Search("*.MP3");
    ASSERT_EQ(results.Count(), 1u);
    const TMyItem& r = results[0];
    EXPECT_EQ(EntryFullPath(r), "/music/song.mp3");
    EXPECT_EQ(r.Size, 12345);
    EXPECT_EQ(r.Attributes, kAttrArchive);
    EXPECT_EQ(r.Modified, 40000.5);
    EXPECT_EQ(r.Created, 40000.25);
    EXPECT_EQ(r.Accessed, 40001.0);
    EXPECT_EQ(r.IconIndex, -1);
    EXPECT_FALSE(r.Selected);
    // The catalogue can be rebuilt; the results keep their own texts.
    catalogue.Clear();
    AddEntry(catalogue, "/other/", "zzzzzzzzzzzzzzz");
    EXPECT_EQ(EntryFullPath(results[0]), "/music/song.mp3");
}

TEST_F(SearchDriverTest, ASmallerSearchLeavesSpareSlots) {
    for (int i = 0; i < 5; ++i) AddEntry(catalogue, "/d/", "a" + std::to_string(i));
    AddEntry(catalogue, "/d/", "b");
    EXPECT_EQ(Search("a"), 5u);
    results[0].Selected = true;
    results[0].IconIndex = 3;
    EXPECT_EQ(Search("b"), 1u);
    EXPECT_EQ(results.Count(), 1u);
    EXPECT_EQ(results.SlotCount(), 5u);
    EXPECT_EQ(results[0].Name(), "b");
    EXPECT_EQ(results[0].IconIndex, -1);  // the reused slot's old values are overwritten
    EXPECT_FALSE(results[0].Selected);
    EXPECT_EQ(driver.StatusText(), "OK! 1 files found. Search time: 0.000 sec.");
}

TEST_F(SearchDriverTest, EmptyCatalogue) {
    clock.now = 5000;
    perReading = 7;  // time passes while the search runs
    EXPECT_EQ(Search("anything"), 0u);
    EXPECT_EQ(driver.StatusText(), "OK! 0 files found. Search time: 0.007 sec.");
}

TEST_F(SearchDriverTest, TimeRunsFromBeginSearch) {
    AddEntry(catalogue, "/d/", "a");
    clock.now = 777;
    driver.BeginSearch(results);
    EXPECT_EQ(driver.StatusText(), "Waiting...");
    clock.now = 2011;
    TWordList words;
    driver.RunSearch(catalogue, nullptr, words, {}, 10, results);
    EXPECT_EQ(driver.StatusText(), "OK! 1 files found. Search time: 1.234 sec.");
}

// The names are built on a worker that owns the catalogue; the first search on the owner's
// thread afterwards uses them as they are, in the right case, and rebuilds only after a change.
TEST_F(SearchDriverTest, NameCachePreparedAheadIsUsedByTheSearch) {
    for (int i = 0; i < 500; ++i) AddEntry(catalogue, "/d/", "Name" + std::to_string(i));
    auto owned = std::make_unique<Catalogue>(std::move(cat));
    std::thread([&] { owned->PrepareNameCache(false); }).join();
    cat = std::move(*owned);
    const size_t builds = cat.NamesFor(false).Builds();
    EXPECT_EQ(builds, 1u);
    EXPECT_EQ(cat.NamesFor(false).Name(7), "NAME7");
    EXPECT_EQ(Search("name49"), 11u);
    EXPECT_EQ(cat.NamesFor(false).Builds(), builds);
    EXPECT_EQ(cat.NamesFor(true).Builds(), 1u);  // the other case is built on its first use
    EXPECT_EQ(cat.NamesFor(true).Name(7), "Name7");
    AddEntry(catalogue, "/d/", "name49x");
    EXPECT_EQ(Search("name49"), 12u);
    EXPECT_EQ(cat.NamesFor(false).Builds(), builds + 1);

    // A bare entry list is searched without a cache and finds the same.
    EntryList bare;
    EXPECT_EQ(driver.Search(static_cast<const EntryList&>(catalogue), "name49", {}, 10000, bare), 12u);
}

TEST_F(SearchDriverTest, OptionsActOnlyThroughTheSearchThatCapturedThem) {
    AddEntry(catalogue, "/d/", "Report.doc");
    TSearchOptions options;
    options.CaseSensitive = true;
    EXPECT_EQ(Search("report", options), 0u);
    options.CaseSensitive = false;  // ticking the box afterwards changes nothing shown
    EXPECT_EQ(results.Count(), 0u);
    EXPECT_EQ(Search("report", options), 1u);
}

TEST_F(SearchDriverTest, FullPathFindsEntriesBelowAMatchingFolder) {
    AddEntry(catalogue, "/c/windows/", "system32", true);
    AddEntry(catalogue, "/c/windows/system32/", "kernel.dll");
    AddEntry(catalogue, "/c/users/", "notes.txt");
    AddEntry(catalogue, "/c/", "windows", true);
    TSearchOptions options;
    options.FullPath = true;
    Search("windows", options);
    EXPECT_EQ(FullPaths(results), (std::vector<std::string>{"/c/windows/system32",
                                                            "/c/windows/system32/kernel.dll", "/c/windows"}));
    Search("readme.txt", options);
    EXPECT_EQ(results.Count(), 0u);
    Search("*/kernel.dll", options);
    EXPECT_EQ(FullPaths(results), (std::vector<std::string>{"/c/windows/system32/kernel.dll"}));
    options.FullPath = false;
    Search("windows", options);
    EXPECT_EQ(FullPaths(results), (std::vector<std::string>{"/c/windows"}));
}

TEST_F(SearchDriverTest, CacheFollowsCatalogueChanges) {
    AddEntry(catalogue, "/d/", "alpha");
    EXPECT_EQ(Search("alpha"), 1u);
    catalogue.Clear();
    AddEntry(catalogue, "/d/", "beta");
    EXPECT_EQ(Search("alpha"), 0u);
    EXPECT_EQ(Search("beta"), 1u);
    AddEntry(catalogue, "/d/", "alphabet");
    EXPECT_EQ(Search("alpha"), 1u);
    EXPECT_EQ(Search("ALPHA", TSearchOptions{true, false, true, true, false}), 0u);
}

// A stop requested of the driver (from another thread, by a reader whose time is up) ends a
// search at its next entry, and says so; without it, searches are whole.
TEST_F(SearchDriverTest, AStopRequestEndsTheSearch) {
    for (int i = 0; i < 3000; ++i) AddEntry(catalogue, "/d/", "n" + std::to_string(i % 7));
    std::atomic<bool> stop{true};
    TSearchDriver stopping;
    stopping.SetStopRequest(&stop);
    const auto search = [&](std::string_view text) { return stopping.Search(cat, text, {}, 10000, results); };
    EXPECT_EQ(search("n3"), 0u);
    EXPECT_EQ(search("*"), 0u);
    EXPECT_TRUE(stopping.StopRequested());
    stop = false;
    EXPECT_EQ(search("n3"), 3000u / 7 + 1);
    EXPECT_FALSE(stopping.StopRequested());
}

}  // namespace
}  // namespace quillory

namespace quillory {
namespace {

// Every byte of the name buffer (a name's NUL included) belongs to one entry, whatever entry
// at or before it the lookup starts from: near, a little after the stepping reach, far.
TEST(NameCacheLookup, EveryOffsetFindsItsEntryFromAnyEarlierHint) {
    EntryList list;
    for (size_t i = 0; i < 300; ++i) {
        test::AddEntry(list, "/f/", std::string(i % 7 == 0 ? 0 : i % 23, 'a'), false);
    }
    NameCache cache(false);
    cache.Update(list);
    ASSERT_EQ(cache.Count(), list.Count());
    size_t entry = 0;
    for (size_t offset = 0; offset < cache.Buffer().size(); ++offset) {
        while (cache.Start(entry + 1) <= offset) ++entry;
        for (const size_t back :
             {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{17}, size_t{40}, entry}) {
            const size_t hint = entry >= back ? entry - back : 0;
            ASSERT_EQ(cache.EntryAt(offset, hint), entry) << "offset " << offset << " hint " << hint;
        }
    }
}

}  // namespace
}  // namespace quillory
