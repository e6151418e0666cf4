#include "platform/memory_advice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/entry_list.h"
#include "core/large_block.h"
#include "core/name_cache.h"

namespace quillory {
namespace {

// Whether the mapping that holds `p` carries the huge-page advice ("hg" in its VmFlags).
bool MappingAdvisedHuge(const void* p) {
    std::ifstream smaps("/proc/self/smaps");
    const auto address = reinterpret_cast<uintptr_t>(p);
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        uintptr_t start = 0;
        uintptr_t end = 0;
        char dash = 0;
        std::istringstream range(line);
        if (range >> std::hex >> start >> dash >> end && dash == '-') {
            inside = start <= address && address < end;
        } else if (inside && line.starts_with("VmFlags:")) {
            return (line + " ").find(" hg ") != std::string::npos;
        }
    }
    return false;
}

// Huge pages are asked for only once a list is filled and its owner asks: a block is not
// marked when it is allocated, and every large block of a filled list is after the advice.
TEST(MemoryAdvice, ListsAskForHugePagesOnlyWhenTheOwnerDoes) {
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    void* block = AllocateLargeBlock(2 * kHugePageBytes);
    EXPECT_FALSE(MappingAdvisedHuge(block));
    FreeLargeBlock(block, 2 * kHugePageBytes);

    EntryList list;
    const std::string name(100, 'n');
    for (int i = 0; i < 40000; ++i) {
        list.AcquireEntry(name + std::to_string(i))
            .SetFolder(list.InternFolder("/" + name + std::to_string(i) + "/"));
    }
    ASSERT_GE(list.Count() * sizeof(TMyItem), kHugePageBytes);
    const TMyItem& first = list[0];
    EXPECT_FALSE(MappingAdvisedHuge(&first));
    EXPECT_FALSE(MappingAdvisedHuge(list[39999].Name().data()));
    list.AdviseHugePages();
    EXPECT_TRUE(MappingAdvisedHuge(&first));
    EXPECT_TRUE(MappingAdvisedHuge(list[39999].Name().data()));
    EXPECT_TRUE(MappingAdvisedHuge(list[39999].Folder().data()));

    // The name cache's buffers come from the allocator, a little past a page boundary: the
    // advice still reaches the pages inside them.
    NameCache names(true);
    names.Update(list);
    const std::string_view buffer = names.Buffer();
    ASSERT_GE(buffer.size(), 2 * kHugePageBytes);
    const char* middle = buffer.data() + buffer.size() / 2;
    EXPECT_FALSE(MappingAdvisedHuge(middle));
    names.AdviseHugePages();
    EXPECT_TRUE(MappingAdvisedHuge(middle));
}

}  // namespace
}  // namespace quillory
