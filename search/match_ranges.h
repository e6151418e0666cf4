#pragma once
// Where a subject matched the query, for showing it: byte ranges of the subject as given.

#include <cstddef>
#include <string_view>
#include <vector>

#include "search/search_options.h"
#include "search/word_list.h"

namespace quillory {

struct ByteRange {
    size_t begin = 0;
    size_t end = 0;  // one past the last byte
    bool operator==(const ByteRange&) const = default;
};

// The parts of `subject` that made it match `words` (parsed as the search parsed them): every
// occurrence of each matching term that is not AND NOT (the first whole-word one with Whole
// words), and for a matching wildcard term its literal runs where the match placed them.
// Sorted, with overlapping or touching ranges joined. Empty when the subject does not match,
// and when upper-casing changes its length: no position would then be right.
std::vector<ByteRange> MatchRanges(std::string_view subject, const TWordList& words,
                                   const TSearchOptions& options);

}  // namespace quillory
