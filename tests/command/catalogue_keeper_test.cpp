// The keeper's holds and workers: the column ranks built after the names, a catalogue lent to
// a column click only while no worker has it, no worker left running behind a hold, and no
// worker given the catalogue while a hold lives.
#include "command/catalogue_keeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "tests/results/result_builder.h"

namespace quillory::command {
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
std::optional<ReadHold> WaitForIdle(CatalogueKeeper& keeper) {
    for (int i = 0; i < 1000; ++i) {
        if (std::optional<ReadHold> catalogue = keeper.ReadIfIdle()) return catalogue;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

bool RanksComplete(const Catalogue& catalogue) {
    return catalogue.Ranks.Complete(catalogue.Entries.Generation(), UsCollation().LocaleId());
}

class SilentObserver final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
};

TEST(CatalogueKeeper, BuildsTheColumnRanksAfterTheNames) {
    CatalogueKeeper keeper(CatalogueOf(3000));
    keeper.SetSortCollation(UsCollation());
    keeper.PrepareNamesAhead();
    std::optional<ReadHold> idle = WaitForIdle(keeper);
    ASSERT_TRUE(idle);
    EXPECT_TRUE(RanksComplete(**idle));
    idle.reset();

    // A changed catalogue: stale ranks are rebuilt on request, and only then.
    {
        const WriteHold owned = keeper.Write();
        test::AddResult(owned->Entries, {"added"});
        EXPECT_FALSE(RanksComplete(*owned));
    }
    keeper.PrepareOrdersAhead();
    idle = WaitForIdle(keeper);
    ASSERT_TRUE(idle);
    EXPECT_TRUE(RanksComplete(**idle));
}

TEST(CatalogueKeeper, BuildsNoRanksWithoutASortCollation) {
    CatalogueKeeper keeper(CatalogueOf(100));
    keeper.PrepareNamesAhead();
    keeper.PrepareOrdersAhead();
    const ReadHold catalogue = keeper.Read();
    EXPECT_EQ(catalogue->Ranks.Find(0, catalogue->Entries.Generation(), UsCollation().LocaleId()), nullptr);
    EXPECT_EQ(catalogue->Ranks.BytesAllocated(), 0u);
}

TEST(CatalogueKeeper, AHoldStopsTheRanksAndPrepareOrdersAheadResumesThem) {
    CatalogueKeeper keeper(CatalogueOf(200'000));
    keeper.SetSortCollation(UsCollation());
    keeper.PrepareNamesAhead();
    // A hold is had with no worker left on the catalogue, finished or not.
    const Catalogue* owned = &*keeper.Read();
    std::optional<ReadHold> idle = keeper.ReadIfIdle();
    ASSERT_TRUE(idle);
    EXPECT_EQ(&**idle, owned);
    idle.reset();
    keeper.PrepareOrdersAhead();
    idle = WaitForIdle(keeper);
    ASSERT_TRUE(idle);
    EXPECT_TRUE(RanksComplete(**idle));
}

TEST(CatalogueKeeper, WhileAHoldLivesNoWorkerNorSecondHolderGetsTheCatalogue) {
    CatalogueKeeper keeper(CatalogueOf(10));
    keeper.SetSortCollation(UsCollation());
    SilentObserver observer;
    const auto refusesEveryone = [&] {
        EXPECT_THROW(keeper.StartRescan(observer), std::logic_error);
        EXPECT_FALSE(keeper.Rescanning());
        EXPECT_THROW(keeper.PrepareNamesAhead(), std::logic_error);
        EXPECT_THROW(keeper.PrepareOrdersAhead(), std::logic_error);
        EXPECT_THROW(keeper.Read(), std::logic_error);
        EXPECT_THROW(keeper.Write(), std::logic_error);
        EXPECT_THROW(keeper.ReadIfIdle(), std::logic_error);
    };
    bool read = false;
    {
        ReadHold first = keeper.Read();
        refusesEveryone();
        // A reading hold leaves the readers of other threads in.
        EXPECT_TRUE(keeper.TryRead([&](const Catalogue& catalogue) { read = &catalogue == &*first; }));
        EXPECT_TRUE(read);
        // A moved hold still holds; the moved-from one lets nothing go.
        const ReadHold moved = std::move(first);
        refusesEveryone();
        EXPECT_EQ(moved->Entries.Count(), 10u);
    }
    {
        const WriteHold writing = keeper.Write();
        refusesEveryone();
        // A writing hold keeps them out.
        read = false;
        EXPECT_FALSE(keeper.TryRead([&](const Catalogue&) { read = true; }));
        EXPECT_FALSE(read);
    }
    EXPECT_TRUE(keeper.TryRead([](const Catalogue&) {}));
    keeper.PrepareNamesAhead();
    EXPECT_EQ(keeper.Write()->Entries.Count(), 10u);
}

}  // namespace
}  // namespace quillory::command
