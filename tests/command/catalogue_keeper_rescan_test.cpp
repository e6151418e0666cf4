// Rescans through the keeper: it lends the catalogue to one owner at a time, a rescan's worker,
// a worker building the search names, or a hold; a hold takes a running rescan back and its
// result waits for CollectRescan.
#include <gtest/gtest.h>

#include <atomic>

#include "command/catalogue_keeper.h"
#include "tests/app/endless_lister.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace quillory::command {
namespace {

class CountingObserver final : public RescanObserver {
  public:
    void Progress(std::string, size_t found) override { progress = found; }
    void Finished() override { finished = true; }
    std::atomic<size_t> progress{0};
    std::atomic<bool> finished{false};
};

TEST(CatalogueKeeperRescan, AHoldDuringARescanStopsItAndItsResultIsCollectedOnce) {
    test::EndlessLister lister;
    auto start = std::make_unique<Catalogue>();
    start->Options.IncludedFolders = "/endless/\r\n";
    start->Options.LastRescanTime = 123.0;
    CatalogueKeeper keeper(std::move(start));
    keeper.Driver().SetLister(lister);
    CountingObserver observer;
    ASSERT_TRUE(keeper.StartRescan(observer));
    EXPECT_FALSE(keeper.StartRescan(observer));  // one at a time
    ASSERT_TRUE(test::WaitUntil([&] { return observer.progress >= 20; }));
    EXPECT_FALSE(keeper.ReadIfIdle()) << "a rescan owns the catalogue";
    EXPECT_TRUE(keeper.Rescanning()) << "asking for the idle catalogue stops nothing";
    EXPECT_FALSE(keeper.TryRead([](const Catalogue&) {}));

    size_t found = 0;
    {
        const WriteHold catalogue = keeper.Write();
        EXPECT_FALSE(keeper.Rescanning());
        EXPECT_TRUE(observer.finished);
        EXPECT_TRUE(catalogue->Incomplete);
        EXPECT_EQ(catalogue->Options.LastRescanTime, 123.0);  // a stopped rescan leaves them
        found = catalogue->Entries.Count();
        EXPECT_GE(found, 20u);
    }
    const std::optional<RescanResult> ended = keeper.CollectRescan();
    ASSERT_TRUE(ended);
    EXPECT_FALSE(ended->Completed());
    EXPECT_EQ(ended->found, found);
    EXPECT_FALSE(keeper.CollectRescan());

    // The names built ahead are complete once a hold is had: using them changes nothing.
    keeper.PrepareNamesAhead(true);
    const ReadHold owned = keeper.Read();
    for (const bool caseSensitive : {false, true}) {
        const NameCache* names = owned->CurrentNames(caseSensitive);
        ASSERT_NE(names, nullptr) << caseSensitive;
        EXPECT_EQ(names->Count(), found);
    }
}

TEST(CatalogueKeeperRescan, CompletedRescanAppliesItsStatistics) {
    test::TempDir dir;
    dir.WriteFile("tree/a.txt", "x");
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "tree/\r\n";
    CatalogueKeeper keeper(std::move(catalogue));
    CountingObserver observer;
    ASSERT_TRUE(keeper.StartRescan(observer));
    ASSERT_TRUE(test::WaitUntil([&] { return observer.finished.load(); }));
    const std::optional<RescanResult> ended = keeper.CollectRescan();
    ASSERT_TRUE(ended);
    EXPECT_TRUE(ended->Completed());
    const ReadHold held = keeper.Read();
    EXPECT_EQ(held->Entries.Count(), 1u);
    EXPECT_NE(held->Options.LastRescanTime, 0.0);
    EXPECT_FALSE(held->Incomplete);
}

}  // namespace
}  // namespace quillory::command
