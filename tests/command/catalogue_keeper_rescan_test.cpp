// Rescans through the keeper: it hands the catalogue to one owner at a time, a rescan's worker, a worker building
// the search names, or the caller of Acquire().
#include "command/catalogue_keeper.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/temp_dir.h"

namespace quillory::app {
namespace {

class CountingObserver final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
    void Finished() override { finished = true; }
    std::atomic<bool> finished{false};
};

TEST(CatalogueKeeperRescan, AcquireDuringARescanStopsItAndNoWorkerRemainsOnTheCatalogue) {
    quillory::test::TempDir dir;
    for (int i = 0; i < 50; ++i) dir.WriteFile("tree/f" + std::to_string(i) + ".txt", "x");
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "tree/\r\n";
    CatalogueKeeper keeper(std::move(catalogue));
    int ended = 0;
    // As the window does: every end of a rescan starts building the search names ahead.
    keeper.OnRescanEnded([&](const RescanResult&) {
        ++ended;
        keeper.PrepareNamesAhead(true);
    });
    CountingObserver observer;
    ASSERT_TRUE(keeper.StartRescan(observer));
    EXPECT_TRUE(keeper.Rescanning());
    EXPECT_FALSE(keeper.StartRescan(observer));  // one at a time

    Catalogue& owned = keeper.Acquire();
    EXPECT_FALSE(keeper.Rescanning());
    EXPECT_EQ(ended, 1);
    // The names built ahead are complete once Acquire() returns: using them changes nothing.
    const NameCache& names = owned.NamesFor(false);
    EXPECT_EQ(names.Count(), owned.Entries.Count());
    const uint64_t builds = names.Builds();
    owned.NamesFor(false);
    EXPECT_EQ(owned.NamesFor(false).Builds(), builds);

    // Collecting again does nothing; a finished rescan is collected once.
    keeper.CollectRescan();
    EXPECT_EQ(ended, 1);
}

TEST(CatalogueKeeperRescan, CompletedRescanAppliesItsStatistics) {
    quillory::test::TempDir dir;
    dir.WriteFile("tree/a.txt", "x");
    auto catalogue = std::make_unique<Catalogue>();
    catalogue->Options.IncludedFolders = dir / "tree/\r\n";
    CatalogueKeeper keeper(std::move(catalogue));
    CountingObserver observer;
    ASSERT_TRUE(keeper.StartRescan(observer));
    while (!observer.finished) std::this_thread::yield();
    keeper.CollectRescan();
    EXPECT_EQ(keeper.Acquire().Entries.Count(), 1u);
    EXPECT_NE(keeper.Acquire().Options.LastRescanTime, 0.0);
}

}  // namespace
}  // namespace quillory::app
