#include "search/ascii_scan.h"

#include <cstring>

#include "search/block_scan.h"

namespace quillory {

namespace {

constexpr bool IsLowerAscii(char c) {
    return c >= 'a' && c <= 'z';
}
constexpr char UpperAscii(char c) {
    return IsLowerAscii(c) ? static_cast<char>(c - 32) : c;
}

bool HoldsLowerAscii(std::string_view text) {
    for (const char c : text) {
        if (IsLowerAscii(c)) return true;
    }
    return false;
}

bool HoldsNonAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

bool EqualsUpper(const char* subject, const char* needle, size_t n) {
    for (size_t j = 0; j < n; ++j) {
        if (UpperAscii(subject[j]) != needle[j]) return false;
    }
    return true;
}

// The UTF-8 forms of dotless i (C4 B1) and long s (C5 BF).
bool IsUpperingToAsciiAt(const char* p) {
    const auto b0 = static_cast<unsigned char>(p[0]);
    const auto b1 = static_cast<unsigned char>(p[1]);
    return (b0 == 0xC4 && b1 == 0xB1) || (b0 == 0xC5 && b1 == 0xBF);
}

// Maps increasing positions of a buffer to the names that lie in it, in order.
class NameCursor {
  public:
    explicit NameCursor(std::span<const std::string_view> names) : names_(names) {}

    // The name that holds [p, p + length) whole, or -1; `p` never decreases between calls.
    long NameHolding(const char* p, size_t length) {
        while (next_ < names_.size() && names_[next_].data() + names_[next_].size() <= p) ++next_;
        if (next_ >= names_.size()) return -1;
        const std::string_view name = names_[next_];
        if (p < name.data() || p + length > name.data() + name.size()) return -1;
        return static_cast<long>(next_);
    }

  private:
    std::span<const std::string_view> names_;
    size_t next_ = 0;
};

// Marks the names holding a byte of 0x80 or above.
void MarkNonAscii(std::span<const std::string_view> names, std::vector<uint8_t>& marks) {
    for (size_t k = 0; k < names.size(); ++k) {
        if (HoldsNonAscii(names[k])) marks[k] = 1;
    }
}

// The one scan behind both ways of marking names: for each position of a buffer it finds
// whether the upper-cased word starts there ("hits"), whether a dotless i or a long s starts
// there ("pairs"), and whether the byte is a NUL, and hands these on a block of positions at
// a time as bit masks (bit b: position i + b) to a sink with
//     void Block(size_t i, uint32_t hits, uint32_t pairs, uint32_t nuls);
// Blocks come in increasing order and cover every position exactly once.
class WordScan {
  public:
    // `needle`: as TerminatedScanApplies requires.
    explicit WordScan(std::string_view needle) : needle_(needle), k_(needle.size()) {}

    template <class Sink>
    void Run(const char* data, size_t size, Sink& sink) const {
        size_t i = 0;
        ScanBlocks<true>(data, size, i, WordEnds(needle_, true), [&](size_t at, const BlockMasks& masks)
                                                                       QUILLORY_BLOCK_SINK {
            const uint32_t hits = masks.candidates == 0 ? 0 : Verify(data + at, masks.candidates);
            sink.Block(at, hits, masks.pairs, masks.nuls);
            return true;
        });
        Tail(data, size, i, sink);
    }

  private:
    // The hits among the candidates (positions where the word's first and last byte match).
    uint32_t Verify(const char* block, uint32_t candidates) const {
        if (k_ <= 2) return candidates;
        uint32_t hits = 0;
        while (candidates != 0) {
            const int bit = __builtin_ctz(candidates);
            if (EqualsUpper(block + bit + 1, needle_.data() + 1, k_ - 2)) hits |= uint32_t{1} << bit;
            candidates &= candidates - 1;
        }
        return hits;
    }

    // The positions no block covered, one at a time.
    template <class Sink>
    void Tail(const char* data, size_t size, size_t i, Sink& sink) const {
        for (; i < size; ++i) {
            const bool hit = i + k_ <= size && EqualsUpper(data + i, needle_.data(), k_);
            const bool pair = i + 2 <= size && IsUpperingToAsciiAt(data + i);
            sink.Block(i, hit ? 1 : 0, pair ? 1 : 0, data[i] == '\0' ? 1 : 0);
        }
    }

    std::string_view needle_;
    size_t k_;
};

// Sets the marks of the names (views in increasing address order) that a hit or a pair lies
// in whole.
class MarkingSink {
  public:
    MarkingSink(const char* base, size_t needleSize, std::span<const std::string_view> names,
                std::vector<uint8_t>& marks)
        : base_(base), needleSize_(needleSize), cursor_(names), marks_(marks) {}

