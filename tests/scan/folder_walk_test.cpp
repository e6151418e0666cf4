#include "scan/folder_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "core/text_lines.h"
#include "scan/file_time.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

class Reporter final : public RescanObserver {
  public:
    void Progress(std::string folder, size_t found) override {
        progress.emplace_back(std::move(folder), found);
    }
    void Heartbeat() override {
        ++events;
        if (onEvents) onEvents();
    }
    std::vector<std::pair<std::string, size_t>> progress;
    int events = 0;
    std::function<void()> onEvents;
};

class AllMounts final : public MountPolicy {
  public:
    bool MayEnter(uint32_t, uint32_t) override { return enter; }
    bool enter = true;
};

struct Walk {
    WalkLists lists;
    EntryList catalogue;
    std::stop_source stop;
    TickSource ticks = SteadyTickCount;
    Reporter reporter;
    SystemDirectoryLister lister;
    FixedMountPolicy mounts;
    WalkLimits limits;

    explicit Walk(std::vector<std::string> roots) { lists.includedFolders = std::move(roots); }
    WalkOutcome Run(DirectoryLister* other = nullptr, MountPolicy* otherMounts = nullptr) {
        return WalkFolders(lists, catalogue, stop.get_token(),
                           {other ? *other : lister, otherMounts ? *otherMounts : mounts, reporter, ticks},
                           limits);
    }
    std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const TMyItem& e : catalogue.Entries()) paths.push_back(EntryFullPath(e));
        return paths;
    }
    std::set<std::string> PathSet() const {
        const auto paths = Paths();
        return {paths.begin(), paths.end()};
    }
    const TMyItem* Find(const std::string& path) const {
        for (const TMyItem& e : catalogue.Entries()) {
            if (EntryFullPath(e) == path) return &e;
        }
        return nullptr;
    }
};

// Every folder entry is followed directly by the entries of its content (pre-order), and
// every entry's folder is the root or a folder recorded before it.
void ExpectPreOrder(const Walk& walk, const std::string& root) {
    const auto entries = walk.catalogue.Entries();
    std::vector<std::string> open = {root};  // folders whose content may still follow
    for (const TMyItem& e : entries) {
        while (!open.empty() && open.back() != e.Folder()) open.pop_back();
        ASSERT_FALSE(open.empty()) << "out of order: " << EntryFullPath(e);
        if ((e.Attributes & kAttrDirectory) && !(e.Attributes & kAttrReparsePoint)) {
            open.push_back(EntryFullPath(e) + "/");
        }
    }
}

TEST(WalkFolders, FolderBeforeItsContentWithFolderAndExt) {
    test::TempDir dir;
    dir.WriteFile("Test/A/b.txt", "hello");
    Walk walk({dir / "Test/"});
    EXPECT_EQ(walk.Run(), WalkOutcome::Completed);
    ASSERT_EQ(walk.catalogue.Count(), 2u);
    const TMyItem& a = walk.catalogue[0];
    const TMyItem& b = walk.catalogue[1];
    EXPECT_EQ(a.Name(), "A");
    EXPECT_EQ(a.Folder(), dir / "Test/");
    EXPECT_EQ(a.Ext(), "Folder");
    EXPECT_EQ(a.Size, 0);
    EXPECT_EQ(a.Attributes, kAttrDirectory);
    EXPECT_EQ(a.IconIndex, -1);
    EXPECT_EQ(b.Name(), "b.txt");
    EXPECT_EQ(b.Folder(), dir / "Test/A/");
    EXPECT_EQ(b.Ext(), "txt");
    EXPECT_EQ(b.Size, 5);
    EXPECT_EQ(b.Attributes, kAttrNormal);
}

