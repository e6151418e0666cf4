#include "platform/memory_advice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/large_block.h"

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

// The advice is what the process asked for: a large block is marked for huge pages by
// default, and not once the process turned the advice off.
TEST(MemoryAdvice, LargeBlocksFollowTheProcessChoice) {
    if (!std::filesystem::exists("/sys/kernel/mm/transparent_hugepage/enabled"))
        GTEST_SKIP() << "this kernel has no transparent huge pages";
    const size_t bytes = 2 * kHugePageBytes;
    void* advised = AllocateLargeBlock(bytes);
    SetHugePageAdvice(false);
    void* plain = AllocateLargeBlock(bytes);
    SetHugePageAdvice(true);
    EXPECT_TRUE(MappingAdvisedHuge(advised));
    EXPECT_FALSE(MappingAdvisedHuge(plain));
    FreeLargeBlock(advised, bytes);
    FreeLargeBlock(plain, bytes);
}

}  // namespace
}  // namespace quillory
