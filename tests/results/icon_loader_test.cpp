#include "results/icon_loader.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/results/result_builder.h"

namespace quillory {
namespace {

// Answers one index per distinct path and records every question.
class CountingProvider : public IconProvider {
  public:
    int32_t SystemIconIndex(const std::string& path, bool folder) override {
        asked.push_back(path);
        folders.push_back(folder);
        if (answer) return *answer;
        auto [it, added] = indexes.emplace(path, static_cast<int32_t>(indexes.size()) + 1);
        return it->second;
    }
    std::vector<std::string> asked;
    std::vector<bool> folders;
    std::map<std::string, int32_t> indexes;
    std::optional<int32_t> answer;
};

EntryList Unlooked(const std::vector<std::string>& names, uint32_t attributes = 0x80) {
    EntryList results;
    for (const std::string& name : names)
        test::AddResult(results, {name, "/r/", 0, 0, attributes}).IconIndex = -1;
    return results;
}

std::vector<std::string> Numbered(const std::string& stem, const std::string& ext, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) names.push_back(stem + std::to_string(i) + ext);
    return names;
}

TEST(IconLoader, ThirtyTextFilesShareOneLookUp) {
    EntryList results = Unlooked(Numbered("note", ".txt", 30));
    CountingProvider provider;
    IconLoader loader(provider);
    EXPECT_TRUE(loader.LoadIcons(results, 0, 29));
    EXPECT_EQ(provider.asked, std::vector<std::string>{"/r/note0.txt"});
    EXPECT_EQ(loader.Lookups(), 1u);
    for (size_t i = 0; i < 30; ++i) EXPECT_EQ(results[i].IconIndex, 1) << i;
    // Looked up once, never again.
    EXPECT_FALSE(loader.LoadIcons(results, 0, 29));
    EXPECT_EQ(provider.asked.size(), 1u);
}

TEST(IconLoader, ExecutablesIconFilesAndBareNamesAreLookedUpOneByOne) {
    EntryList results = Unlooked(Numbered("setup", ".exe", 10));
    CountingProvider provider;
    IconLoader loader(provider);
    loader.LoadIcons(results, 0, 9);
    EXPECT_EQ(provider.asked.size(), 10u);
    EXPECT_EQ(results[9].IconIndex, 10);

    EntryList mixed = Unlooked({"A.EXE", "b.Ico", "c.ico", "README", "Makefile", "d.exe"});
    CountingProvider second;
    IconLoader other(second);
    other.LoadIcons(mixed, 0, 5);
    EXPECT_EQ(second.asked.size(), 6u);
}

TEST(IconLoader, ExtensionsThatDifferInCaseShareOneEntry) {
    EntryList results = Unlooked({"a.TXT", "b.txt", "c.Txt", "d.\xC3\x84X", "e.\xC3\xA4x", "f.mp3"});
    CountingProvider provider;
    IconLoader loader(provider);
    loader.LoadIcons(results, 0, 5);
    EXPECT_EQ(provider.asked, (std::vector<std::string>{"/r/a.TXT", "/r/d.\xC3\x84X", "/r/f.mp3"}));
    EXPECT_EQ(results[1].IconIndex, results[0].IconIndex);
    EXPECT_EQ(results[2].IconIndex, results[0].IconIndex);
    EXPECT_EQ(results[4].IconIndex, results[3].IconIndex);
    EXPECT_NE(results[5].IconIndex, results[0].IconIndex);
}

TEST(IconLoader, AFolderWithADotSharesTheExtensionOfItsNameWithFoldersOnly) {
    EntryList results = Unlooked({"photos.2011"}, kAttrDirectory);
    test::AddResult(results, {"scan.2011", "/r/"}).IconIndex = -1;
    test::AddResult(results, {"albums", "/r/", 0, 0, kAttrDirectory}).IconIndex = -1;
    test::AddResult(results, {"music.2011", "/r/", 0, 0, kAttrDirectory}).IconIndex = -1;
    test::AddResult(results, {"notes.2011", "/r/"}).IconIndex = -1;
    CountingProvider provider;
    IconLoader loader(provider);
    loader.LoadIcons(results, 0, 4);
    EXPECT_EQ(provider.asked, (std::vector<std::string>{"/r/photos.2011", "/r/scan.2011", "/r/albums"}));
    EXPECT_EQ(provider.folders, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(results[3].IconIndex, results[0].IconIndex);
    EXPECT_EQ(results[4].IconIndex, results[1].IconIndex);
}

TEST(IconLoader, EachBatchStartsWithAnEmptyCache) {
    EntryList results = Unlooked(Numbered("n", ".txt", 4));
    CountingProvider provider;
    IconLoader loader(provider);
    loader.LoadIcons(results, 0, 1);
    loader.LoadIcons(results, 2, 3);
    EXPECT_EQ(provider.asked, (std::vector<std::string>{"/r/n0.txt", "/r/n2.txt"}));
}

TEST(IconLoader, AnUnansweredLookUpGivesTheGenericIconOnce) {
    EntryList results = Unlooked({"a.zzz", "tool"});
    CountingProvider provider;
    provider.answer = -1;
    IconLoader loader(provider);
    loader.LoadIcons(results, 0, 1);
    EXPECT_EQ(results[0].IconIndex, 0);
    EXPECT_EQ(results[1].IconIndex, 0);
    provider.answer = 0;
    EXPECT_FALSE(loader.LoadIcons(results, 0, 1));
    EXPECT_EQ(provider.asked.size(), 2u);
}

TEST(IconLoader, IdlePassCoversTheVisibleRowsOnlyAndOnlyWhenPending) {
    EntryList results = Unlooked(Numbered("f", ".exe", 50));
    CountingProvider provider;
    IconLoader loader(provider);

    // Nothing announced: the idle pass does nothing.
    EXPECT_FALSE(loader.IdlePass(results, 0, 10, 50));
    EXPECT_TRUE(provider.asked.empty());
    // Rows outside the results raise nothing.
    EXPECT_FALSE(loader.RowsAnnounced(45, 50, results.Count(), false));
    EXPECT_FALSE(loader.Pending());

    // Rows 20 to 29 visible: ten look-ups, the rest untouched, nothing pending afterwards.
    EXPECT_FALSE(loader.RowsAnnounced(20, 29, results.Count(), false));
    EXPECT_TRUE(loader.Pending());
    EXPECT_TRUE(loader.IdlePass(results, 20, 10, 50));
    EXPECT_EQ(provider.asked.size(), 10u);
    EXPECT_EQ(provider.asked.front(), "/r/f20.exe");
    EXPECT_EQ(provider.asked.back(), "/r/f29.exe");
    EXPECT_EQ(results[19].IconIndex, -1);
    EXPECT_EQ(results[30].IconIndex, -1);
    EXPECT_FALSE(loader.Pending());

    // At the end of the list the range stops at the list's last row.
    loader.RowsAnnounced(45, 49, results.Count(), false);
    EXPECT_TRUE(loader.IdlePass(results, 45, 10, 48));
    EXPECT_EQ(provider.asked.back(), "/r/f47.exe");
    EXPECT_EQ(results[48].IconIndex, -1);

    // No row visible: nothing looked up, yet the pending flag is lowered.
    loader.RowsAnnounced(0, 0, results.Count(), false);
    EXPECT_FALSE(loader.IdlePass(results, std::nullopt, 10, 50));
    EXPECT_FALSE(loader.Pending());

    // While a rescan runs the pass is asked for at once.
    EXPECT_TRUE(loader.RowsAnnounced(0, 0, results.Count(), true));
}

TEST(IconLoader, ABatchNeverReachesPastResultsThatShrankDuringIt) {
    EntryList results = Unlooked(Numbered("f", ".exe", 10));
    CountingProvider provider;
    int yields = 0;
    IconLoader loader(provider, [&] {
        // The third look-up lets a new search in that leaves four results.
        if (++yields == 3) results.Truncate(4);
    });
    EXPECT_TRUE(loader.LoadIcons(results, 0, 9));
    EXPECT_EQ(provider.asked.size(), 4u);
    EXPECT_EQ(yields, 4);
    for (size_t i = 4; i < 10; ++i) EXPECT_EQ(results[i].IconIndex, -1) << i;
    EXPECT_GE(results[3].IconIndex, 1);
}

}  // namespace
}  // namespace quillory
