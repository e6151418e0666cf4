#include "actions/file_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Every name in the folder, so a test sees a temporary file left behind.
std::string Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names) out += n + ";";
    return out;
}

// The system calls with chosen failures.
struct FaultyOperations : FileOperations {
    int renameNoReplaceError = 0;  // e.g. EXDEV: another file system
    int unlinkError = 0;
    int syncError = 0;
    bool failContentHalfWay = false;
    std::vector<std::string> calls;  // "sync" and "unlink", in order
    int RenameNoReplace(const std::string& from, const std::string& to) override {
        return renameNoReplaceError ? renameNoReplaceError : FileOperations::RenameNoReplace(from, to);
    }
    int Unlink(const std::string& path) override {
        calls.push_back("unlink");
        return unlinkError ? unlinkError : FileOperations::Unlink(path);
    }
    int Sync(int fd) override {
        calls.push_back("sync");
        return syncError ? syncError : FileOperations::Sync(fd);
    }
    int CopyContent(int from, int to) override {
        if (!failContentHalfWay) return FileOperations::CopyContent(from, to);
        char buffer[4];
        const ssize_t n = read(from, buffer, sizeof buffer);
        if (n > 0 && write(to, buffer, static_cast<size_t>(n)) != n) return EIO;
        return ENOSPC;
    }
};

TEST(CopyOneFile, ReplacesTheTargetWithoutAsking) {
    test::TempDir dir;
    const std::string source = dir.WriteFile("a/report.txt", "new content");
    const std::string target = dir.WriteFile("b/report.txt", "old and longer content");
    chmod(source.c_str(), 0640);
    EXPECT_EQ(CopyOneFile(source, target), FileTransferResult::Done);
    EXPECT_EQ(test::ReadFileBytes(target), "new content");
    EXPECT_EQ(test::ReadFileBytes(source), "new content");
    EXPECT_EQ(ModeOf(target), 0640u);
    EXPECT_EQ(Listing(dir / "b"), "report.txt;");
}

TEST(CopyOneFile, ReadOnlySourceStaysReadOnlyCopyIsWritable) {
    test::TempDir dir;
    const std::string source = dir.WriteFile("a/locked.txt", "data");
    chmod(source.c_str(), 0444);
    struct stat before {};
    stat(source.c_str(), &before);
    EXPECT_EQ(CopyOneFile(source, dir / "b-locked.txt"), FileTransferResult::Done);
    EXPECT_EQ(ModeOf(source), 0444u);  // the source is never changed
    struct stat after {};
    stat(source.c_str(), &after);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(ModeOf(dir / "b-locked.txt"), 0644u);
    EXPECT_EQ(test::ReadFileBytes(dir / "b-locked.txt"), "data");
}