    QUILLORY_BLOCK_SINK void Block(size_t i, uint32_t hits, uint32_t pairs, uint32_t) {
        uint32_t any = hits | pairs;
        while (any != 0) {
            const int bit = __builtin_ctz(any);
            const uint32_t mask = uint32_t{1} << bit;
            const char* p = base_ + i + static_cast<size_t>(bit);
            long name = (hits & mask) != 0 ? cursor_.NameHolding(p, needleSize_) : -1;
            if (name < 0 && (pairs & mask) != 0) name = cursor_.NameHolding(p, 2);
            if (name >= 0) marks_[static_cast<size_t>(name)] = 1;
            any &= any - 1;
        }
    }

  private:
    const char* base_;
    size_t needleSize_;
    NameCursor cursor_;
    std::vector<uint8_t>& marks_;
};

// Lists the names (each followed by one NUL) that a hit or a pair lies in: no hit or pair
// holds a NUL, so it lies in the name after the NULs before it.
class TerminatedSink {
  public:
    explicit TerminatedSink(std::vector<size_t>& out) : out_(out) {}

    QUILLORY_BLOCK_SINK void Block(size_t, uint32_t hits, uint32_t pairs, uint32_t nuls) {
        uint32_t any = hits | pairs;
        while (any != 0) {
            const int bit = __builtin_ctz(any);
            const size_t name =
                passed_ + static_cast<size_t>(__builtin_popcount(nuls & ((uint32_t{1} << bit) - 1)));
            if (out_.empty() || out_.back() != name) out_.push_back(name);
            any &= any - 1;
        }
        passed_ += static_cast<size_t>(__builtin_popcount(nuls));
    }
    size_t Passed() const { return passed_; }

  private:
    std::vector<size_t>& out_;
    size_t passed_ = 0;  // names whose NUL lies before the block
};

}  // namespace

const char* FindAsciiUpper(const char* data, size_t size, std::string_view needle) {
    const size_t k = needle.size();
    if (k == 0) return data;
    if (k > size || HoldsLowerAscii(needle)) return nullptr;
    const char* hit = nullptr;
    size_t i = 0;
    const auto verify = [&](size_t at, const BlockMasks& masks) QUILLORY_BLOCK_SINK {
        for (uint32_t candidates = masks.candidates; candidates != 0; candidates &= candidates - 1) {
            const char* start = data + at + static_cast<size_t>(__builtin_ctz(candidates));
            if (k <= 2 || EqualsUpper(start + 1, needle.data() + 1, k - 2)) {
                hit = start;
                return false;
            }
        }
        return true;
    };
    if (!ScanBlocks<false>(data, size, i, WordEnds(needle, true), verify)) return hit;
    const char first = needle[0];
    for (; i + k <= size; ++i) {
        if (UpperAscii(data[i]) == first && EqualsUpper(data + i + 1, needle.data() + 1, k - 1))
            return data + i;
    }
    return nullptr;
}

bool HoldsCharUpperingToAscii(std::string_view text) {
    for (size_t i = 0; i + 2 <= text.size(); ++i) {
        if (IsUpperingToAsciiAt(text.data() + i)) return true;
    }
    return false;
}

bool NameMayHoldUpper(std::string_view name, std::string_view upperLiteral) {
    if (upperLiteral.empty() || HoldsLowerAscii(upperLiteral)) return true;
    if (HoldsNonAscii(upperLiteral)) return HoldsNonAscii(name);
    return FindAsciiUpper(name.data(), name.size(), upperLiteral) != nullptr ||
           HoldsCharUpperingToAscii(name);
}

void MarkNamesMayHoldUpper(std::span<const std::string_view> names, std::string_view upperLiteral,
                           std::vector<uint8_t>& marks) {
    marks.assign(names.size(), 0);
    if (names.empty()) return;
    if (upperLiteral.empty() || HoldsLowerAscii(upperLiteral)) {
        marks.assign(names.size(), 1);
        return;
    }
    if (HoldsNonAscii(upperLiteral)) {
        // An ASCII name upper-cases to ASCII and cannot hold it.
        MarkNonAscii(names, marks);
        return;
    }
    const char* begin = names.front().data();
    const char* end = names.back().data() + names.back().size();
    if (!TerminatedScanApplies(upperLiteral)) {
        // A NUL in the word: the plain test, name by name.
        for (size_t k = 0; k < names.size(); ++k) {
            if (NameMayHoldUpper(names[k], upperLiteral)) marks[k] = 1;
        }
        return;
    }
    MarkingSink sink(begin, upperLiteral.size(), names, marks);
    WordScan(upperLiteral).Run(begin, static_cast<size_t>(end - begin), sink);
}

bool TerminatedScanApplies(std::string_view upperLiteral) {
    if (upperLiteral.empty()) return false;
    for (const char c : upperLiteral) {
        if (c == '\0' || IsLowerAscii(c) || static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

size_t FindTerminatedNamesMayHoldUpper(std::string_view names, std::string_view upperLiteral,
                                       std::vector<size_t>& out) {
    out.clear();
    TerminatedSink sink(out);
    WordScan(upperLiteral).Run(names.data(), names.size(), sink);
    return sink.Passed();
}

}  // namespace quillory
