// Every scan of a text reads only the text: each entry point runs on texts that end right
// before a page that may not be read, for every length up to past the wide blocks' start
// (and so every alignment of the end within a block), on both block widths, and must give
// the plain reading's answer without touching the next page.

#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "search/ascii_scan.h"
#include "search/byte_search.h"

namespace quillory {
namespace {

sigjmp_buf g_fault;

void OnFault(int) {
    siglongjmp(g_fault, 1);
}

// Two pages, the second unreadable: a text placed at the end of the first one is followed
// by a fault.
class GuardedPage {
  public:
    GuardedPage() : size_(static_cast<size_t>(::sysconf(_SC_PAGESIZE))) {
        void* pages = ::mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pages == MAP_FAILED) throw std::runtime_error("mmap");
        base_ = static_cast<char*>(pages);
        if (::mprotect(base_ + size_, size_, PROT_NONE) != 0) throw std::runtime_error("mprotect");
    }
    ~GuardedPage() { ::munmap(base_, 2 * size_); }

    std::string_view Place(const std::string& text) {
        char* start = base_ + size_ - text.size();
        std::memcpy(start, text.data(), text.size());
        return {start, text.size()};
    }

  private:
    size_t size_;
    char* base_ = nullptr;
};

// Runs `scan`; false when it read the unreadable page.
bool StaysInside(const std::function<void()>& scan) {
    struct sigaction onFault = {};
    onFault.sa_handler = OnFault;
    struct sigaction previous = {};
    ::sigaction(SIGSEGV, &onFault, &previous);
    const bool inside = sigsetjmp(g_fault, 1) == 0;
    if (inside) scan();
    ::sigaction(SIGSEGV, &previous, nullptr);
    return inside;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return out;
}

// A dotless i or a long s.
bool HoldsPair(std::string_view text) {
    return text.find("\xc4\xb1") != std::string_view::npos || text.find("\xc5\xbf") != std::string_view::npos;
}

bool MayHoldUpper(std::string_view name, std::string_view word) {
    return AsciiUpper(name).find(word) != std::string::npos || HoldsPair(name);
}

// A text of `length` bytes from the word's letters in both cases, NULs and the two-byte
// characters' bytes, often with the word (or its first byte) right at the end.
std::string NearMissText(std::mt19937& rng, size_t length, const std::string& word) {
    std::string bytes = word + std::string("q.\0\xc4\xb1\xc5\xbf", 7);
    for (const char c : word) bytes.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    std::string text(length, ' ');
    for (char& c : text) c = bytes[rng() % bytes.size()];
    if (length >= word.size() && rng() % 2 == 0) text.replace(length - word.size(), word.size(), word);
    if (length > 0 && rng() % 3 == 0) text.back() = word.front();
    return text;
}

class ScanBoundsTest : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { AllowWideScan(GetParam()); }
    void TearDown() override { AllowWideScan(true); }
};

TEST_P(ScanBoundsTest, EveryScanStopsAtTheTextsEnd) {
    GuardedPage page;
    std::mt19937 rng(31337);
    for (const std::string word : {"R", "RE", "REP", "REPORT", "X.Q", "QUARTERLY-REPORT-2024"}) {
        for (size_t length = 0; length <= 300; ++length) {
            SCOPED_TRACE(::testing::Message() << "word " << word << " length " << length);
            const std::string plain = NearMissText(rng, length, word);
            const std::string_view text = page.Place(plain);
            const size_t upperAt = AsciiUpper(plain).find(word);
            const auto scanText = [&] {
                const char* hit = FindBytes(text.data(), text.size(), word);
                EXPECT_EQ(hit == nullptr ? std::string::npos : static_cast<size_t>(hit - text.data()),
                          plain.find(word));
                hit = FindAsciiUpper(text.data(), text.size(), word);
                EXPECT_EQ(hit == nullptr ? std::string::npos : static_cast<size_t>(hit - text.data()),
                          upperAt);
                EXPECT_EQ(NameMayHoldUpper(text, word), MayHoldUpper(plain, word));
                EXPECT_EQ(HoldsCharUpperingToAscii(text), HoldsPair(plain));
            };
            ASSERT_TRUE(StaysInside(scanText)) << "a scan of the text read past its end";
            // The same bytes as names: the views between the NULs, or names each followed by a
            // NUL (the bytes after the last NUL count as one more name).
            std::vector<std::string_view> names;
            std::vector<uint8_t> expectedMarks;
            std::vector<size_t> expectedPositions;
            size_t start = 0;
            for (size_t nul = 0; start <= text.size(); start = nul + 1) {
                nul = std::min(text.find('\0', start), text.size());
                names.push_back(text.substr(start, nul - start));
                expectedMarks.push_back(MayHoldUpper(names.back(), word) ? 1 : 0);
                if (expectedMarks.back() != 0) expectedPositions.push_back(names.size() - 1);
            }
            const auto scanNames = [&] {
                std::vector<uint8_t> marks;
                MarkNamesMayHoldUpper(names, word, marks);
                EXPECT_EQ(marks, expectedMarks);
                std::vector<size_t> positions;
                EXPECT_EQ(FindTerminatedNamesMayHoldUpper(text, word, positions), names.size() - 1);
                EXPECT_EQ(positions, expectedPositions);
            };
            ASSERT_TRUE(StaysInside(scanNames)) << "a scan of the names read past their end";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Widths, ScanBoundsTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Wide" : "Narrow"; });

}  // namespace
}  // namespace quillory
