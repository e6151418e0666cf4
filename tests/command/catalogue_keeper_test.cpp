// The keeper's workers: the column ranks built after the names, a catalogue handed to a
// column click only while no worker holds it, and no worker left running behind Acquire().
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "command/catalogue_keeper.h"
#include "tests/app/endless_lister.h"
#include "platform/directory_listing.h"
#include "tests/results/result_builder.h"

namespace quillory::app {
namespace {

Collation UsCollation() {
    return Collation::ForLocale("en_US.UTF-8", CollationStrength::Tertiary);
}

std::unique_ptr<Catalogue> CatalogueOf(size_t count) {
    auto catalogue = std::make_unique<Catalogue>(TProgramOptions());
    for (size_t i = 0; i < count; ++i) {
        test::AddResult(catalogue->Entries, {"name" + std::to_string(i * 7919 % count), "/f/",
                                             static_cast<int64_t>(i % 13), 1.0});
    }
    return catalogue;
}

// The idle catalogue once the worker is done (it never takes ten seconds).
const Catalogue* WaitForIdle(CatalogueKeeper& keeper) {
    for (int i = 0; i < 1000; ++i) {
        if (const Catalogue* catalogue = keeper.IdleCatalogue()) return catalogue;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

using quillory::test::EndlessLister;

class SilentObserver final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
};

TEST(CatalogueKeeper, BuildsTheColumnRanksAfterTheNames) {
    CatalogueKeeper keeper(CatalogueOf(3000));
    keeper.SetSortCollation(UsCollation());
    keeper.PrepareNamesAhead();
    const Catalogue* catalogue = WaitForIdle(keeper);
    ASSERT_NE(catalogue, nullptr);
    EXPECT_TRUE(catalogue->Ranks.Complete(catalogue->Entries.Generation(), UsCollation().LocaleId()));

    // A changed catalogue: stale ranks are rebuilt on request, and only then.
    Catalogue& owned = keeper.Acquire();
    test::AddResult(owned.Entries, {"added"});
    EXPECT_FALSE(owned.Ranks.Complete(owned.Entries.Generation(), UsCollation().LocaleId()));
    keeper.PrepareOrdersAhead();
    catalogue = WaitForIdle(keeper);
    ASSERT_NE(catalogue, nullptr);
    EXPECT_TRUE(catalogue->Ranks.Complete(catalogue->Entries.Generation(), UsCollation().LocaleId()));
}

TEST(CatalogueKeeper, BuildsNoRanksWithoutASortCollation) {
    CatalogueKeeper keeper(CatalogueOf(100));
    keeper.PrepareNamesAhead();
    keeper.PrepareOrdersAhead();
    const Catalogue& catalogue = keeper.Acquire();
    EXPECT_EQ(catalogue.Ranks.Find(0, catalogue.Entries.Generation(), UsCollation().LocaleId()), nullptr);
    EXPECT_EQ(catalogue.Ranks.BytesAllocated(), 0u);
}

TEST(CatalogueKeeper, AcquireStopsTheRanksAndPrepareOrdersAheadResumesThem) {
    CatalogueKeeper keeper(CatalogueOf(200'000));
    keeper.SetSortCollation(UsCollation());
    keeper.PrepareNamesAhead();
    // Acquire returns with no worker left on the catalogue, finished or not.
    const Catalogue& owned = keeper.Acquire();
    EXPECT_EQ(keeper.IdleCatalogue(), &owned);
    keeper.PrepareOrdersAhead();
    const Catalogue* catalogue = WaitForIdle(keeper);
    ASSERT_NE(catalogue, nullptr);
    EXPECT_TRUE(catalogue->Ranks.Complete(catalogue->Entries.Generation(), UsCollation().LocaleId()));
}

TEST(CatalogueKeeper, ARescanEndedByAcquireLeavesNoWorkerRunning) {
    EndlessLister lister;
    SilentObserver observer;
    auto start = CatalogueOf(10);
    start->Options.IncludedFolders = "/endless/\r\n";
    CatalogueKeeper keeper(std::move(start));
    keeper.SetSortCollation(UsCollation());
    keeper.Driver().SetLister(lister);
    // As the window does: the end of a rescan prepares the names (and ranks) of what it found.
    keeper.OnRescanEnded([&keeper](const RescanResult&) { keeper.PrepareNamesAhead(); });
    ASSERT_TRUE(keeper.StartRescan(observer));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(keeper.IdleCatalogue(), nullptr) << "a rescan owns the catalogue";
    EXPECT_TRUE(keeper.Rescanning()) << "asking for the idle catalogue stops nothing";

    // A search's Acquire stops the rescan; the preparation its end started is over too, so
    // the caller is the only one using the catalogue.
    Catalogue& owned = keeper.Acquire();
    EXPECT_FALSE(keeper.Rescanning());
    EXPECT_GT(owned.Entries.Count(), 10u);
    EXPECT_EQ(keeper.IdleCatalogue(), &owned);
}

}  // namespace
}  // namespace quillory::app
