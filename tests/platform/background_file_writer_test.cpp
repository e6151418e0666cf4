#include "platform/background_file_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/error.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace quillory {
namespace {

using test::ReadFileBytes;
using test::TempDir;

// Buffers of many sizes, each handed over as soon as it is filled, land in the file in order;
// every buffer handed back is empty, whatever was in it.
TEST(BackgroundFileWriter, WritesEveryBufferInOrder) {
    TempDir dir;
    const std::string path = dir / "out.bin";
    std::string expected;
    {
        AtomicFileWriter file(path);
        BackgroundFileWriter writer(file);
        std::string buffer;
        for (size_t i = 0; i < 300; ++i) {
            const size_t size = (i * 7919) % 70000;
            for (size_t j = 0; j < size; ++j) buffer.push_back(static_cast<char>('a' + (i + j) % 26));
            expected += buffer;
            writer.Write(buffer);
            EXPECT_TRUE(buffer.empty()) << i;
        }
        writer.Write(buffer);  // an empty buffer writes nothing
        writer.Finish();
        file.Commit();
    }
    EXPECT_TRUE(ReadFileBytes(path) == expected);
}

// A write the system refuses on the writer's thread comes back to the caller, from a later
// Write or from Finish, with the system's reason; nothing is committed.
TEST(BackgroundFileWriter, RefusedWriteReachesTheCaller) {
    TempDir dir;
    const std::string path = dir.WriteFile("out.bin", "previous");
    std::string message;
    size_t handed = 0;
    try {
        const test::FileSizeLimit limit(1 << 20);
        AtomicFileWriter file(path);
        BackgroundFileWriter writer(file);
        for (; handed < 100; ++handed) {
            std::string buffer(size_t{256} << 10, 'x');
            writer.Write(buffer);
        }
        writer.Finish();
        file.Commit();
    } catch (const Error& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "Stream write error: File too large");
    EXPECT_LT(handed, 100u);  // the caller heard of it before handing everything over
    EXPECT_EQ(ReadFileBytes(path), "previous");
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left
}

// A writer dropped without Finish (its save failed elsewhere) ends its thread and commits
// nothing.
TEST(BackgroundFileWriter, DroppedWithoutFinishLeavesThePreviousFile) {
    TempDir dir;
    const std::string path = dir.WriteFile("out.bin", "previous");
    {
        AtomicFileWriter file(path);
        BackgroundFileWriter writer(file);
        for (int i = 0; i < 20; ++i) {
            std::string buffer(size_t{64} << 10, 'y');
            writer.Write(buffer);
        }
    }
    EXPECT_EQ(ReadFileBytes(path), "previous");
}

}  // namespace
}  // namespace quillory
