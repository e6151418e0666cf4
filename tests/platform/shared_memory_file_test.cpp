// A file in memory handed to another process: its bytes survive growth and reuse, and the
// read-only descriptor it gives out can neither change nor shrink it, not even reopened for
// writing (as any process of the same user can).

#include "platform/shared_memory_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace quillory {
namespace {

TEST(SharedMemoryFileTest, BytesSurviveGrowthAndReuse) {
    SharedMemoryFile file;
    ASSERT_TRUE(file.Valid());
    EXPECT_EQ(file.Bytes(), "");
    std::string expected;
    // Well past the first capacity, so the mapping moves at least once.
    for (int i = 0; i < 3000; ++i) {
        const std::string piece =
            std::to_string(i) + std::string(700 + i % 13, static_cast<char>('a' + i % 26));
        ASSERT_TRUE(file.Append(piece));
        expected += piece;
    }
    EXPECT_EQ(file.Size(), expected.size());
    EXPECT_EQ(file.Bytes(), expected);
    EXPECT_GE(file.Capacity(), expected.size());

    const size_t capacity = file.Capacity();
    file.Clear();
    EXPECT_EQ(file.Bytes(), "");
    ASSERT_TRUE(file.Append("again"));
    EXPECT_EQ(file.Bytes(), "again");
    EXPECT_EQ(file.Capacity(), capacity);
}

TEST(SharedMemoryFileTest, TheReaderSeesTheBytesAndCanNeitherWriteNorShrinkThem) {
    SharedMemoryFile file;
    ASSERT_TRUE(file.Append(std::string(5000, 'x') + "end"));
    const int readOnly = file.OpenReadOnly();
    ASSERT_GE(readOnly, 0);
    {
        const ReadOnlyMapping view(readOnly, file.Size());
        ASSERT_TRUE(view.Mapped());
        EXPECT_EQ(view.Bytes(), file.Bytes());
    }
    EXPECT_LT(::write(readOnly, "y", 1), 0);
    EXPECT_NE(::ftruncate(readOnly, 0), 0);
    EXPECT_EQ(file.Bytes().substr(5000), "end");  // the writer's mapping is whole

    // Asking for more than the file holds, or for nothing, maps nothing.
    EXPECT_FALSE(ReadOnlyMapping(readOnly, uint64_t{1} << 40).Mapped());
    EXPECT_FALSE(ReadOnlyMapping(readOnly, 0).Mapped());
    EXPECT_FALSE(ReadOnlyMapping(-1, 10).Mapped());
    ::close(readOnly);
}

TEST(SharedMemoryFileTest, AReaderThatReopensTheFileForWritingCanNeitherResizeNorChangeIt) {
    SharedMemoryFile file;
    ASSERT_TRUE(file.Append("first"));
    const int readOnly = file.OpenReadOnly();
    struct stat info {};
    ASSERT_EQ(::fstat(readOnly, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    // Any process of the same user may reopen it read-write through its descriptor's name.
    const int readWrite = ::open(("/proc/self/fd/" + std::to_string(readOnly)).c_str(), O_RDWR);
    if (readWrite >= 0) {
        // Shortened, it would end the writer with SIGBUS at its next byte.
        ASSERT_NE(::ftruncate(readWrite, 0), 0);
        EXPECT_NE(::ftruncate(readWrite, off_t{1} << 30), 0);
        EXPECT_LT(::pwrite(readWrite, "y", 1, 0), 0);
        EXPECT_NE(::fallocate(readWrite, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 0, 4096), 0);
        EXPECT_EQ(::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, readWrite, 0), MAP_FAILED);
        ::close(readWrite);
    }
    // The writer still writes it, and past its end into a new file: the old one stays whole.
    const std::string large(4 << 20, 'z');
    ASSERT_TRUE(file.Append(large));
    EXPECT_EQ(file.Bytes(), "first" + large);
    EXPECT_EQ(ReadOnlyMapping(readOnly, 5).Bytes(), "first");
    const int again = file.OpenReadOnly();
    EXPECT_EQ(ReadOnlyMapping(again, file.Size()).Bytes(), file.Bytes());
    ::close(again);
    ::close(readOnly);
}

}  // namespace
}  // namespace quillory