TEST(WalkFolders, RecordsEveryItemOnceInPreOrderWithItsData) {
    test::TempDir dir;
    const std::string root = dir / "r/";
    std::set<std::string> expected;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 4; ++j) {
            const std::string rel = "r/d" + std::to_string(i) + "/e" + std::to_string(j);
            dir.WriteFile(rel + "/f.dat", std::string(static_cast<size_t>(i * 10 + j), 'x'));
            expected.insert(dir / rel);
            expected.insert(dir / (rel + "/f.dat"));
        }
        expected.insert(dir / ("r/d" + std::to_string(i)));
        expected.insert(dir.WriteFile("r/top" + std::to_string(i) + ".c", ""));
    }
    dir.WriteFile("r/.hidden", "");
    expected.insert(dir / "r/.hidden");
    dir.MakeDir("r/.config");
    expected.insert(dir / "r/.config");
    const std::string readOnly = dir.WriteFile("r/locked.txt", "abc");
    chmod(readOnly.c_str(), 0444);
    expected.insert(readOnly);

    Walk walk({root});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    EXPECT_EQ(walk.PathSet(), expected);
    EXPECT_EQ(walk.catalogue.Count(), expected.size()) << "no item twice";
    ExpectPreOrder(walk, root);

    for (const TMyItem& e : walk.catalogue.Entries()) {
        const std::string path = EntryFullPath(e);
        struct statx st;
        ASSERT_EQ(statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &st),
                  0);
        const bool folder = S_ISDIR(st.stx_mode);
        EXPECT_EQ(e.Size, folder ? 0 : static_cast<int64_t>(st.stx_size)) << path;
        DateTime modified = 0;
        ASSERT_TRUE(FileTimeToDate({st.stx_mtime.tv_sec, 0}, modified));
        EXPECT_EQ(e.Modified, modified) << path;
        DateTime accessed = 0;
        ASSERT_TRUE(FileTimeToDate({st.stx_atime.tv_sec, 0}, accessed));
        if (folder) {
            // Listing a folder after its entry was recorded may move its access time on.
            EXPECT_LE(e.Accessed, accessed) << path;
            EXPECT_GE(e.Accessed, accessed - 60.0 / 86400) << path;
        } else {
            EXPECT_EQ(e.Accessed, accessed) << path;
        }
        DateTime created = 0;
        const auto& birth = (st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_mtime;
        ASSERT_TRUE(FileTimeToDate({birth.tv_sec, 0}, created));
        EXPECT_EQ(e.Created, created) << path;
    }
    EXPECT_EQ(walk.Find(dir / "r/.hidden")->Attributes, kAttrHidden);
    EXPECT_EQ(walk.Find(dir / "r/.config")->Attributes, kAttrHidden | kAttrDirectory);
    EXPECT_EQ(walk.Find(readOnly)->Attributes, kAttrReadOnly);
    EXPECT_EQ(walk.Find(dir / "r/d0")->Attributes, kAttrDirectory);
}

TEST(WalkFolders, ExcludedFolderItselfAndBelowRefusedFoldersAboveWalked) {
    test::TempDir dir;
    dir.WriteFile("r/Data/Old/x.txt", "");
    dir.WriteFile("r/Data/Old/deep/y.txt", "");
    dir.WriteFile("r/Data/Older/z.txt", "");
    dir.WriteFile("r/Data/keep.txt", "");
    dir.WriteFile("r/other.txt", "");
    const std::set<std::string> expected = {dir / "r/Data", dir / "r/Data/Older", dir / "r/Data/Older/z.txt",
                                            dir / "r/Data/keep.txt", dir / "r/other.txt"};
    // The exact line, and a line of other case without final separator.
    for (const std::string& line : {dir / "r/Data/Old/", dir / "r/data/OLD"}) {
        Walk walk({dir / "r/"});
        walk.lists.excludedFolders = ExcludedFolderList({line});
        ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
        EXPECT_EQ(walk.PathSet(), expected) << line;
    }
    // A line naming the root, or a folder above it, has no effect within that root.
    for (const std::string& line : {dir / "r/", dir.Path() + "/"}) {
        Walk walk({dir / "r/"});
        walk.lists.excludedFolders = ExcludedFolderList({line});
        ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
        EXPECT_EQ(walk.catalogue.Count(), 9u) << line;
    }
}

TEST(WalkFolders, ExtensionFilterModesNeverFilterFolders) {
    test::TempDir dir;
    for (const char* name : {"r/a.MP3", "r/b.mp3", "r/c.wav", "r/README", "r/music.wav/d.mp3"})
        dir.WriteFile(name, "");
    const struct {
        bool include;
        std::set<std::string> names;
    } rows[] = {
        {true, {"a.MP3", "b.mp3", "music.wav", "d.mp3"}},
        {false, {"a.MP3", "b.mp3", "README", "music.wav", "d.mp3"}},
    };
    for (const auto& row : rows) {
        Walk walk({dir / "r/"});
        walk.lists.extensions.on = true;
        walk.lists.extensions.includeMode = row.include;
        walk.lists.extensions.excludeMode = !row.include;
        walk.lists.extensions.included = ExtensionSet({"mp3"});
        walk.lists.extensions.excluded = ExtensionSet({"WAV"});
        ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
        std::set<std::string> names;
        for (const TMyItem& e : walk.catalogue.Entries()) names.insert(std::string(e.Name()));
        EXPECT_EQ(names, row.names) << (row.include ? "include mode" : "exclude mode");
    }
}

