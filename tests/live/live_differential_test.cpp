// Random changes of a watched tree, checked against a fresh walk after every few steps.

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "tests/live/live_harness.h"

namespace quillory::test {
namespace {

namespace fs = std::filesystem;

// Names of every kind the walk meets: hidden, filtered out by extension, with bytes that are
// not UTF-8, with a multi-byte character, and the excluded folder's name.
const char* const kNames[] = {"a",           "b.txt", ".hidden", "x.tmp", "caf\xc3\xa9",
                              "bad\xff\xfe", "skip",  "Data",    "n"};

class RandomChanges {
  public:
    RandomChanges(const std::string& tree, const std::string& outside, unsigned seed)
        : tree_(tree), outside_(outside), rng_(seed) {}

    void Step() {
        switch (Pick(12)) {
            case 0:
                WriteFile(NewPath(RandomFolder(tree_)), Pick(100));
                break;
            case 1:
                MakeFolderWithFiles(NewPath(RandomFolder(tree_)));
                break;
            case 2:
                Remove(RandomItem(tree_, false));
                break;
            case 3:
                Remove(RandomItem(tree_, true));
                break;
            case 4:
                Move(RandomItem(tree_, false), NewPath(RandomFolder(tree_)));
                break;
            case 5:
                MoveFolderWithin();
                break;
            case 6:
                Move(RandomItem(tree_, true), NewPath(outside_));
                break;
            case 7:
                Move(RandomItem(outside_, true), NewPath(RandomFolder(tree_)));
                break;
            case 8:
                ReplaceByOtherKind(RandomItem(tree_, Pick(2) == 0));
                break;
            case 9:
                Append(RandomItem(tree_, false));
                break;
            case 10:
                MakeLink(NewPath(RandomFolder(tree_)));
                break;
            default:
                ToggleReadOnly(RandomItem(tree_, false));
                break;
        }
    }

  private:
    size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

    // Links count as files: they are never entered.
    std::vector<fs::path> Items(const std::string& under, bool folders) {
        std::vector<fs::path> items;
        for (const auto& entry : fs::recursive_directory_iterator(under)) {
            if ((entry.is_directory() && !entry.is_symlink()) == folders) items.push_back(entry.path());
        }
        return items;
    }
    fs::path RandomItem(const std::string& under, bool folder) {
        const std::vector<fs::path> items = Items(under, folder);
        return items.empty() ? fs::path() : items[Pick(items.size())];
    }
    fs::path RandomFolder(const std::string& under) {
        const fs::path folder = Pick(4) == 0 ? fs::path() : RandomItem(under, true);
        return folder.empty() ? fs::path(under) : folder;
    }
    fs::path NewPath(const fs::path& folder) {
        return folder / (std::string(kNames[Pick(std::size(kNames))]) + std::to_string(Pick(3)));
    }

    static void WriteFile(const fs::path& path, size_t bytes) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) return;
        std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
    }
    void MakeFolderWithFiles(const fs::path& path) {
        std::error_code ec;
        if (!fs::create_directory(path, ec)) return;
        // Content written at once: it must be found although it may come before the watch.
        for (size_t i = Pick(4); i > 0; --i) WriteFile(NewPath(path), i);
        if (Pick(2) == 0) fs::create_directory(NewPath(path), ec);
    }
    static void Remove(const fs::path& path) {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    static void Move(const fs::path& from, const fs::path& to) {
        std::error_code ec;
        if (from.empty() || fs::exists(to, ec)) return;
        fs::rename(from, to, ec);
    }
    void MoveFolderWithin() {
        const fs::path from = RandomItem(tree_, true);
        const fs::path to = NewPath(RandomFolder(tree_));
        // Not into its own subtree.
        if (to.string().starts_with(from.string() + "/")) return;
        Move(from, to);
    }
    void ReplaceByOtherKind(const fs::path& path) {
        if (path.empty()) return;
        const bool wasFolder = fs::is_directory(path);
        Remove(path);
        std::error_code ec;
        if (wasFolder) {
            WriteFile(path, 3);
        } else {
            fs::create_directory(path, ec);
        }
    }
    static void MakeLink(const fs::path& path) {
        std::error_code ec;
        fs::create_directory_symlink("..", path, ec);
    }
    static void Append(const fs::path& path) {
        if (!path.empty()) std::ofstream(path, std::ios::binary | std::ios::app) << "more";
    }
    static void ToggleReadOnly(const fs::path& path) {
        struct stat status {};
        if (path.empty() || lstat(path.c_str(), &status) != 0 || S_ISLNK(status.st_mode)) return;
        chmod(path.c_str(), (status.st_mode & 0222) ? 0444 : 0644);
    }

    std::string tree_;
    std::string outside_;
    std::mt19937 rng_;
};

// Dates everything below `root` back to 2001: an entry the watcher fails to bring up to date
// then differs from the fresh walk even where it changed within the catalogue's two seconds.
void DateBack(const std::string& root) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, {978307200, 0}};
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(root)) paths.push_back(entry.path());
    // Content first: changing it would move its folder's time again.
    for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        utimensat(AT_FDCWD, it->c_str(), times, AT_SYMLINK_NOFOLLOW);
}

class LiveDifferential : public ::testing::TestWithParam<unsigned> {};

TEST_P(LiveDifferential, CatalogueEqualsAFreshWalkAfterEveryGroupOfChanges) {
    TempDir dir;
    const std::string tree = dir.MakeDir("tree");
    const std::string outside = dir.MakeDir("outside");
    dir.WriteFile("tree/keep/one.txt", "1");
    dir.WriteFile("tree/skip/hidden-away.txt", "2");
    dir.MakeDir("outside/parked");
    dir.WriteFile("outside/parked/inside/file.tmp", "3");
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 3; ++j)
            dir.WriteFile("tree/d" + std::to_string(i) + "/f" + std::to_string(j), "abc");
    }
    DateBack(tree);
    LiveHarness live;
    live.Options().IncludedFolders = tree + "/";
    // Excluded: the folder "skip" at the top of the tree; the extension filter drops ".tmp".
    live.Options().ExcludedFolders = tree + "/skip/";
    live.Options().ExtensionFilterOn = true;
    live.Options().ExcludeExtensionsMode = true;
    live.Options().ExcludedExtensions = "tmp";
    live.Scan();
    live.StartWatching();
    ASSERT_TRUE(live.WaitUntilCurrent());
    RandomChanges changes(tree, outside, GetParam());
    for (int group = 0; group < 20; ++group) {
        for (int step = 0; step < 10; ++step) changes.Step();
        ASSERT_TRUE(live.WaitUntilCurrent()) << "after group " << group;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, LiveDifferential, ::testing::Values(1u, 2u, 3u));

}  // namespace
}  // namespace quillory::test
