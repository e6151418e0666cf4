#pragma once
// The parsed query: up to 200 terms, each with its operator and its matcher decision. Filled
// by ParseQuery, read by the matchers and the Boolean builder's rows.

#include <array>
#include <cstdint>
#include <string>

namespace quillory {

// The operator before a term: none (any term may match), "+" (must match), "-" (must not).
enum class TTermOperator : uint8_t { opOr = 0, opAnd = 1, opAndNot = 2 };

inline constexpr size_t kMaxTerms = 200;

// Slots 0 to TermCount-1 are in use; slots above keep whatever they held and are never read.
struct TWordList {
    uint8_t TermCount = 0;
    std::array<std::string, kMaxTerms> Terms;
    std::array<TTermOperator, kMaxTerms> Operators{};
    std::array<bool, kMaxTerms> PatternFlags{};
    // True when no term carries opAnd or opAndNot: the query then matches when any term does.
    bool AnyTermMode = true;
};

}  // namespace quillory