TEST(CopyOneFile, FailuresLeaveTheTargetAsItWas) {
    test::TempDir dir;
    const std::string source = dir.WriteFile("a/big.bin", std::string(100000, 'x'));
    const std::string target = dir.WriteFile("b/big.bin", "previous");
    dir.MakeDir("a/folder");
    FaultyOperations halfWay;
    halfWay.failContentHalfWay = true;
    const struct {
        const char* title;
        std::string source;
        std::string target;
        FileOperations* operations;
    } rows[] = {
        {"the content copy stops half way", source, target, &halfWay},
        {"a missing source", dir / "a/missing", target, &SystemFileOperations()},
        {"a folder is not copied", dir / "a/folder", target, &SystemFileOperations()},
        {"a missing target folder", source, dir / "nowhere/big.bin", &SystemFileOperations()},
        {"a copy onto itself", target, target, &SystemFileOperations()},
        {"a copy onto itself by another spelling", target, dir / "b/../b/big.bin", &SystemFileOperations()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        EXPECT_EQ(CopyOneFile(row.source, row.target, *row.operations), FileTransferResult::Failed);
        EXPECT_EQ(test::ReadFileBytes(target), "previous");
        EXPECT_EQ(Listing(dir / "b"), "big.bin;");  // no temporary file left over
    }
    const std::string fifo = dir / "a/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(CopyOneFile(fifo, dir / "b/pipe"), FileTransferResult::Failed);  // never blocks on a pipe
}

TEST(MoveOneFile, RenameCopyAndDelete) {
    test::TempDir dir;
    dir.MakeDir("to");
    // Within one file system: a plain rename, also for a folder.
    const std::string file = dir.WriteFile("from/one.txt", "1");
    EXPECT_EQ(MoveOneFile(file, dir / "to/one.txt"), FileTransferResult::Done);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(test::ReadFileBytes(dir / "to/one.txt"), "1");
    dir.WriteFile("from/sub/inner.txt", "i");
    EXPECT_EQ(MoveOneFile(dir / "from/sub", dir / "to/sub"), FileTransferResult::Done);
    EXPECT_EQ(test::ReadFileBytes(dir / "to/sub/inner.txt"), "i");

    // Another file system refuses the rename: copy, flush the copy to the disk, then delete
    // the source.
    FaultyOperations crossDevice;
    crossDevice.renameNoReplaceError = EXDEV;
    const std::string three = dir.WriteFile("from/three.txt", "3");
    chmod(three.c_str(), 0444);
    EXPECT_EQ(MoveOneFile(three, dir / "to/three.txt", crossDevice), FileTransferResult::Done);
    EXPECT_FALSE(fs::exists(three));
    EXPECT_EQ(test::ReadFileBytes(dir / "to/three.txt"), "3");
    EXPECT_EQ(crossDevice.calls, (std::vector<std::string>{"sync", "unlink"}));
    // A copy that cannot be flushed is removed again; the source stays.
    crossDevice.syncError = EIO;
    const std::string six = dir.WriteFile("from/six.txt", "6");
    EXPECT_EQ(MoveOneFile(six, dir / "to/six.txt", crossDevice), FileTransferResult::Failed);
    EXPECT_EQ(test::ReadFileBytes(six), "6");
    EXPECT_FALSE(fs::exists(dir / "to/six.txt"));
    crossDevice.syncError = 0;

    // An existing target is never replaced, by the rename or by the copy.
    const std::string two = dir.WriteFile("from/two.txt", "new");
    dir.WriteFile("to/two.txt", "old");
    for (FileOperations* operations : {&SystemFileOperations(), static_cast<FileOperations*>(&crossDevice)}) {
        EXPECT_EQ(MoveOneFile(two, dir / "to/two.txt", *operations), FileTransferResult::Failed);
        EXPECT_EQ(test::ReadFileBytes(two), "new");
        EXPECT_EQ(test::ReadFileBytes(dir / "to/two.txt"), "old");
    }
    // ... and a folder cannot be copied, so it stays where it was.
    dir.MakeDir("from/tree");
    EXPECT_EQ(MoveOneFile(dir / "from/tree", dir / "to/tree", crossDevice), FileTransferResult::Failed);
    EXPECT_TRUE(fs::is_directory(dir / "from/tree"));

    // The delete fails: 1, both files there.
    crossDevice.unlinkError = EACCES;
    const std::string four = dir.WriteFile("from/four.txt", "4");
    EXPECT_EQ(MoveOneFile(four, dir / "to/four.txt", crossDevice), FileTransferResult::CopiedSourceKept);
    EXPECT_EQ(test::ReadFileBytes(four), "4");
    EXPECT_EQ(test::ReadFileBytes(dir / "to/four.txt"), "4");

    // A missing source, and a move onto itself, which must never lose the file.
    EXPECT_EQ(MoveOneFile(dir / "from/missing", dir / "to/missing"), FileTransferResult::Failed);
    const std::string five = dir.WriteFile("from/five.txt", "5");
    EXPECT_EQ(MoveOneFile(five, five), FileTransferResult::Failed);
    EXPECT_EQ(test::ReadFileBytes(five), "5");
}

// A real move between two file systems where the machine has a separate tmpfs.
TEST(MoveOneFile, AcrossFileSystems) {
    test::TempDir here;
    std::unique_ptr<test::TempDir> there;
    {
        struct stat shm {};
        if (stat("/dev/shm", &shm) != 0 || access("/dev/shm", W_OK) != 0) GTEST_SKIP() << "no /dev/shm";
        test::ScopedEnv tmp("TMPDIR", "/dev/shm");
        there = std::make_unique<test::TempDir>();
    }
    struct stat a {
    }, b{};
    stat(here.Path().c_str(), &a);
    stat(there->Path().c_str(), &b);
    if (a.st_dev == b.st_dev) GTEST_SKIP() << "/dev/shm is on the same file system";
    const std::string source = here.WriteFile("movie.bin", std::string(300000, 'm'));
    EXPECT_EQ(MoveOneFile(source, *there / "movie.bin"), FileTransferResult::Done);
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(test::ReadFileBytes(*there / "movie.bin").size(), 300000u);
    EXPECT_EQ(Listing(there->Path()), "movie.bin;");
}

}  // namespace
}  // namespace quillory