TEST(WalkFolders, LinksRecordedOnceAndNeverEntered) {
    test::TempDir dir;
    dir.WriteFile("r/a/file.txt", "");
    ASSERT_EQ(symlink("..", (dir / "r/a/up").c_str()), 0);    // a loop back to the root
    ASSERT_EQ(symlink("self", (dir / "r/self").c_str()), 0);  // a link to itself
    ASSERT_EQ(symlink("missing", (dir / "r/dangling").c_str()), 0);
    ASSERT_EQ(symlink("a/file.txt", (dir / "r/tofile").c_str()), 0);
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    EXPECT_EQ(walk.PathSet(), (std::set<std::string>{dir / "r/a", dir / "r/a/file.txt", dir / "r/a/up",
                                                     dir / "r/self", dir / "r/dangling", dir / "r/tofile"}));
    EXPECT_EQ(walk.catalogue.Count(), 6u);
    const TMyItem* up = walk.Find(dir / "r/a/up");
    EXPECT_EQ(up->Attributes, kAttrReparsePoint | kAttrDirectory);
    EXPECT_EQ(up->Ext(), "Folder");
    EXPECT_EQ(up->Size, 2) << "the link's own size";
    EXPECT_EQ(walk.Find(dir / "r/self")->Attributes, kAttrReparsePoint);
    EXPECT_EQ(walk.Find(dir / "r/dangling")->Attributes, kAttrReparsePoint);
    EXPECT_EQ(walk.Find(dir / "r/tofile")->Attributes, kAttrReparsePoint);
}

TEST(WalkFolders, FifoRecordedAsSystemItem) {
    test::TempDir dir;
    dir.MakeDir("r");
    ASSERT_EQ(mkfifo((dir / "r/pipe").c_str(), 0644), 0);
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    ASSERT_EQ(walk.catalogue.Count(), 1u);
    EXPECT_EQ(walk.catalogue[0].Attributes, kAttrSystem);
    EXPECT_EQ(walk.catalogue[0].Size, 0);
}

TEST(WalkFolders, UnreadableFolderRecordedButNotListed) {
    if (geteuid() == 0) GTEST_SKIP() << "running as root: permission bits do not block reading folders";
    test::TempDir dir;
    dir.WriteFile("r/closed/secret.txt", "");
    dir.WriteFile("r/open.txt", "");
    chmod((dir / "r/closed").c_str(), 0);
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    EXPECT_EQ(walk.PathSet(), (std::set<std::string>{dir / "r/closed", dir / "r/open.txt"}));
}

TEST(WalkFolders, NameThatIsNotUtf8SurvivesByteForByte) {
    test::TempDir dir;
    const std::string name = "bad\xff\xfe name.TXT";
    dir.WriteFile("r/\xc3(dir/" + name, "");
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    ASSERT_EQ(walk.catalogue.Count(), 2u);
    EXPECT_EQ(walk.catalogue[0].Name(), "\xc3(dir");
    EXPECT_EQ(walk.catalogue[1].Name(), name);
    EXPECT_EQ(walk.catalogue[1].Folder(), dir / "r/\xc3(dir/");
    EXPECT_EQ(walk.catalogue[1].Ext(), "TXT");
}

