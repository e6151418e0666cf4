// A file in memory handed to another process: its bytes survive growth and reuse, and the
// read-only descriptor it gives out can neither change nor shrink it.

#include "platform/shared_memory_file.h"

#include <gtest/gtest.h>
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

}  // namespace
}  // namespace quillory
