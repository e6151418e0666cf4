#include "platform/atomic_file.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "actions/export_writers.h"
#include "platform/error.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// The pid of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST(AtomicFileWriter, TemporaryFileIsNeverMoreOpenThanTheResult) {
    const test::TempDir dir;
    const mode_t oldMask = umask(0);  // the widest the system would otherwise allow
    {
        AtomicFileWriter fresh(dir / "new.qdb");
        EXPECT_EQ(ModeOf(fresh.TemporaryPath()), 0600u) << "a new file is its owner's alone from the start";
        fresh.Write("x");
        fresh.Commit();
        EXPECT_EQ(ModeOf(dir / "new.qdb"), 0600u);
    }
    const std::string kept = dir.WriteFile("kept.qdb", "old");
    ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
    {
        AtomicFileWriter replacing(kept);
        EXPECT_EQ(ModeOf(replacing.TemporaryPath()), 0640u);
        replacing.Write("new");
        replacing.Commit();
    }
    umask(oldMask);
    EXPECT_EQ(ModeOf(kept), 0640u);
    EXPECT_EQ(test::ReadFileBytes(kept), "new");
}

TEST(AtomicFileWriter, TemporaryFilesOfAKilledWriterAreRemovedByTheNextOne) {
    const test::TempDir dir;
    const std::string target = dir.WriteFile("db.qdb", "old");
    const std::string dead = dir.WriteFile(".db.qdb.tmp-" + std::to_string(EndedProcess()) + "-0-1", "half");
    const std::string alive = dir.WriteFile(".db.qdb.tmp-" + std::to_string(getpid()) + "-9-9", "running");
    const std::string other = dir.WriteFile(".other.qdb.tmp-" + std::to_string(EndedProcess()) + "-0-1", "x");
    const std::string odd = dir.WriteFile(".db.qdb.tmp-notapid", "x");
    AtomicFileWriter writer(target);
    writer.Write("new");
    writer.Commit();
    EXPECT_NE(access(dead.c_str(), F_OK), 0) << "left by a writer that no longer runs";
    EXPECT_EQ(access(alive.c_str(), F_OK), 0) << "a running writer's file is never touched";
    EXPECT_EQ(access(other.c_str(), F_OK), 0) << "another target's files are not this writer's business";
    EXPECT_EQ(access(odd.c_str(), F_OK), 0);
}

TEST(AtomicFileWriter, WriteFailureKeepsTheReasonAfterTheMessage) {
    EntryList results;
    results.AcquireEntry("a").SetFolder(results.InternFolder("/x/"));
    // /dev/full is a device: the export writes straight into it and learns why it failed.
    try {
        WriteFileList("/dev/full", results);
        FAIL() << "a full device took the export";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Stream write error: No space left on device");
        EXPECT_EQ(e.SystemCode(), ENOSPC);
    }
    // A database is never written into anything but a regular file.
    try {
        AtomicFileWriter("/dev/full");
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot create file \"/dev/full\". Not a regular file");
    }
}

TEST(AtomicFileWriter, ExportIntoANamedPipeWritesThroughIt) {
    const test::TempDir dir;
    const std::string fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EntryList results;
    for (const char* n : {"a", "b"}) results.AcquireEntry(n).SetFolder(results.InternFolder("/x/"));
    std::string received;
    std::thread reader([&] { received = test::ReadFileBytes(fifo); });
    WriteFileList(fifo, results);
    reader.join();
    EXPECT_EQ(received, "/x/a\n/x/b\n");
    struct stat st {};
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was not replaced by a file";
    // A link to a pipe that has no name (as /dev/stdout is when the output is piped).
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    WriteFileList("/proc/self/fd/" + std::to_string(fds[1]), results);
    close(fds[1]);
    char buffer[64] = {};
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    close(fds[0]);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0))), "/x/a\n/x/b\n");
    // A regular file is still replaced whole, never written into.
    const std::string file = dir.WriteFile("list.txt", "old content that is longer");
    const std::string link = dir / "link.txt";
    ASSERT_EQ(symlink("list.txt", link.c_str()), 0);
    WriteFileList(link, results);
    EXPECT_EQ(test::ReadFileBytes(file), "/x/a\n/x/b\n");
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

}  // namespace
}  // namespace quillory