TEST(WalkFolders, MissingRootContributesNothingAndRootsWalkInLineOrder) {
    test::TempDir dir;
    dir.WriteFile("one/a.txt", "");
    dir.WriteFile("two/b.txt", "");
    // The second root has no final separator; the empty line names no folder.
    Walk walk({dir / "missing/", dir / "two", "", dir / "one/", dir / "two/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    EXPECT_EQ(walk.Paths(), (std::vector<std::string>{dir / "two/b.txt", dir / "one/a.txt"}));
    EXPECT_EQ(walk.catalogue[0].Folder(), dir / "two/");

    Walk none({dir / "missing/"});
    EXPECT_EQ(none.Run(), WalkOutcome::Completed);
    EXPECT_EQ(none.catalogue.Count(), 0u);
    Walk empty({});
    EXPECT_EQ(empty.Run(), WalkOutcome::Completed);
}

TEST(WalkFolders, RescanReusesEntriesAndForgetsOldOnes) {
    test::TempDir dir;
    for (int i = 0; i < 30; ++i) dir.WriteFile("r/f" + std::to_string(i), "");
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    const size_t slots = walk.catalogue.SlotCount();
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    EXPECT_EQ(walk.catalogue.Count(), 30u);
    EXPECT_EQ(walk.catalogue.SlotCount(), slots);
    unlink((dir / "r/f0").c_str());
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    EXPECT_EQ(walk.catalogue.Count(), 29u);
    EXPECT_EQ(walk.Find(dir / "r/f0"), nullptr);
}

// Makes `levels` nested folders named `name` below `base` (relative to open folders, as the
// path may grow beyond what a single call accepts) and a file "inner" in each. Returns the
// number of folders made.
void MakeChain(const std::string& base, const std::string& name, int levels) {
    int fd = open(base.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0755), 0);
        const int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        ASSERT_GE(next, 0);
        fd = next;
        close(openat(fd, "inner", O_CREAT | O_WRONLY, 0644));
    }
    close(fd);
}

