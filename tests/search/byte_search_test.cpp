// The block search must find exactly what a plain search finds, on both instruction widths:
// needles of every length near the blocks' edges, candidates that pass the first- and
// last-byte test but differ in the middle, and buffers that end inside a block.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "search/byte_search.h"

namespace quillory {
namespace {

const char* Expected(const std::string& text, size_t from, const std::string& needle) {
    const size_t at = text.find(needle, from);
    return at == std::string::npos ? nullptr : text.data() + at;
}

class FindBytesTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { AllowWideScan(GetParam()); }
    void TearDown() override { AllowWideScan(true); }
};

TEST_P(FindBytesTest, FindsWhatAPlainSearchFinds) {
    std::mt19937 random(7);
    // Few letters, so first and last bytes agree often while the middles differ.
    const auto letter = [&] { return static_cast<char>("ab.\0z"[random() % 5]); };
    for (int round = 0; round < 400; ++round) {
        std::string text(random() % 700, 'x');
        for (char& c : text) c = letter();
        std::string needle(1 + random() % 40, 'x');
        for (char& c : needle) c = letter();
        // Plant the needle now and then, at a block edge, near the end or right at it.
        if (round % 3 == 0 && needle.size() <= text.size()) {
            const size_t spots[] = {0, 31, 32, 33, 255, text.size() - needle.size()};
            const size_t at = std::min(spots[random() % 6], text.size() - needle.size());
            text.replace(at, needle.size(), needle);
        }
        for (const size_t from : {size_t{0}, size_t{1}, text.size() / 2}) {
            if (from > text.size()) continue;
            EXPECT_EQ(FindBytes(text.data() + from, text.size() - from, needle), Expected(text, from, needle))
                << "round " << round << " from " << from << " needle size " << needle.size();
        }
    }
}

TEST_P(FindBytesTest, NeverReadsPastTheGivenSize) {
    // The occurrence starts inside the size but ends beyond it: it does not count.
    const std::string needle = "needle";
    for (const size_t size : {size_t{300}, size_t{319}, size_t{320}, size_t{1000}}) {
        std::string text(size + needle.size(), '-');
        text.replace(size - 3, needle.size(), needle);
        EXPECT_EQ(FindBytes(text.data(), size, needle), nullptr) << size;
        EXPECT_EQ(FindBytes(text.data(), size + 3, needle), text.data() + size - 3) << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, FindBytesTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "Narrow"; });

}  // namespace
}  // namespace quillory
