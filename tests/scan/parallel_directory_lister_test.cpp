#include "platform/parallel_directory_lister.h"

#include <gtest/gtest.h>

#include "scan/folder_walk.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

class Reporter final : public RescanObserver {
  public:
    void Progress(std::string, size_t) override {}
    void Heartbeat() override {
        if (++events == stopAt) stop->request_stop();
    }
    std::stop_source* stop = nullptr;
    int events = 0;
    int stopAt = -1;
};

struct Entry {
    std::string path;
    uint32_t attributes;
    int64_t size;
    DateTime modified;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> WalkWith(DirectoryLister& lister, const WalkLists& lists, int stopAt,
                            WalkOutcome& outcome) {
    EntryList catalogue;
    std::stop_source stop;
    Reporter reporter;
    reporter.stop = &stop;
    reporter.stopAt = stopAt;
    FixedMountPolicy mounts;
    WalkLimits limits;
    limits.eventIntervalMs = 0;
    outcome = WalkFolders(lists, catalogue, stop.get_token(), {lister, mounts, reporter}, limits);
    std::vector<Entry> entries;
    for (const TMyItem& e : catalogue.Entries())
        entries.push_back({EntryFullPath(e), e.Attributes, e.Size, e.Modified});
    return entries;
}

// A tree of about 1,000 entries with folders of very different sizes.
void MakeTree(const test::TempDir& dir) {
    for (int a = 0; a < 12; ++a) {
        for (int b = 0; b < a; ++b) {
            const std::string folder = "r/a" + std::to_string(a) + "/b" + std::to_string(b);
            dir.MakeDir(folder + "/empty");
            for (int f = 0; f < (a * b) % 37; ++f)
                dir.WriteFile(folder + "/f" + std::to_string(f) + ".txt", "x");
            dir.WriteFile(folder + "/c/d/e/deep.txt", std::string(static_cast<size_t>(b), 'y'));
        }
    }
}

// Whatever the reading ahead does, the walk gets exactly what the plain system listing gives,
// in the same order: with exclusions (folders read ahead but never entered), with the queue
// limit forcing the walk to read folders itself, and when it stops part-way.
TEST(ParallelDirectoryLister, WalkIsTheSameAsWithTheSystemListing) {
    test::TempDir dir;
    MakeTree(dir);
    WalkLists lists;
    lists.includedFolders = {dir / "r/", dir / "r/a7/", dir / "missing/"};
    lists.excludedFolders = ExcludedFolderList({dir / "r/a5/", dir / "r/a9/b3/c/"});
    WalkOutcome outcome;
    SystemDirectoryLister system;
    const std::vector<Entry> expected = WalkWith(system, lists, -1, outcome);
    ASSERT_EQ(outcome, WalkOutcome::Completed);
    ASSERT_GT(expected.size(), 1200u);

    for (const size_t workers : {1, 3}) {
        for (const size_t waiting : {size_t{1}, size_t{50}, size_t{1} << 16}) {
            ParallelDirectoryLister::Settings settings;
            settings.workers = workers;
            settings.maxWaitingItems = waiting;
            for (int round = 0; round < 2; ++round) {
                ParallelDirectoryLister lister(settings);
                EXPECT_EQ(WalkWith(lister, lists, -1, outcome), expected)
                    << workers << " workers, " << waiting;
                EXPECT_EQ(outcome, WalkOutcome::Completed);
            }
            // A stop part-way ends the walk with the same prefix, and the workers end with the lister.
            ParallelDirectoryLister lister(settings);
            const std::vector<Entry> part = WalkWith(lister, lists, 700, outcome);
            EXPECT_EQ(outcome, WalkOutcome::Stopped);
            ASSERT_LE(part.size(), expected.size());
            EXPECT_TRUE(std::equal(part.begin(), part.end(), expected.begin()));
            EXPECT_GT(part.size(), 500u);
        }
    }
}

TEST(ParallelDirectoryLister, RootThatCannotBeOpened) {
    ParallelDirectoryLister lister;
    EXPECT_EQ(lister.OpenFolder("/nonexistent-quillory-folder/"), nullptr);
}

}  // namespace
}  // namespace quillory
