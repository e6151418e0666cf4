#include "platform/parallel_directory_lister.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>

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

// The system listing, counting every folder opened below a root by its full path.
class CountingLister final : public DirectoryLister {
  public:
    std::unique_ptr<FolderListing> OpenFolder(const std::string& path) override {
        return Wrap(SystemDirectoryLister().OpenFolder(path), path);
    }
    // Full paths (ending with "/") of the folders opened below a root, each once per open.
    std::vector<std::string> Opened() {
        std::lock_guard lock(mutex_);
        return opened_;
    }
    // Listings open now (each holds an open folder).
    int Live() const { return live_.load(); }

  private:
    class Listing final : public FolderListing {
      public:
        Listing(CountingLister& owner, std::unique_ptr<FolderListing> inner, std::string path)
            : owner_(owner), inner_(std::move(inner)), path_(std::move(path)) {
            ++owner_.live_;
        }
        ~Listing() override { --owner_.live_; }
        bool Next(ListedItem& item) override { return inner_->Next(item); }
        std::unique_ptr<FolderListing> OpenChild(std::string_view name) override {
            const std::string path = path_ + std::string(name) + "/";
            {
                std::lock_guard lock(owner_.mutex_);
                owner_.opened_.push_back(path);
            }
            return owner_.Wrap(inner_->OpenChild(name), path);
        }

      private:
        CountingLister& owner_;
        std::unique_ptr<FolderListing> inner_;
        std::string path_;
    };

    std::unique_ptr<FolderListing> Wrap(std::unique_ptr<FolderListing> inner, std::string path) {
        if (!inner) return nullptr;
        if (path.back() != '/') path.push_back('/');
        return std::make_unique<Listing>(*this, std::move(inner), std::move(path));
    }

    std::mutex mutex_;
    std::vector<std::string> opened_;
    std::atomic<int> live_{0};
};

// Workers reading ahead never open a folder the exclusion rule refuses, however many
// folders wait inside it and whichever root is walked.
TEST(ParallelDirectoryLister, ExcludedFoldersAreNeverOpened) {
    test::TempDir dir;
    MakeTree(dir);
    for (int i = 0; i < 40; ++i) dir.MakeDir("r/a5/wide" + std::to_string(i) + "/x/y");
    WalkLists lists;
    lists.includedFolders = {dir / "r/", dir / "r/a9/"};
    lists.excludedFolders = ExcludedFolderList({dir / "r/a5/", dir / "R/A9/B3/"});
    WalkOutcome outcome;
    SystemDirectoryLister system;
    const std::vector<Entry> expected = WalkWith(system, lists, -1, outcome);
    for (const size_t workers : {1, 3}) {
        CountingLister counting;
        ParallelDirectoryLister::Settings settings;
        settings.workers = workers;
        settings.maxWaitingItems = size_t{1} << 16;  // nothing holds the workers back
        {
            ParallelDirectoryLister lister(settings, counting);
            EXPECT_EQ(WalkWith(lister, lists, -1, outcome), expected);
        }
        const std::vector<std::string> opened = counting.Opened();
        EXPECT_GT(opened.size(), 100u) << "the workers did read ahead";
        for (const std::string& path : opened) {
            EXPECT_FALSE(path.starts_with(dir / "r/a5/")) << path;
            EXPECT_FALSE(path.starts_with(dir / "r/a9/b3/")) << path;
        }
    }
}

std::vector<std::string> SortedNames(FolderListing& listing) {
    std::vector<std::string> names;
    ListedItem item;
    while (listing.Next(item)) names.emplace_back(item.name);
    std::sort(names.begin(), names.end());
    return names;
}

// A folder read ahead is closed as soon as nothing more is opened through it (its subfolders
// read ahead are open), while its items are still being handed out; a folder whose subfolders
// were not read ahead stays open, so the walk can still open them through it.
TEST(ParallelDirectoryLister, FolderIsClosedOnceNothingMoreIsOpenedThroughIt) {
    test::TempDir dir;
    dir.WriteFile("r/s/a.txt", "");
    dir.WriteFile("r/s/b.txt", "");
    dir.WriteFile("r/t.txt", "");
    for (const size_t deepest : {size_t{100}, size_t{1}}) {
        CountingLister counting;
        ParallelDirectoryLister::Settings settings;
        settings.workers = 0;  // every folder is read by the calling thread, when it is opened
        settings.deepestLevel = deepest;
        ParallelDirectoryLister lister(settings, counting);
        std::unique_ptr<FolderListing> root = lister.OpenFolder(dir / "r/");
        ASSERT_TRUE(root);
        // Read, and held open for the subfolder "s" (by its job, or for the walk).
        EXPECT_EQ(counting.Live(), 1) << deepest;
        std::unique_ptr<FolderListing> sub = root->OpenChild("s");
        ASSERT_TRUE(sub);
        // Read ahead: both are closed now. Not read ahead: the root stays open; "s" was read and
        // has no subfolder, so it is closed.
        EXPECT_EQ(counting.Live(), deepest == 1 ? 1 : 0) << deepest;
        EXPECT_EQ(SortedNames(*sub), (std::vector<std::string>{"a.txt", "b.txt"})) << deepest;
        EXPECT_EQ(SortedNames(*root), (std::vector<std::string>{"s", "t.txt"})) << deepest;
        EXPECT_EQ(root->OpenChild("t.txt"), nullptr) << deepest;
        root.reset();
        EXPECT_EQ(counting.Live(), 0) << deepest;
    }
}

// A name is opened as given or not at all: never a folder named by a part of it.
TEST(ParallelDirectoryLister, ChildNameIsTakenWhole) {
    test::TempDir dir;
    dir.WriteFile("r/s/a.txt", "");
    SystemDirectoryLister system;
    std::unique_ptr<FolderListing> root = system.OpenFolder(dir / "r/");
    ASSERT_TRUE(root);
    EXPECT_TRUE(root->OpenChild("s"));
    EXPECT_EQ(root->OpenChild(std::string_view("s\0x", 3)), nullptr);
    EXPECT_EQ(root->OpenChild(std::string(300, 's')), nullptr);
}

TEST(ParallelDirectoryLister, RootThatCannotBeOpened) {
    ParallelDirectoryLister lister;
    EXPECT_EQ(lister.OpenFolder("/nonexistent-quillory-folder/"), nullptr);
}

}  // namespace
}  // namespace quillory