// Removes a chain made by MakeChain from the bottom up (its paths may be too long for the
// temporary folder's own clean-up).
void RemoveChain(const std::string& base, const std::string& name, int levels) {
    std::vector<int> fds = {open(base.c_str(), O_RDONLY | O_DIRECTORY)};
    for (int i = 0; i < levels; ++i) fds.push_back(openat(fds.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
    for (int i = levels; i > 0; --i) {
        unlinkat(fds[static_cast<size_t>(i)], "inner", 0);
        close(fds[static_cast<size_t>(i)]);
        unlinkat(fds[static_cast<size_t>(i) - 1], name.c_str(), AT_REMOVEDIR);
    }
    close(fds[0]);
}

TEST(WalkFolders, FolderBeyondThePathLimitRecordedButNotListed) {
    test::TempDir dir;
    const std::string name(200, 'n');
    const int levels = (PATH_MAX + 400) / 201;
    MakeChain(dir.MakeDir("r"), name, levels);
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    // Folder k has the path root + k * 201 bytes; it is listed while that is below PATH_MAX.
    const size_t root = (dir / "r/").size();
    size_t listed = 0;
    while (root + (listed + 1) * 201 <= PATH_MAX - 1) ++listed;
    size_t folders = 0;
    size_t files = 0;
    for (const TMyItem& e : walk.catalogue.Entries()) {
        (e.Attributes & kAttrDirectory ? folders : files) += 1;
        EXPECT_LE(e.Folder().size(), size_t{PATH_MAX - 1});
    }
    EXPECT_EQ(folders, listed + 1) << "the first folder too long to list is still recorded";
    EXPECT_EQ(files, listed);
    RemoveChain(dir / "r", name, levels);
}

TEST(WalkFolders, DeepestLevelFolderRecordedButNotListed) {
    test::TempDir dir;
    MakeChain(dir.MakeDir("r"), "d", 102);
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    size_t folders = 0;
    size_t files = 0;
    for (const TMyItem& e : walk.catalogue.Entries()) (e.Attributes & kAttrDirectory ? folders : files) += 1;
    // Level 1 lists the root; the folder found at level 100 is recorded, its content is not.
    EXPECT_EQ(folders, 100u);
    EXPECT_EQ(files, 99u);
}

// The system's listing with two hooks: `alter` changes each listed item, `refuse` makes a
// folder impossible to open (as an unreadable folder is for a user without rights).
class AlteredSystemLister final : public DirectoryLister {
  public:
    std::function<void(ListedItem&)> alter = [](ListedItem&) {};
    std::function<bool(std::string_view)> refuse = [](std::string_view) { return false; };

    std::unique_ptr<FolderListing> OpenFolder(const std::string& path) override {
        return Wrap(SystemDirectoryLister().OpenFolder(path));
    }

  private:
    class Listing final : public FolderListing {
      public:
        Listing(const AlteredSystemLister& owner, std::unique_ptr<FolderListing> inner)
            : owner_(owner), inner_(std::move(inner)) {}
        bool Next(ListedItem& item) override {
            if (!inner_->Next(item)) return false;
            owner_.alter(item);
            return true;
        }
        std::unique_ptr<FolderListing> OpenChild(std::string_view name) override {
            if (owner_.refuse(name)) return nullptr;
            return owner_.Wrap(inner_->OpenChild(name));
        }

      private:
        const AlteredSystemLister& owner_;
        std::unique_ptr<FolderListing> inner_;
    };

    std::unique_ptr<FolderListing> Wrap(std::unique_ptr<FolderListing> inner) const {
        if (!inner) return nullptr;
        return std::make_unique<Listing>(*this, std::move(inner));
    }
};

TEST(WalkFolders, MountOfAnotherKindRecordedButNotEntered) {
    test::TempDir dir;
    dir.WriteFile("r/m/inside.txt", "");
    dir.WriteFile("r/plain/inside.txt", "");
    // The listing marks "m" as a mount root; the policy refuses it.
    AlteredSystemLister lister;
    lister.alter = [](ListedItem& item) { item.mountRoot = item.name == "m"; };
    AllMounts mounts;
    mounts.enter = false;
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(&lister, &mounts), WalkOutcome::Completed);
    EXPECT_EQ(walk.PathSet(),
              (std::set<std::string>{dir / "r/m", dir / "r/plain", dir / "r/plain/inside.txt"}));
    mounts.enter = true;
    ASSERT_EQ(walk.Run(&lister, &mounts), WalkOutcome::Completed);
    EXPECT_EQ(walk.catalogue.Count(), 4u);
}

// A root inside another root is walked once, as part of the outer walk, whichever comes
// first; paths compare byte for byte. A root the outer walk does not enter (excluded there, a
// mount it may not enter) is still walked on its own, and its exclusions stay as they were.
TEST(WalkFolders, RootInsideAnotherRootIsWalkedOnce) {
    test::TempDir dir;
    for (const char* name : {"t/a.txt", "t/sub/b.txt", "t/sub/deep/c.txt", "t/Sub/d.txt", "t/subway/e.txt"})
        dir.WriteFile(name, "");
    Walk outer({dir / "t/"});
    ASSERT_EQ(outer.Run(), WalkOutcome::Completed);
    ASSERT_EQ(outer.catalogue.Count(), 9u);
    for (const auto& roots :
         std::vector<std::vector<std::string>>{{dir / "t/", dir / "t/sub"},
                                               {dir / "t/sub/deep", dir / "t/sub/", dir / "t"},
                                               {dir / "t/", dir / "t/"}}) {
        Walk walk(roots);
        ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
        EXPECT_EQ(walk.Paths(), outer.Paths()) << roots[1];
    }
    Walk siblings({dir / "t/sub", dir / "t/Sub/", dir / "t/subway/", dir / "t/sub/"});
    ASSERT_EQ(siblings.Run(), WalkOutcome::Completed);
    EXPECT_EQ(siblings.catalogue.Count(), 5u);

    Walk excluded({dir / "t/", dir / "t/sub/deep/", dir / "t/sub/"});
    excluded.lists.excludedFolders = ExcludedFolderList({dir / "t/SUB/deep/"});
    ASSERT_EQ(excluded.Run(), WalkOutcome::Completed);
    EXPECT_EQ(excluded.catalogue.Count(), 8u) << "deep/ refused in t/ and t/sub/, walked on its own";
    EXPECT_EQ(excluded.Paths().back(), dir / "t/sub/deep/c.txt");

    AlteredSystemLister lister;
    lister.alter = [](ListedItem& item) { item.mountRoot = item.name == "sub"; };
    AllMounts mounts;
    mounts.enter = false;
    Walk mount({dir / "t/", dir / "t/sub/"});
    ASSERT_EQ(mount.Run(&lister, &mounts), WalkOutcome::Completed);
    EXPECT_EQ(mount.PathSet(), outer.PathSet());
    EXPECT_EQ(mount.catalogue.Count(), 9u);
}

TEST(WalkFolders, SystemMountsBelowDevAreNotEntered) {
    // /dev/pts and /dev/shm are mounts of pseudo and memory file systems on most systems.
    std::set<std::string> mountPoints;
    for (const MountPoint& m : ReadMountTable("/proc/self/mountinfo")) {
        if (m.path == "/dev/pts/" || m.path == "/dev/shm/") mountPoints.insert(m.path);
    }
    if (mountPoints.empty()) GTEST_SKIP() << "no /dev/pts or /dev/shm mount here";
    Walk walk({"/dev/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    for (const std::string& mount : mountPoints) {
        const std::string path = mount.substr(0, mount.size() - 1);
        const TMyItem* entry = walk.Find(path);
        ASSERT_NE(entry, nullptr) << path;
        EXPECT_TRUE(entry->Attributes & kAttrDirectory);
        for (const TMyItem& e : walk.catalogue.Entries())
            EXPECT_FALSE(e.Folder().starts_with(mount)) << mount;
    }
}

TEST(WalkFolders, StopKeepsWhatWasFound) {
    test::TempDir dir;
    for (int i = 0; i < 50; ++i) dir.WriteFile("r/d" + std::to_string(i / 10) + "/f" + std::to_string(i), "");
    Walk walk({dir / "r/"});
    walk.limits.eventIntervalMs = 0;  // a heartbeat after every item
    walk.reporter.onEvents = [&] {
        if (walk.reporter.events == 12) walk.stop.request_stop();
    };
    EXPECT_EQ(walk.Run(), WalkOutcome::Stopped);
    EXPECT_EQ(walk.reporter.events, 12);
    // Every item (and a listing's end) is followed by one stop check: 12 checks, at most 12 entries.
    EXPECT_GE(walk.catalogue.Count(), 9u);
    EXPECT_LE(walk.catalogue.Count(), 12u);
    ExpectPreOrder(walk, dir / "r/");
    for (const TMyItem& e : walk.catalogue.Entries()) EXPECT_FALSE(e.Name().empty());

    // A stop requested before the start: the walk stops before recording its first folder.
    Walk cleared({dir / "r/"});
    cleared.stop.request_stop();
    EXPECT_EQ(cleared.Run(), WalkOutcome::Stopped);
    EXPECT_EQ(cleared.catalogue.Count(), 0u);
}

TEST(WalkFolders, ProgressAtEveryTwentiethEntryWhenAFolderIsEntered) {
    test::TempDir dir;
    // 30 folders of one file each: entries alternate folder, file.
    for (int i = 0; i < 30; ++i) dir.WriteFile("r/d" + std::to_string(i) + "/f", "");
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    std::vector<size_t> counts;
    for (const auto& [folder, count] : walk.reporter.progress) {
        counts.push_back(count);
        const TMyItem& entry = walk.catalogue[count - 1];
        EXPECT_EQ(folder, EntryFullPath(entry) + "/") << "the folder just entered";
    }
    // Folders are entries 1, 3, 5, ...: never at an even count. Make every entry a folder instead.
    EXPECT_TRUE(counts.empty());
    test::TempDir flat;
    for (int i = 0; i < 45; ++i) flat.MakeDir("r/d" + std::to_string(i));
    Walk folders({flat / "r/"});
    folders.limits.eventIntervalMs = 0;  // every progress point goes out at once
    ASSERT_EQ(folders.Run(), WalkOutcome::Completed);
    ASSERT_EQ(folders.reporter.progress.size(), 2u);
    EXPECT_EQ(folders.reporter.progress[0].second, 20u);
    EXPECT_EQ(folders.reporter.progress[1].second, 40u);
    EXPECT_EQ(folders.reporter.progress[1].first, EntryFullPath(folders.catalogue[39]) + "/");
}

TEST(WalkFolders, ObserverCallsThrottledByTime) {
    test::TempDir dir;
    for (int i = 0; i < 400; ++i) dir.WriteFile("r/f" + std::to_string(i), "");
    Walk walk({dir / "r/"});
    int64_t now = 0;
    walk.ticks = [&] { return now += 1; };  // one millisecond per reading
    ASSERT_EQ(walk.Run(), WalkOutcome::Completed);
    // About 401 readings at 1 ms: the first item, then one every 50 ms.
    EXPECT_GE(walk.reporter.events, 8);
    EXPECT_LE(walk.reporter.events, 10);
}

// A listing that cannot open some folders (as an unreadable folder behaves for a user
// without rights), to check the walk without root's exemption from permission bits.
TEST(WalkFolders, FolderThatCannotBeOpenedIsRecordedWithoutContent) {
    test::TempDir dir;
    dir.WriteFile("r/closed/secret.txt", "");
    dir.WriteFile("r/open/visible.txt", "");
    AlteredSystemLister lister;
    lister.refuse = [](std::string_view name) { return name == "closed"; };
    Walk walk({dir / "r/"});
    ASSERT_EQ(walk.Run(&lister), WalkOutcome::Completed);
    EXPECT_EQ(walk.PathSet(),
              (std::set<std::string>{dir / "r/closed", dir / "r/open", dir / "r/open/visible.txt"}));
}

}  // namespace
}  // namespace quillory
